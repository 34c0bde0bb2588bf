#include "preview/PdfTab.h"

#include <QCheckBox>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QPushButton>
#include <QVBoxLayout>

#include "preview/PdfView.h"

namespace kestrel::preview {
namespace {

struct BarButton {
  const char* caption;
  const char* hint;
  PdfCommand command;
};

// The first row after the page label; "<" and ">" come before it.
constexpr BarButton kPageButtons[] = {
    {"<", "前のページヘ", PdfCommand::PrevPage},
    {">", "次のページヘ", PdfCommand::NextPage},
};
constexpr BarButton kViewButtons[] = {
    {"回転", "右回転", PdfCommand::Rotate},
    {"縮小", "縮小表示 [Ctrl]+[Wheel Down]", PdfCommand::ZoomOut},
    {"拡大", "拡大表示 [Ctrl]+{Wheel Up]", PdfCommand::ZoomIn},
    {"フィット", "用紙にフィット表示", PdfCommand::Fit},
};

}  // namespace

PdfTab::PdfTab(QWidget* parent) : QWidget(parent) {
  auto* bar = new QWidget(this);
  bar->setFixedHeight(53);
  auto* rows = new QVBoxLayout(bar);
  rows->setContentsMargins(2, 1, 2, 1);
  rows->setSpacing(2);
  auto* first = new QHBoxLayout();
  // The row was laid out for a tab about 300 pixels wide: buttons as narrow as their captions
  // let them be, so that none of the captions is cut.
  first->setSpacing(2);
  showBox_ = new QCheckBox(QStringLiteral(" 表示"), bar);
  showBox_->setChecked(true);
  showBox_->setMinimumWidth(showBox_->sizeHint().width());
  pageLabel_ = new QLabel(QStringLiteral("1 / 1"), bar);
  first->addWidget(showBox_);
  auto addButton = [this, bar](QHBoxLayout* row, const BarButton& b) {
    auto* button = new QPushButton(QString::fromUtf8(b.caption), bar);
    button->setToolTip(QString::fromUtf8(b.hint));
    button->setAutoDefault(false);
    button->setFixedWidth(button->fontMetrics().horizontalAdvance(button->text()) + 10);
    const PdfCommand command = b.command;
    connect(button, &QPushButton::clicked, this, [this, command] { Run(command); });
    row->addWidget(button);
  };
  for (const BarButton& b : kPageButtons)
    addButton(first, b);
  first->addWidget(pageLabel_);
  for (const BarButton& b : kViewButtons)
    addButton(first, b);
  first->addStretch(1);

  auto* second = new QHBoxLayout();
  highlightBox_ = new QLineEdit(bar);
  auto* highlight = new QPushButton(QStringLiteral("ハイライト"), bar);
  highlight->setAutoDefault(false);
  second->addWidget(highlightBox_, 1);
  second->addWidget(highlight);
  rows->addLayout(first);
  rows->addLayout(second);
  connect(highlight, &QPushButton::clicked, this, &PdfTab::Highlight);
  highlightBox_->installEventFilter(this);

  // The page panel; the view fills it.
  panel_ = new QWidget(this);
  auto* inPanel = new QVBoxLayout(panel_);
  inPanel->setContentsMargins(0, 0, 0, 0);
  view_ = new PdfView(panel_);
  inPanel->addWidget(view_);

  auto* column = new QVBoxLayout(this);
  column->setContentsMargins(0, 0, 0, 0);
  column->setSpacing(0);
  column->addWidget(bar);
  column->addWidget(panel_, 1);
  BuildMenu();
}

void PdfTab::BuildMenu() {
  menu_ = new QMenu(this);
  struct Item {
    const char* caption;
    PdfCommand command;
  };
  auto add = [this](QMenu* menu, const Item& item) {
    const PdfCommand command = item.command;
    connect(menu->addAction(QString::fromUtf8(item.caption)), &QAction::triggered, this,
            [this, command] { Run(command); });
  };
  add(menu_, {"用紙の高さにフィット", PdfCommand::FitHeight});
  add(menu_, {"用紙の幅にフィット", PdfCommand::FitWidth});
  menu_->addSeparator();
  add(menu_, {"拡大", PdfCommand::ZoomIn});
  add(menu_, {"縮小", PdfCommand::ZoomOut});
  menu_->addSeparator();
  QMenu* rotate = menu_->addMenu(QStringLiteral("回転"));
  add(rotate, {"0 度", PdfCommand::Rotate0});
  add(rotate, {"右回りに 90 度", PdfCommand::Rotate90});
  add(rotate, {"左回りに 90 度", PdfCommand::Rotate270});
  add(rotate, {"180 度", PdfCommand::Rotate180});
  menu_->addSeparator();
  extractAction_ = menu_->addAction(QStringLiteral("テキスト抽出"));
  view_->setContextMenuPolicy(Qt::CustomContextMenu);
  connect(view_, &QWidget::customContextMenuRequested, this,
          [this](const QPoint& at) { menu_->popup(view_->mapToGlobal(at)); });
}

bool PdfTab::CreateView() {
  available_ = view_->CreateEngine();
  return available_;
}

QPdfDocument* PdfTab::Document() const {
  return view_->Document();
}

QPushButton* PdfTab::Button(const QString& caption) const {
  for (QPushButton* b : findChildren<QPushButton*>())
    if (b->text() == caption) return b;
  return nullptr;
}

int PdfTab::Show(const std::string& path) {
  if (!available_) return 0;
  view_->setVisible(true);
  view_->SetRotation(TPdfPageRotation::prNormal);
  view_->SetSmoothScroll(true);
  view_->SetScaleMode(TPdfControlScaleMode::smFitAuto);
  view_->LoadFromFile(path);
  return view_->PageCount();
}

void PdfTab::Hide() {
  if (available_) view_->setVisible(false);
}

void PdfTab::Close() {
  if (available_) view_->Close();
}

void PdfTab::Run(PdfCommand command) {
  if (!available_) return;
  if (view_->RunCommand(command)) pageLabel_->setText(view_->PageLabel());
}

void PdfTab::Highlight() {
  if (!available_) return;
  view_->HightlightText(highlightBox_->text(), false, false);
}

void PdfTab::WindowWheel(QPoint globalPos, int delta, Qt::KeyboardModifiers modifiers) {
  if (!available_) return;
  if (view_->WindowWheel(delta, modifiers, panel_->mapFromGlobal(globalPos), panel_->size()))
    pageLabel_->setText(view_->PageLabel());
}

bool PdfTab::eventFilter(QObject* watched, QEvent* event) {
  // Enter in the highlight box highlights and goes no further.
  if (watched == highlightBox_ && event->type() == QEvent::KeyPress) {
    const int key = static_cast<QKeyEvent*>(event)->key();
    if (key == Qt::Key_Return || key == Qt::Key_Enter) {
      Highlight();
      return true;
    }
  }
  return QWidget::eventFilter(watched, event);
}

}  // namespace kestrel::preview
