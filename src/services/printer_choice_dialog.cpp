#include "services/printer_choice_dialog.h"

#include <QDialogButtonBox>
#include <QFormLayout>
#include <QLabel>
#include <QListWidget>
#include <QPushButton>
#include <QSpinBox>
#include <QVBoxLayout>

namespace morvane::services {

PrinterChoiceDialog::PrinterChoiceDialog(const QStringList& names, int selected, const QString& title,
                                         QWidget* parent)
    : QDialog(parent), list_(new QListWidget(this)), copies_(new QSpinBox(this)) {
  setObjectName(QStringLiteral("PrinterChoiceDialog"));
  setWindowTitle(title.isEmpty() ? QStringLiteral("Choix de l'imprimante") : title);
  setModal(true);

  list_->setObjectName(QStringLiteral("printers"));
  list_->addItems(names);
  list_->setSelectionMode(QAbstractItemView::SingleSelection);
  copies_->setObjectName(QStringLiteral("copies"));
  copies_->setRange(1, 99);
  copies_->setValue(1);

  auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
  buttons->button(QDialogButtonBox::Ok)->setEnabled(!names.isEmpty());
  connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
  connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
  connect(list_, &QListWidget::itemDoubleClicked, this, &QDialog::accept);

  auto* copiesRow = new QFormLayout;
  copiesRow->addRow(QStringLiteral("Nombre d'exemplaires :"), copies_);
  auto* layout = new QVBoxLayout(this);
  layout->addWidget(new QLabel(QStringLiteral("Imprimante :"), this));
  layout->addWidget(list_);
  layout->addLayout(copiesRow);
  layout->addWidget(buttons);

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

}  // namespace morvane::services
