#include "host/sign_in_dialog.h"

#include <QDialogButtonBox>
#include <QFormLayout>
#include <QLabel>
#include <QLineEdit>
#include <QVBoxLayout>
#include <string.h>

namespace morvane::host {

SignInDialog::SignInDialog(const QString& database, QWidget* parent) : QDialog(parent) {
  setWindowTitle(QStringLiteral("Connexion"));
  auto* layout = new QVBoxLayout(this);
  auto* intro = new QLabel(QStringLiteral("Le serveur demande votre mot de passe pour la base %1.").arg(database));
  intro->setWordWrap(true);
  layout->addWidget(intro);
  refusal_ = new QLabel;
  refusal_->setObjectName(QStringLiteral("Lbl_Refus"));
  refusal_->setWordWrap(true);
  refusal_->setStyleSheet(QStringLiteral("color: #a00000"));
  layout->addWidget(refusal_);
  auto* form = new QFormLayout;
  user_ = new QLineEdit;
  user_->setObjectName(QStringLiteral("Txt_Utilisateur"));
  password_ = new QLineEdit;
  password_->setObjectName(QStringLiteral("Txt_MotDePasse"));
  password_->setEchoMode(QLineEdit::Password);
  form->addRow(QStringLiteral("Utilisateur :"), user_);
  form->addRow(QStringLiteral("Mot de passe :"), password_);
  layout->addLayout(form);
  auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel);
  connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
  connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
  layout->addWidget(buttons);
}

bool SignInDialog::Ask(std::string& user, mvdb::Secret& password, const std::string& refusal) {
  refusal_->setText(QString::fromStdString(refusal));
  refusal_->setVisible(!refusal.empty());
  user_->setText(QString::fromStdString(user));
  password_->clear();
  (user.empty() ? user_ : password_)->setFocus();
  const bool given = exec() == QDialog::Accepted;
  QString typed = password_->text();
  password_->clear();
  QByteArray bytes = typed.toUtf8();
  typed.fill(QChar(0));
  bool fits = true;
  for (const char c : bytes) fits = fits && password.Append(c);
  ::explicit_bzero(bytes.data(), static_cast<std::size_t>(bytes.size()));
  if (!fits) password.Clear();
  user = user_->text().trimmed().toStdString();
  return given;
}

PasswordPrompt DialogPrompt(const QString& database) {
  return [database](std::string& user, mvdb::Secret& password, const std::string& refusal) {
    SignInDialog dialog(database);
    return dialog.Ask(user, password, refusal);
  };
}

}  // namespace morvane::host
