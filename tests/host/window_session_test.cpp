// One window session as an office user lives it: several requests in a row,
// each previewed before it prints, the files announced with an offer to open
// them, a fresh form after each output, and "Sortir" to end.

#include <QApplication>
#include <QCheckBox>
#include <QDialogButtonBox>
#include <QDir>
#include <QLineEdit>
#include <QMainWindow>
#include <QMessageBox>
#include <QPointer>
#include <QPushButton>
#include <QRadioButton>
#include <QTimer>
#include <deque>

#include "batch_fixture.h"
#include "host/translations.h"
#include "host/window_mode.h"
#include "services/print_preview.h"
#include "services/printer_choice_dialog.h"
#include "support/test_environment.h"
#include "support/pdf_text.h"

namespace morvane::host {
namespace {

namespace fs = std::filesystem;
using services::PrinterChoiceDialog;
using services::PrintPreviewDialog;

/// Clicks `button` from the event loop: a click that opens a window must not
/// block the user's next steps, which go on inside it.
void Later(QAbstractButton* button) {
  ASSERT_NE(button, nullptr);
  QTimer::singleShot(0, button, [button] { button->click(); });
}

template <class W>
W* Modal() {
  return qobject_cast<W*>(QApplication::activeModalWidget());
}

/// The form the window shows once it is ready for the user: nothing in
/// front of it, INIT done (the surface enabled).
QWidget* Form() {
  if (QApplication::activeModalWidget() != nullptr) return nullptr;
  for (QWidget* top : QApplication::topLevelWidgets()) {
    auto* window = qobject_cast<QMainWindow*>(top);
    if (window && window->isVisible() && window->centralWidget() && window->centralWidget()->isEnabled()) {
      return window->centralWidget();
    }
  }
  return nullptr;
}

enum class Preview { None, Print, GiveUp };

TEST(WindowSession, EachOutputPreviewsWhatItPrintsThenAFreshFormTakesItsPlaceUntilSortir) {
  const mvdb::testing_support::ScratchDir scratch;
  const fs::path& dir = scratch.path();
  const morvane::testing::ScopedEnv today("MORVANE_TODAY", "2025-06-15");
  HostOptions options;
  options.database = dir / "demo.mvdb";
  options.outputDir = dir / "out";
  options.printer = "PDF";
  CopyDemo(40, options.database);
  InstallQtTranslations(*QCoreApplication::instance());  // as the program does

  struct Request {
    std::string name;
    std::vector<const char*> types;
    QString from, to;
    const char* output;  // the "Edition" option
    Preview preview;
    int copies;
    const char* notice;  // the notice's button pressed; nullptr: no file is announced
  };
  const Request requests[] = {
      {"liste", {"Cac_ArretTravail"}, "01/01/2025", "30/06/2025", "Opt_Liste", Preview::Print, 2, "Ouvrir le fichier"},
      {"planning", {"Cac_ArretTravail", "Cac_Conges"}, "02/06/2025", "24/08/2025", "Opt_Graphique", Preview::Print, 1,
       "Ouvrir le dossier"},
      {"abandon", {"Cac_ArretTravail"}, "01/01/2025", "30/06/2025", "Opt_Liste", Preview::GiveUp, 1, nullptr},
      {"export", {"Cac_ArretTravail"}, "01/01/2025", "30/06/2025", "Option1", Preview::None, 1, "Ouvrir le fichier"},
  };

  // What the user does next once its condition holds, in order.
  std::deque<std::pair<std::function<bool()>, std::function<void()>>> steps;
  std::vector<std::string> seen, opened;  // what the user saw; what the notices opened
  std::vector<int> previewed, printed;    // pages of each printed request
  QPointer<QWidget> lastForm;
  const auto freshForm = [&lastForm] { return Form() != nullptr && Form() != lastForm; };
  for (const Request& r : requests) {
    const fs::path pdf = dir / (r.name + ".pdf");
    steps.emplace_back(freshForm, [&, r] {
      QWidget& form = *Form();
      lastForm = &form;
      for (const char* type : r.types) form.findChild<QCheckBox*>(type)->setChecked(true);
      form.findChild<QLineEdit*>("Txt_Debut")->setText(r.from);
      form.findChild<QLineEdit*>("Txt_Fin")->setText(r.to);
      form.findChild<QRadioButton*>(r.output)->setChecked(true);
      Later(form.findChild<QPushButton*>("Cmd_Imprimer"));
    });
    if (r.preview != Preview::None) {
      steps.emplace_back([] { return Modal<PrinterChoiceDialog>() != nullptr; }, [&, r, pdf] {
        auto& dialog = *Modal<PrinterChoiceDialog>();
        dialog.findChild<QLineEdit*>("file")->setText(QString::fromStdString(pdf.string()));
        dialog.SetCopies(r.copies);
        Later(dialog.findChild<QPushButton*>("preview"));
      });
      steps.emplace_back([] { return Modal<PrintPreviewDialog>() != nullptr; }, [&, r] {
        auto& preview = *Modal<PrintPreviewDialog>();
        seen.push_back(r.name + ": preview");
        if (r.preview == Preview::Print) previewed.push_back(preview.PageCount());
        Later(r.preview == Preview::GiveUp ? preview.findChild<QDialogButtonBox*>()->button(QDialogButtonBox::Cancel)
                                           : preview.findChild<QPushButton*>("print"));
      });
    } else {  // the export's own message comes first
      steps.emplace_back([] { return Modal<QMessageBox>() && Modal<QMessageBox>()->objectName() != "FileNotice"; },
                         [&, r] {
                           seen.push_back(r.name + ": " + Modal<QMessageBox>()->text().left(20).toStdString());
                           Later(Modal<QMessageBox>()->buttons().front());
                         });
    }
    if (r.notice == nullptr) continue;
    steps.emplace_back([] { return Modal<QMessageBox>() && Modal<QMessageBox>()->objectName() == "FileNotice"; },
                       [&, r, pdf] {
                         auto& notice = *Modal<QMessageBox>();
                         const QString where = QString::fromStdString(dir.string());
                         seen.push_back(r.name + ": " + notice.text().replace(where, "DIR").toStdString());
                         if (r.preview == Preview::Print) printed.push_back(morvane::testing::PdfPages(pdf));
                         for (QAbstractButton* button : notice.buttons()) {
                           if (button->text() == QLatin1String(r.notice)) Later(button);
                         }
                       });
  }
  steps.emplace_back(freshForm, [] { Later(Form()->findChild<QPushButton*>("Cmd_Sortir")); });

  QTimer user;
  QObject::connect(&user, &QTimer::timeout, [&steps] {
    while (!steps.empty() && steps.front().first()) {
      const auto act = steps.front().second;
      steps.pop_front();
      act();
    }
  });
  user.start(20);
  QTimer::singleShot(60000, [&steps] {
    auto* box = Modal<QMessageBox>();
    ADD_FAILURE() << steps.size() << " steps were never reached"
                  << (box != nullptr ? ", the window shows: " + box->text().toStdString() : std::string());
    QApplication::exit(99);
  });
  const int status = RunWindow(options, [&opened, &dir](const QUrl& url) {
    opened.push_back(url.toLocalFile().replace(QString::fromStdString(dir.string()), "DIR").toStdString());
    return true;
  });

  EXPECT_EQ(status, 0);
  EXPECT_TRUE(steps.empty());
  EXPECT_EQ(previewed, printed);
  ASSERT_EQ(printed.size(), 2u);
  EXPECT_EQ(printed[0] % 2, 0) << "two copies of the list";
  EXPECT_GT(printed[1], 0);
  const QStringList stats = QDir(QString::fromStdString(options.database.string() + ".d/STATAIDANT")).entryList(QDir::Files);
  ASSERT_EQ(stats.size(), 1);
  const std::string csv = "DIR/demo.mvdb.d/STATAIDANT/" + stats.front().toStdString();
  EXPECT_EQ(seen, (std::vector<std::string>{
                      "liste: preview", "liste: Le fichier a été écrit :\nDIR/liste.pdf", "planning: preview",
                      "planning: Le fichier a été écrit :\nDIR/planning.pdf", "abandon: preview",
                      "export: Le fichier AbsAidant", "export: Le fichier a été écrit :\n" + csv}));
  EXPECT_EQ(opened, (std::vector<std::string>{"DIR/liste.pdf", "DIR", csv}));
  EXPECT_FALSE(fs::exists(dir / "abandon.pdf"));

}

}  // namespace
}  // namespace morvane::host
