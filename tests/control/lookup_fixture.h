// A small hand-made database and a shown control on it, for the tests of the
// selection form's look-ups: sectors, communes, legal entities with their
// activities, and the reason table. The tests act on the form as a user does
// (typing, Enter, leaving a field, picking a list item).
#pragma once

#include <gtest/gtest.h>

#include <QAbstractItemView>
#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QTest>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <initializer_list>
#include <memory>
#include <ostream>
#include <sstream>
#include <string>
#include <vector>

#include <unistd.h>

#include "control/ctr_morvane.h"
#include "control/event_adapter.h"
#include "mvdb/database.h"
#include "mvdb/jsonl.h"
#include "services/droits.h"
#include "services/environment.h"
#include "services/outils_date.h"
#include "services/recording_ui.h"

/// Failure messages show texts as text, not as arrays of UTF-16 units.
inline void PrintTo(const QString& text, std::ostream* out) { *out << '"' << text.toStdString() << '"'; }

namespace morvane::testing {

/// The database: every file INIT opens, the ACTIVITES dictionary, and a few
/// records of each look-up file. `trace` receives the engine's selection log.
class BaseLookups {
 public:
  BaseLookups() {
    static int counter = 0;
    dir_ = std::filesystem::temp_directory_path() /
           ("morvane-lookups-" + std::to_string(::getpid()) + "-" + std::to_string(counter++));
    std::filesystem::remove_all(dir_);
    std::filesystem::create_directories(dir_);
    // The engine reads MVDB_TRACE when the database is opened.
    ::setenv("MVDB_TRACE", trace().c_str(), 1);
    db_ = mvdb::Database::Create(dir_ / "lookups.mvdb");
    ::unsetenv("MVDB_TRACE");
    for (const char* file : {"ABSENCESAIDANT", "CIVILAIDANT", "COMMUNES", "SECTEUR", "TABLES", "SOUSSECTEUR",
                             "QUARTIER", "ACTIVITES", "ASSOCIATION", "CONTRAT", "GRILLESCC", "COMPTEUR",
                             "ETABLISSEMENT", "CONVENTIONCOL"}) {
      db_->CreateFile(file);
    }
    db_->CreateFile("STATAIDANT", mvdb::FileKind::kDirectory);
    std::ifstream dictionaries(std::string(MORVANE_SOURCE_DIR) + "/data/dictionaries.jsonl");
    std::string line, selected;
    while (std::getline(dictionaries, line)) {
      if (line.find("\"DICT ACTIVITES\"") != std::string::npos) selected += line + "\n";
    }
    std::istringstream in(selected);
    mvdb::jsonl::Import(*db_, in);
    Write("COMPTEUR", "999", {{47, {"001"}}});
  }
  ~BaseLookups() {
    db_.reset();
    std::error_code ignored;
    std::filesystem::remove_all(dir_, ignored);
  }

  mvdb::Database& db() { return *db_; }
  std::string trace() const { return (dir_ / "trace.log").string(); }

  /// Writes a record: attribute number -> values (several = multi-valued).
  void Write(const std::string& file, const std::string& key,
             std::initializer_list<std::pair<int, std::vector<std::string>>> attrs) {
    mvdb::DynArray record = db_->DBOpen(file).DBNew(key);
    for (const auto& [number, values] : attrs) {
      for (std::size_t v = 0; v < values.size(); ++v) record.SetItem(number, static_cast<int>(v) + 1, values[v]);
    }
    record.DBWrite();
  }

  void Secteur(const std::string& code, const std::string& label) { Write("SECTEUR", code, {{1, {label}}}); }
  void Commune(const std::string& code, const std::string& name) { Write("COMMUNES", code, {{1, {name}}}); }
  /// An entity (ASSOCIATION record) and its activities, one per type code,
  /// keyed entity code + a sequence number.
  void Entite(const std::string& code, const std::string& name, const std::vector<std::string>& types) {
    if (!name.empty()) Write("ASSOCIATION", code, {{1, {name}}});
    Activites(code, types);
  }
  void Activites(const std::string& code, const std::vector<std::string>& types) {
    for (std::size_t i = 0; i < types.size(); ++i) Write("ACTIVITES", code + std::to_string(10 + i), {{12, {types[i]}}});
  }
  /// The reason table: codes and labels at value positions 1, 2, ...
  void Motifs(const std::vector<std::pair<std::string, std::string>>& reasons) {
    std::vector<std::string> codes, labels;
    for (const auto& [code, label] : reasons) {
      codes.push_back(code);
      labels.push_back(label);
    }
    mvdb::DynArray record = db_->DBOpen("TABLES").DBNew("ABSENCES");
    record.SetItem(1, "Motifs d'absence");
    for (std::size_t v = 0; v < codes.size(); ++v) {
      record.SetItem(2, static_cast<int>(v) + 1, codes[v]);
      record.SetItem(3, static_cast<int>(v) + 1, labels[v]);
    }
    record.DBWrite();
  }

