// The one builder of the control's tests: a database holding every file the
// control opens, in a folder of the test's own (Base), and a control placed
// on it as a host places it, shown in an active window with recording
// services (Controle). Tests drive the form through its widgets, found by
// their form names, or hand Base's files to the widget-free parts.
#pragma once

#include <QAbstractItemView>
#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QTest>

#include "control/ctr_morvane.h"
#include "control/event_adapter.h"
#include "control/fichiers.h"
#include "mvdb/engine_test_support.h"
#include "services/outils_date.h"
#include "support/database_setup.h"
#include "support/recording_printer.h"
#include "support/recording_ui.h"

/// Failure messages show texts as text, not as arrays of UTF-16 units.
inline void PrintTo(const QString& text, std::ostream* out) { *out << '"' << text.toStdString() << '"'; }

namespace morvane::testing {

/// One attribute of a record: its number and its values.
struct Attr {
  int number;
  std::vector<std::string> values;
};

/// The database of one test: the sixteen files INIT opens (STATAIDANT a
/// directory file), the association's dictionaries, COMPTEUR "999" naming
/// entity "001" by default; the engine's selection log in `trace()`.
class Base {
 public:
  Base() {
    ::setenv("MVDB_TRACE", trace().c_str(), 1);  // read when the database is opened
    db_ = mvdb::Database::Create(dir_ / "control.mvdb");
    ::unsetenv("MVDB_TRACE");
    for (const char* file : {"ABSENCESAIDANT", "CIVILAIDANT", "COMMUNES", "SECTEUR", "TABLES", "SOUSSECTEUR",
                             "QUARTIER", "ACTIVITES", "ASSOCIATION", "CONTRAT", "GRILLESCC", "COMPTEUR",
                             "ETABLISSEMENT", "CONVENTIONCOL"}) {
      db_->CreateFile(file);
    }
    db_->CreateFile("STATAIDANT", mvdb::FileKind::kDirectory);
    ImportDictionaries(*db_, {"ACTIVITES", "ABSENCESAIDANT", "CONTRAT", "CIVILAIDANT"});
    Write("COMPTEUR", "999", {{47, {"001"}}});
  }
  Base(const Base&) = delete;
  Base& operator=(const Base&) = delete;

  mvdb::Database& db() { return *db_; }
  const std::filesystem::path& dir() const { return dir_.path(); }
  std::string trace() const { return (dir_ / "trace.log").string(); }
  control::Fichiers Files() { return control::Fichiers::De(*db_, &client_); }
  mvdb::Client& client() { return client_; }

  /// Writes a record, replacing any earlier one.
  void Write(const std::string& file, const std::string& key, const std::vector<Attr>& attrs) {
    mvdb::DynArray record = db_->DBOpen(file).DBNew(key);
    for (const Attr& a : attrs) {
      for (std::size_t v = 0; v < a.values.size(); ++v) record.SetItem(a.number, static_cast<int>(v) + 1, a.values[v]);
    }
    record.DBWrite();
  }
  void Secteur(const std::string& code, const std::string& label) { Write("SECTEUR", code, {{1, {label}}}); }
  /// An entity and one activity per type code (keys: code + 10, 11, ...);
  /// no ASSOCIATION record when `name` is empty.
  void Entite(const std::string& code, const std::string& name, const std::vector<std::string>& types) {
    if (!name.empty()) Write("ASSOCIATION", code, {{1, {name}}});
    for (std::size_t i = 0; i < types.size(); ++i) Write("ACTIVITES", code + std::to_string(10 + i), {{12, {types[i]}}});
  }
  /// The reason table: codes and labels at value positions 1, 2, ...
  void Motifs(const std::vector<std::pair<std::string, std::string>>& reasons) {
    Attr codes{2, {}}, labels{3, {}};
    for (const auto& [code, label] : reasons) {
      codes.values.push_back(code);
      labels.values.push_back(label);
    }
    Write("TABLES", "ABSENCES", {{1, {"Motifs d'absence"}}, codes, labels});
  }
  /// The selection texts (attribute 1 of each request) logged so far.
  std::vector<std::string> Requetes() const {
    std::vector<std::string> queries;
    std::ifstream in(trace());
    const std::string prefix = "[mvdb] DBSelect ";
    for (std::string line; std::getline(in, line);) {
      if (line.rfind(prefix, 0) == 0) queries.push_back(line.substr(prefix.size(), line.find('^') - prefix.size()));
    }
    return queries;
  }

