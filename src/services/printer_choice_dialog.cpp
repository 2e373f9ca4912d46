#include "services/printer_choice_dialog.h"

#include <QDialogButtonBox>
#include <QFileDialog>
#include <QFileInfo>
#include <QFormLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QMessageBox>
#include <QPushButton>
#include <QSpinBox>
#include <QVBoxLayout>

namespace morvane::services {

QString ProposedPdfName(const QString& output, const QDateTime& when) {
  return output + when.toString(QStringLiteral("-yyyyMMdd-HHmmss")) + QStringLiteral(".pdf");
}

PrinterChoiceDialog::PrinterChoiceDialog(const QStringList& names, int selected, const QString& title,
                                         QWidget* parent)
    : QDialog(parent),
      list_(new QListWidget(this)),
      copies_(new QSpinBox(this)),
      fileRow_(new QWidget(this)),
      file_(new QLineEdit(fileRow_)),
      files_(names.size()) {
  setObjectName(QStringLiteral("PrinterChoiceDialog"));
  setWindowTitle(title.isEmpty() ? QStringLiteral("Choix de l'imprimante") : title);
  setModal(true);

  list_->setObjectName(QStringLiteral("printers"));
  list_->addItems(names);
  list_->setSelectionMode(QAbstractItemView::SingleSelection);
  copies_->setObjectName(QStringLiteral("copies"));
  copies_->setRange(1, 99);
  copies_->setValue(1);
  file_->setObjectName(QStringLiteral("file"));
  file_->setMinimumWidth(360);
  auto* browse = new QPushButton(QStringLiteral("Parcourir…"), fileRow_);
  connect(browse, &QPushButton::clicked, this, &PrinterChoiceDialog::Browse);
  auto* fileLayout = new QHBoxLayout(fileRow_);
  fileLayout->setContentsMargins(0, 0, 0, 0);
  fileLayout->addWidget(new QLabel(QStringLiteral("Fichier :"), fileRow_));
  fileLayout->addWidget(file_, 1);
  fileLayout->addWidget(browse);
  fileRow_->hide();

  buttons_ = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
  buttons_->button(QDialogButtonBox::Ok)->setEnabled(!names.isEmpty());
  connect(buttons_, &QDialogButtonBox::accepted, this, &QDialog::accept);
  connect(buttons_, &QDialogButtonBox::rejected, this, &QDialog::reject);
  connect(list_, &QListWidget::itemDoubleClicked, this, &QDialog::accept);
  connect(list_, &QListWidget::currentRowChanged, this, &PrinterChoiceDialog::ShowFileOfRow);

  auto* copiesRow = new QFormLayout;
  copiesRow->addRow(QStringLiteral("Nombre d'exemplaires :"), copies_);
  auto* layout = new QVBoxLayout(this);
  layout->addWidget(new QLabel(QStringLiteral("Imprimante :"), this));
  layout->addWidget(list_);
  layout->addLayout(copiesRow);
  layout->addWidget(fileRow_);
  layout->addWidget(buttons_);

  SetSelectedIndex(selected);
}

int PrinterChoiceDialog::SelectedIndex() const {
  if (list_->count() == 0) return -1;
  const int row = list_->currentRow();
  return row < 0 ? 0 : row;
}

void PrinterChoiceDialog::SetSelectedIndex(int index) {
  if (list_->count() == 0) return;
  list_->setCurrentRow(std::clamp(index, 0, list_->count() - 1));
}

int PrinterChoiceDialog::Copies() const { return copies_->value(); }

void PrinterChoiceDialog::SetCopies(int copies) { copies_->setValue(copies); }

void PrinterChoiceDialog::ProposeFile(int row, const QString& path) {
  if (row < 0 || row >= files_.size()) return;
  files_[row] = path;
  if (row == shownRow_) {
    file_->setText(path);
    fileRow_->setVisible(!path.isEmpty());
  }
}

QString PrinterChoiceDialog::ChosenFile() const {
  const int row = SelectedIndex();
  if (row < 0 || files_[row].isEmpty()) return {};
  return file_->text().trimmed();
}

void PrinterChoiceDialog::ShowFileOfRow(int row) {
  // The name typed for the row left is kept, should the user come back to it.
  if (shownRow_ >= 0 && shownRow_ < files_.size() && !files_[shownRow_].isEmpty()) {
    files_[shownRow_] = file_->text();
  }
  shownRow_ = row;
  const bool writesFile = row >= 0 && row < files_.size() && !files_[row].isEmpty();
  file_->setText(writesFile ? files_[row] : QString());
  fileRow_->setVisible(writesFile);
}

void PrinterChoiceDialog::Browse() {
  const QString chosen = QFileDialog::getSaveFileName(this, QStringLiteral("Enregistrer sous"), file_->text(),
                                                      QStringLiteral("PDF (*.pdf)"), nullptr,
                                                      QFileDialog::DontConfirmOverwrite);
  if (!chosen.isEmpty()) file_->setText(chosen);
}

void PrinterChoiceDialog::SetPreview(std::function<bool(int row, int copies)> preview) {
  preview_ = std::move(preview);
  if (preview_ && previewButton_ == nullptr && list_->count() > 0) {
    previewButton_ = buttons_->addButton(QStringLiteral("Aperçu…"), QDialogButtonBox::ActionRole);
    previewButton_->setObjectName(QStringLiteral("preview"));
    previewButton_->setAutoDefault(false);
    connect(previewButton_, &QPushButton::clicked, this, &PrinterChoiceDialog::Preview);
  }
  if (previewButton_ != nullptr) previewButton_->setEnabled(static_cast<bool>(preview_));
}

// Printing from the preview is OK (its file checks included); leaving it
// gives the choice up.
void PrinterChoiceDialog::Preview() {
  if (!preview_ || SelectedIndex() < 0) return;
  if (preview_(SelectedIndex(), Copies())) {
    accept();
  } else {
    reject();
  }
}

void PrinterChoiceDialog::accept() {
  const int row = SelectedIndex();
  if (row < 0 || files_[row].isEmpty()) {
    QDialog::accept();
    return;
  }
  const QFileInfo file(ChosenFile());
  QString refusal;
  if (file.fileName().isEmpty()) {
    refusal = QStringLiteral("Indiquez le nom du fichier à écrire.");
  } else if (!file.absoluteDir().exists()) {
    refusal = QStringLiteral("Le dossier « %1 » n'existe pas.").arg(file.absolutePath());
  } else if (file.isDir()) {
    refusal = QStringLiteral("« %1 » est un dossier.").arg(file.filePath());
  }
  if (!refusal.isEmpty()) {
    QMessageBox::warning(this, windowTitle(), refusal);
    file_->setFocus();
    return;
  }
  if (file.exists() &&
      QMessageBox::question(this, windowTitle(),
                            QStringLiteral("Le fichier « %1 » existe déjà.\nVoulez-vous le remplacer ?")
                                .arg(file.fileName()),
                            QMessageBox::Yes | QMessageBox::No, QMessageBox::No) != QMessageBox::Yes) {
    file_->setFocus();
    return;
  }
  QDialog::accept();
}

}  // namespace morvane::services
