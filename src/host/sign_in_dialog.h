// The window's sign-in dialog: the login (prefilled) and its password, asked
// when the server wants a password that libpq's files do not give.
#pragma once

#include <QDialog>
#include <string>

#include "host/sign_in.h"

class QLabel;
class QLineEdit;

namespace morvane::host {

class SignInDialog : public QDialog {
  Q_OBJECT

 public:
  /// `database` is the address shown to the person.
  explicit SignInDialog(const QString& database, QWidget* parent = nullptr);

  /// Shows the dialog modally with `user` prefilled and the server's
  /// `refusal` ("" on the first try). On OK, moves the typed password into
  /// `password` (the field is emptied and its copies overwritten) and the
  /// login into `user`; false when the person cancels.
  bool Ask(std::string& user, mvdb::Secret& password, const std::string& refusal);

 private:
  QLabel* refusal_;
  QLineEdit* user_;
  QLineEdit* password_;
};

/// A PasswordPrompt that asks through a SignInDialog.
PasswordPrompt DialogPrompt(const QString& database);

}  // namespace morvane::host