 private:
  mvdb::testing_support::ScratchDir dir_;  // outlives the database
  std::unique_ptr<mvdb::Database> db_;
  mvdb::Client client_{"test", "control.mvdb"};
};

/// Ctr_Vellaro1 that keeps what it is handed; fails when told to.
struct PlanningEnregistre : services::PlanningControl {
  void Imprimer(const services::PlanningRequest& request) override {
    if (echoue) throw std::runtime_error("imprimante hors ligne");
    demandes.push_back(request);
  }
  std::vector<services::PlanningRequest> demandes;
  bool echoue = false;
};

/// Ctr_Dorsany answering a picture path per entity and keeping its calls.
struct SignatureEnregistree : services::SignatureControl {
  void SetBase(mvdb::Database* db) override { appels.push_back(db ? "Base" : "Base(null)"); }
  void SetClient(const mvdb::Client* c) override { appels.push_back(c ? "Client" : "Client(null)"); }
  QString CheminSignature(const QString& type, const QString& unused, const QString& entite) override {
    appels.push_back("CheminSignature(" + type.toStdString() + "," + unused.toStdString() + "," +
                     entite.toStdString() + ")");
    return chemins.value(entite);
  }
  QMap<QString, QString> chemins;  ///< entity -> picture path
  std::vector<std::string> appels;
};

/// Ctr_Brinel keeping what it is handed, in order.
struct EditeurEnregistre : services::EditorControl {
  void SetBase(mvdb::Database* db) override { appels.push_back(db ? "Base" : "Base(null)"); }
  void SetClient(const mvdb::Client*) override { appels.push_back("Client"); }
  void SetDroits(std::shared_ptr<const services::Droits> d) override { appels.push_back(d ? "Droits" : "Droits(null)"); }
  void SetCleModele(const QString& key) override { appels.push_back("CleModele=" + key.toStdString()); }
  void SetParametre(const QString& value) override { appels.push_back("Parametre=" + value.toStdString()); }
  void SetListeCles(QString& keys) override { appels.push_back("ListeCles=" + keys.toStdString()); }
  void SetRetour(QString&) override { appels.push_back("Retour"); }
  void Executer() override { appels.push_back("Executer"); }
  std::vector<std::string> appels;
};

/// What the host hands in and what the services answer.
struct Options {
  int niveau = 2;                                 ///< access level on ABSENCESAIDANT
  std::vector<QString> secteurs{};                ///< sectors the user may see (empty: all)
  bool base = true, droits = true;                ///< hand the database, the rights in
  bool init = true;                               ///< run INIT
  QDate aujourdhui{2024, 3, 15};
  int imprimante = 0, copies = 1;                 ///< the printer choice's answer
  std::vector<QString> imprimantes{"RECORDER"};   ///< recording printers
};

/// A control on `base`, in a shown active window, as a host makes it.
class Controle {
 public:
  explicit Controle(Base& base, Options o = {}) {
    services::OutilsDate::Install(services::MakeBatchOutilsDate(o.imprimante, o.copies));
    window_ = std::make_unique<QWidget>();
    control_ = new control::Ctr_Morvane(window_.get());
    control_->setClosesHostWindow(false);
    QObject::connect(control_, &control::Ctr_Morvane::unloadRequested, [this] { ++unloads; });
    auto environment = std::make_unique<services::Environment>();
    environment->outputDir = base.dir();
    environment->ui = std::make_unique<services::RecordingUiServices>(o.aujourdhui);
    ui_ = static_cast<services::RecordingUiServices*>(environment->ui.get());
    environment->printers = std::make_unique<services::RecordingPrinterList>(o.imprimantes);
    printers_ = static_cast<services::RecordingPrinterList*>(environment->printers.get());
    environment->planning = std::make_unique<PlanningEnregistre>();
    planning = static_cast<PlanningEnregistre*>(environment->planning.get());
    environment->signature = std::make_unique<SignatureEnregistree>();
    signature = static_cast<SignatureEnregistree*>(environment->signature.get());
    environment->editor = std::make_unique<EditeurEnregistre>();
    editeur = static_cast<EditeurEnregistre*>(environment->editor.get());
    control_->SetEnvironment(std::move(environment));
    control_->setTheClient(&base.client());
    if (o.base) control_->setTheDatabase(&base.db());
    if (o.droits) control_->setDroitsUtilisateur(services::MakeDroits("test", o.niveau, o.secteurs));
    window_->resize(control_->size());
    window_->show();
    QApplication::setActiveWindow(window_.get());
    EXPECT_TRUE(QTest::qWaitForWindowActive(window_.get()));
    if (o.init) control_->INIT();
  }
  /// Destroys the control with its window, as the host window's closing does.
  ~Controle() { window_.reset(); }