  /// The selection texts (attribute 1 of each request) logged so far, in order.
  std::vector<std::string> Requetes() const {
    std::vector<std::string> queries;
    std::ifstream in(trace());
    const std::string prefix = "[mvdb] DBSelect ";
    for (std::string line; std::getline(in, line);) {
      if (line.rfind(prefix, 0) != 0) continue;
      const std::string request = line.substr(prefix.size());
      queries.push_back(request.substr(0, request.find('^')));
    }
    return queries;
  }

 private:
  std::filesystem::path dir_;
  std::unique_ptr<mvdb::Database> db_;
};

/// A test with the database above and a control on it, shown in an active
/// window. Fill the database in the test, then call Demarrer() (INIT).
class LookupTest : public ::testing::Test, public BaseLookups {
 protected:
  /// Sectors the user may see; the test may change it before Demarrer().
  std::vector<QString> secteursAutorises{"001", "002", "005"};

  void TearDown() override {
    control_.reset();
    window_.reset();
  }

  /// Creates the control, hands it the database and the rights, shows it and
  /// runs INIT. Messages go to the recorder `ui()`.
  void Demarrer() {
    services::OutilsDate::Install(services::MakeBatchOutilsDate(0, 1));
    window_ = std::make_unique<QWidget>();
    control_ = std::make_unique<control::Ctr_Morvane>(window_.get());
    auto environment = std::make_unique<services::Environment>();
    auto recorder = std::make_unique<services::RecordingUiServices>(QDate(2024, 3, 15));
    ui_ = recorder.get();
    environment->ui = std::move(recorder);
    environment->outputDir = std::filesystem::temp_directory_path();
    control_->SetEnvironment(std::move(environment));
    control_->setClosesHostWindow(false);
    control_->setTheDatabase(&db());
    control_->setDroitsUtilisateur(services::MakeDroits("test", 2, secteursAutorises));
    window_->resize(control_->size());
    window_->show();
    QApplication::setActiveWindow(window_.get());
    ASSERT_TRUE(QTest::qWaitForWindowActive(window_.get()));
    control_->INIT();
  }

  services::RecordingUiServices& ui() { return *ui_; }
  control::Ctr_Morvane& control() { return *control_; }

  template <class W>
  W* Get(const char* name) {
    W* widget = control_->findChild<W*>(QString::fromLatin1(name));
    EXPECT_NE(widget, nullptr) << name;
    return widget;
  }
  QLineEdit* Txt(const char* name) { return Get<QLineEdit>(name); }
  QComboBox* Cbo(const char* name) { return Get<QComboBox>(name); }
  QCheckBox* Cac(const char* name) { return Get<QCheckBox>(name); }
  QRadioButton* Opt(const char* name) { return Get<QRadioButton>(name); }

  /// Clicks into a field (it takes the focus) and types the text.
  void Taper(QWidget* field, const QString& text) {
    field->setFocus(Qt::MouseFocusReason);
    QTest::keyClicks(field, text);
  }
  void Entree(QWidget* field) { QTest::keyClick(field, Qt::Key_Return); }
  /// Types one character that has no key of its own on a plain keyboard ("é").
  void TaperCaractere(QWidget* field, Qt::Key key, const QString& character) {
    QTest::sendKeyEvent(QTest::Click, field, key, character, Qt::NoModifier);
  }
  /// Leaves the focused field for another one (as a mouse click there does).
  void Quitter(QWidget* next) { next->setFocus(Qt::MouseFocusReason); }
  /// Clicks an option or a check box.
  void Cliquer(QAbstractButton* button) { QTest::mouseClick(button, Qt::LeftButton, {}, QPoint(5, 5)); }

  /// Picks item `index` of a list with the mouse: opens it and clicks the item.
  void Choisir(QComboBox* list, int index) {
    list->showPopup();
    QAbstractItemView* view = list->view();
    const QRect rect = view->visualRect(view->model()->index(index, 0));
    QTest::mouseClick(view->viewport(), Qt::LeftButton, {}, rect.center());
    QApplication::processEvents();
  }

  /// Texts of a list's items.
  static QStringList Elements(const QComboBox* list) {
    QStringList items;
    for (int i = 0; i < list->count(); ++i) items << list->itemText(i);
    return items;
  }

  QStringList Messages() const {
    QStringList texts;
    for (const QString& t : ui_->MessageTexts()) texts << t;
    return texts;
  }

 private:
  std::unique_ptr<QWidget> window_;
  std::unique_ptr<control::Ctr_Morvane> control_;
  services::RecordingUiServices* ui_ = nullptr;
};

}  // namespace morvane::testing
