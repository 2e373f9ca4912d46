#include "services/print_preview.h"

#include <QAbstractScrollArea>
#include <QDialogButtonBox>
#include <QLabel>
#include <QPrintPreviewWidget>
#include <QPushButton>
#include <QScrollBar>
#include <QToolBar>
#include <QVBoxLayout>

namespace morvane::services {

PrintPreviewDialog::PrintPreviewDialog(const PrinterInfo& printer, std::function<void(Printer&)> paint,
                                       QWidget* parent)
    : QDialog(parent), info_(printer), paint_(std::move(paint)), target_(MakePreviewTarget(printer)) {
  setObjectName(QStringLiteral("PrintPreviewDialog"));
  setWindowTitle(QStringLiteral("Aperçu avant impression : ") + printer.name);
  setModal(true);
  view_ = new QPrintPreviewWidget(target_.get(), this);
  view_->setObjectName(QStringLiteral("pages"));
  connect(view_, &QPrintPreviewWidget::paintRequested, this, &PrintPreviewDialog::Paint);
  connect(view_, &QPrintPreviewWidget::previewChanged, this, &PrintPreviewDialog::ShowPageNumber);

  auto* tools = new QToolBar(this);
  tools->addAction(QStringLiteral("◀ Page précédente"), view_, [this] {
    view_->setCurrentPage(view_->currentPage() - 1);
    ShowPageNumber();
  });
  tools->addAction(QStringLiteral("Page suivante ▶"), view_, [this] {
    view_->setCurrentPage(view_->currentPage() + 1);
    ShowPageNumber();
  });
  pageNumber_ = new QLabel(this);
  pageNumber_->setObjectName(QStringLiteral("pageNumber"));
  pageNumber_->setContentsMargins(12, 0, 12, 0);
  tools->addWidget(pageNumber_);
  tools->addSeparator();
  tools->addAction(QStringLiteral("Page entière"), view_, &QPrintPreviewWidget::fitInView);
  tools->addAction(QStringLiteral("Pleine largeur"), view_, &QPrintPreviewWidget::fitToWidth);
  tools->addAction(QStringLiteral("Zoom +"), view_, [this] { view_->zoomIn(); });
  tools->addAction(QStringLiteral("Zoom −"), view_, [this] { view_->zoomOut(); });
  tools->addSeparator();
  tools->addAction(QStringLiteral("Une page"), view_, &QPrintPreviewWidget::setSinglePageViewMode);
  tools->addAction(QStringLiteral("Deux pages"), view_, &QPrintPreviewWidget::setFacingPagesViewMode);
  // The page shown changes as the pages scroll by.
  if (auto* scrolled = view_->findChild<QAbstractScrollArea*>()) {
    connect(scrolled->verticalScrollBar(), &QScrollBar::valueChanged, this, &PrintPreviewDialog::ShowPageNumber);
  }

  auto* buttons = new QDialogButtonBox(QDialogButtonBox::Cancel, this);
  QPushButton* print = buttons->addButton(QStringLiteral("Imprimer"), QDialogButtonBox::AcceptRole);
  print->setObjectName(QStringLiteral("print"));
  print->setDefault(true);
  connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
  connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);

  auto* layout = new QVBoxLayout(this);
  layout->addWidget(tools);
  layout->addWidget(view_, 1);
  layout->addWidget(buttons);
  resize(900, 720);
}

PrintPreviewDialog::~PrintPreviewDialog() = default;

bool PrintPreviewDialog::Run() {
  // Drawn before the window shows, so that a failure shows no empty preview.
  view_->updatePreview();
  view_->fitInView();
  if (failure_) std::rethrow_exception(failure_);
  const bool print = exec() == QDialog::Accepted;
  if (failure_) std::rethrow_exception(failure_);
  return print;
}

int PrintPreviewDialog::PageCount() const { return view_->pageCount(); }

// Called by the preview widget inside its own signal: nothing may leave it by
// exception. A failure is kept for Run, and an open window closes.
void PrintPreviewDialog::Paint(QPrinter* target) {
  if (failure_) return;
  try {
    const std::unique_ptr<Printer> surface = MakePreviewPrinter(info_, *target);
    paint_(*surface);
    surface->EndDoc();
  } catch (...) {
    failure_ = std::current_exception();
    if (isVisible()) reject();
  }
}

void PrintPreviewDialog::ShowPageNumber() {
  pageNumber_->setText(QStringLiteral("Page %1 sur %2").arg(view_->currentPage()).arg(view_->pageCount()));
}

}  // namespace morvane::services