  control::Ctr_Morvane& control() { return *control_; }
  QWidget& window() { return *window_; }
  services::RecordingUiServices& ui() { return *ui_; }
  services::RecordingPrinter& Recorder(int index = 0) { return printers_->Recorder(index); }

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
  QPushButton* Cmd(const char* name) { return Get<QPushButton>(name); }

  /// Clicks into a field (it takes the focus) and types the text.
  void Taper(QWidget* field, const QString& text) {
    field->setFocus(Qt::MouseFocusReason);
    QTest::keyClicks(field, text);
  }
  void Entree(QWidget* field) { QTest::keyClick(field, Qt::Key_Return); }
  /// Leaves the focused field for another one (as a mouse click there does).
  void Quitter(QWidget* next) { next->setFocus(Qt::MouseFocusReason); }
  /// Clicks an option, a check box or a button with the mouse.
  void Cliquer(QAbstractButton* button) { QTest::mouseClick(button, Qt::LeftButton, {}, QPoint(4, 4)); }
  void Cliquer(const char* name) { Cliquer(Get<QAbstractButton>(name)); }
  void Cliquer(std::initializer_list<const char*> names) { for (const char* name : names) Cliquer(name); }
  /// Picks item `index` of a list with the mouse.
  void Choisir(QComboBox* list, int index) {
    list->showPopup();
    QAbstractItemView* view = list->view();
    QTest::mouseClick(view->viewport(), Qt::LeftButton, {}, view->visualRect(view->model()->index(index, 0)).center());
    QApplication::processEvents();
  }
  static QStringList Elements(const QComboBox* list) {
    QStringList items;
    for (int i = 0; i < list->count(); ++i) items << list->itemText(i);
    return items;
  }
  /// Messages shown so far; with `icons`, each followed by " [!]", " [i]" or " [x]".
  QStringList Messages(bool icons = false) const {
    QStringList texts;
    for (const auto& [text, icon] : ui_->Messages()) {
      const char* mark = icon == services::MsgIcon::Exclamation ? " [!]" : icon == services::MsgIcon::Critical ? " [x]" : " [i]";
      texts << (icons ? text + QString::fromLatin1(mark) : text);
    }
    return texts;
  }
  /// The surface, the pointer and the control's own busy state are back.
  bool Libre() { return control_->isEnabled() && !ui_->IsBusy(); }

  int unloads = 0;
  PlanningEnregistre* planning = nullptr;
  SignatureEnregistree* signature = nullptr;
  EditeurEnregistre* editeur = nullptr;

 private:
  std::unique_ptr<QWidget> window_;
  control::Ctr_Morvane* control_ = nullptr;  // owned by the window
  services::RecordingUiServices* ui_ = nullptr;
  services::RecordingPrinterList* printers_ = nullptr;
};

/// Base of the suites that drive the form: their database, and the control
/// on it made again by Open (the last one destroyed first: its end closes the
/// files of the whole process).
class FormTest : public ::testing::Test {
 protected:
  Controle& Open(Options o = {}) {
    form.reset();
    form = std::make_unique<Controle>(base, std::move(o));
    return *form;
  }

  Base base;
  std::unique_ptr<Controle> form;
};

}  // namespace morvane::testing
