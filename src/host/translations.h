// Qt's own texts (standard buttons, file and print dialogs) in the language of
// the form, whatever the language of the session.
#pragma once

class QCoreApplication;

namespace morvane::host {

/// Loads Qt's French translations ("qtbase_fr" in Qt's translations folder)
/// into `app`, so that the standard buttons read "Annuler", "Oui", "Non".
/// Returns false when they are not installed; Qt's texts then stay English.
bool InstallQtTranslations(QCoreApplication& app);

}  // namespace morvane::host
