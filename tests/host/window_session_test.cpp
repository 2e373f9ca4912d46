// One window session as an office user lives it: several requests in a row,
// each previewed before it prints, the files announced with an offer to open
// them, a fresh form after each output, and "Sortir" to end.
#include <gtest/gtest.h>

#include <QApplication>
#include <QCheckBox>
#include <QDir>
#include <QDialogButtonBox>
#include <QLineEdit>
#include <QMainWindow>
#include <QMessageBox>
#include <QPointer>
#include <QPushButton>
#include <QRadioButton>
#include <QRegularExpression>
#include <QSpinBox>
#include <QTimer>
#include <deque>
#include <functional>
#include <string>
#include <vector>

#include "batch_fixture.h"
#include "host/translations.h"
#include "host/window_mode.h"
#include "services/print_preview.h"
#include "services/printer_choice_dialog.h"

namespace morvane::host {
namespace {

namespace fs = std::filesystem;

/// What the user does next once `ready` holds. `act` must not block: a click
/// that opens a window is queued (Later), so the steps go on inside it.
struct Step {
  std::function<bool()> ready;
  std::function<void()> act;
};

void Later(QAbstractButton* button) {
  ASSERT_NE(button, nullptr);
  QTimer::singleShot(0, button, [button] { button->click(); });
}

template <class W>
W* Modal(const QString& name = {}) {
  auto* window = qobject_cast<W*>(QApplication::activeModalWidget());
  return window != nullptr && (name.isEmpty() || window->objectName() == name) ? window : nullptr;
}

/// The form the window shows, when it is ready for the user: no other
/// window in front of it, INIT done (the surface enabled).
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

template <class W>
W* Field(QWidget& form, const char* name) {
  return form.findChild<W*>(QLatin1String(name));
}

/// Pages of a PDF file written by Qt.
int PdfPages(const fs::path& file) {
  const QString text = QString::fromLatin1(Slurp(file));
  int pages = 0;
  for (auto it = QRegularExpression(QStringLiteral("/Type\\s*/Page[^s]")).globalMatch(text); it.hasNext(); it.next()) {
    ++pages;
  }
  return pages;
}

enum class Preview { None, Print, GiveUp };

struct Request {
  std::string name;
  std::function<void(QWidget& form)> criteria;
  const char* output;  // the "Edition" option
  Preview preview;
  int copies;
  const char* notice;  // the notice's button pressed; nullptr: no file is announced
};

void SickLeaveOf2025(QWidget& form) {
  Field<QCheckBox>(form, "Cac_ArretTravail")->setChecked(true);
  Field<QLineEdit>(form, "Txt_Debut")->setText(QStringLiteral("01/01/2025"));
  Field<QLineEdit>(form, "Txt_Fin")->setText(QStringLiteral("30/06/2025"));
}

TEST(WindowSession, EachOutputPreviewsWhatItPrintsThenAFreshFormTakesItsPlaceUntilSortir) {
  const fs::path dir = fs::temp_directory_path() / ("morvane-session-" + std::to_string(::getpid()));
  fs::remove_all(dir);
  fs::create_directories(dir);
  const QByteArray today = qgetenv("MORVANE_TODAY");
  qputenv("MORVANE_TODAY", "2025-06-15");
  HostOptions options;
  options.database = dir / "demo.mvdb";
  options.outputDir = dir / "out";
  options.printer = "PDF";
  CopyDemo(40, options.database);
  InstallQtTranslations(*QCoreApplication::instance());  // as the program does

  const Request requests[] = {
      {"liste", SickLeaveOf2025, "Opt_Liste", Preview::Print, 2, "Ouvrir le fichier"},
      {"planning",
       [](QWidget& form) {
         for (const char* type : {"Cac_ArretTravail", "Cac_Conges"}) Field<QCheckBox>(form, type)->setChecked(true);
         Field<QLineEdit>(form, "Txt_Debut")->setText(QStringLiteral("02/06/2025"));
         Field<QLineEdit>(form, "Txt_Fin")->setText(QStringLiteral("24/08/2025"));
       },
       "Opt_Graphique", Preview::Print, 1, "Ouvrir le dossier"},
      {"abandon", SickLeaveOf2025, "Opt_Liste", Preview::GiveUp, 1, nullptr},
      {"export", SickLeaveOf2025, "Option1", Preview::None, 1, "Ouvrir le fichier"},
  };

  std::vector<std::string> seen;       // what the user saw, in order
  std::vector<std::string> opened;     // what the notices opened
  std::vector<int> previewed, printed;  // pages of each printed request
  QPointer<QWidget> lastForm;
  std::deque<Step> steps;
  for (const Request& r : requests) {
    const fs::path pdf = dir / (r.name + ".pdf");
    steps.push_back({[&lastForm] { return Form() != nullptr && Form() != lastForm; },
                     [&, r] {
                       QWidget& form = *Form();
                       lastForm = &form;
                       r.criteria(form);
                       Field<QRadioButton>(form, r.output)->setChecked(true);
                       Later(Field<QPushButton>(form, "Cmd_Imprimer"));
                     }});
    if (r.preview != Preview::None) {
      steps.push_back({[] { return Modal<services::PrinterChoiceDialog>() != nullptr; }, [&, r, pdf] {
                         auto& dialog = *Modal<services::PrinterChoiceDialog>();
                         dialog.findChild<QLineEdit*>(QStringLiteral("file"))->setText(QString::fromStdString(pdf.string()));
                         dialog.SetCopies(r.copies);
                         Later(dialog.findChild<QPushButton*>(QStringLiteral("preview")));
                       }});
      steps.push_back({[] { return Modal<services::PrintPreviewDialog>() != nullptr; }, [&, r] {
                         auto& preview = *Modal<services::PrintPreviewDialog>();
                         seen.push_back(r.name + ": preview");
                         if (r.preview == Preview::GiveUp) {
                           Later(preview.findChild<QDialogButtonBox*>()->button(QDialogButtonBox::Cancel));
                           return;
                         }
                         previewed.push_back(preview.PageCount());
                         Later(preview.findChild<QPushButton*>(QStringLiteral("print")));
                       }});
    } else {
      // The export's own message comes first.
      steps.push_back({[] {
                         auto* box = Modal<QMessageBox>();
                         return box != nullptr && box->objectName() != QLatin1String("FileNotice");
                       },
                       [&, r] {
                         seen.push_back(r.name + ": " + Modal<QMessageBox>()->text().left(20).toStdString());
                         Later(Modal<QMessageBox>()->buttons().front());
                       }});
    }
    if (r.notice == nullptr) continue;
    steps.push_back({[] { return Modal<QMessageBox>(QStringLiteral("FileNotice")) != nullptr; }, [&, r, pdf] {
                       auto& notice = *Modal<QMessageBox>();
                       const QString where = QString::fromStdString(dir.string());
                       seen.push_back(r.name + ": " + notice.text().replace(where, QStringLiteral("DIR")).toStdString());
                       if (r.preview == Preview::Print) printed.push_back(PdfPages(pdf));
                       for (QAbstractButton* button : notice.buttons()) {
                         if (button->text() == QLatin1String(r.notice)) Later(button);
                       }
                     }});
  }
  steps.push_back({[&lastForm] { return Form() != nullptr && Form() != lastForm; },
                   [] { Later(Field<QPushButton>(*Form(), "Cmd_Sortir")); }});

  QTimer user;
  QObject::connect(&user, &QTimer::timeout, [&steps] {
    while (!steps.empty() && steps.front().ready()) {
      const Step step = steps.front();
      steps.pop_front();
      step.act();
    }
  });
  user.start(20);
  QTimer::singleShot(60000, [&steps] {
    auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
    ADD_FAILURE() << steps.size() << " steps were never reached"
                  << (box != nullptr ? ", the window shows: " + box->text().toStdString() : std::string());
    QApplication::exit(99);
  });
  const int status = RunWindow(options, [&opened, &dir](const QUrl& url) {
    opened.push_back(url.toLocalFile().replace(QString::fromStdString(dir.string()), QStringLiteral("DIR")).toStdString());
    return true;
  });

  EXPECT_EQ(status, 0);
  EXPECT_TRUE(steps.empty());
  EXPECT_EQ(previewed, printed);
  ASSERT_EQ(printed.size(), 2u);
  EXPECT_EQ(printed[0] % 2, 0) << "two copies of the list";
  for (int pages : printed) EXPECT_GT(pages, 0);
  const QStringList stats = QDir(QString::fromStdString(options.database.string() + ".d/STATAIDANT")).entryList(QDir::Files);
  ASSERT_EQ(stats.size(), 1);
  const std::string csv = "DIR/demo.mvdb.d/STATAIDANT/" + stats.front().toStdString();
  EXPECT_EQ(seen, (std::vector<std::string>{
                      "liste: preview",
                      "liste: Le fichier a été écrit :\nDIR/liste.pdf",
                      "planning: preview",
                      "planning: Le fichier a été écrit :\nDIR/planning.pdf",
                      "abandon: preview",
                      "export: Le fichier AbsAidant",
                      "export: Le fichier a été écrit :\n" + csv,
                  }));
  EXPECT_EQ(opened, (std::vector<std::string>{"DIR/liste.pdf", "DIR", csv}));
  EXPECT_FALSE(fs::exists(dir / "abandon.pdf"));

  qputenv("MORVANE_TODAY", today);
  fs::remove_all(dir);
}

}  // namespace
}  // namespace morvane::host
