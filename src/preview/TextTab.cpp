#include "preview/TextTab.h"

#include <QCheckBox>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLineEdit>
#include <QPushButton>
#include <QToolButton>
#include <QVBoxLayout>

#include "preview/TextView.h"

namespace kestrel::preview {

TextTab::TextTab(QWidget* parent) : QWidget(parent) {
  auto* bar = new QWidget(this);
  bar->setFixedHeight(24);
  auto* row = new QHBoxLayout(bar);
  row->setContentsMargins(2, 0, 2, 0);
  row->setSpacing(4);

  showBox_ = new QCheckBox(QStringLiteral(" 表示"), bar);
  showBox_->setChecked(true);
  extractButton_ = new QPushButton(QStringLiteral("抽出"), bar);
  extractButton_->setToolTip(QStringLiteral("文字列を抽出"));
  extractButton_->setEnabled(false);
  searchBox_ = new QLineEdit(bar);
  searchBox_->setPlaceholderText(QStringLiteral("検索文字列"));
  QPalette palette = searchBox_->palette();
  palette.setColor(QPalette::PlaceholderText, QColor(128, 128, 128));
  searchBox_->setPalette(palette);
  nextButton_ = new QToolButton(bar);
  nextButton_->setText(QStringLiteral("▼"));
  nextButton_->setToolTip(QStringLiteral("次の検索文字列へ [ F3 ]"));
  previousButton_ = new QToolButton(bar);
  previousButton_->setText(QStringLiteral("▲"));
  previousButton_->setToolTip(QStringLiteral("前の検索文字列へ [Shift]+[ F3 ]"));

  row->addWidget(showBox_);
  row->addWidget(extractButton_);
  row->addWidget(searchBox_, 1);
  row->addWidget(nextButton_);
  row->addWidget(previousButton_);

  view_ = new TextView(this);
  auto* column = new QVBoxLayout(this);
  column->setContentsMargins(0, 0, 0, 0);
  column->setSpacing(0);
  column->addWidget(bar);
  column->addWidget(view_, 1);

  connect(nextButton_, &QToolButton::clicked, this, &TextTab::FindNext);
  connect(previousButton_, &QToolButton::clicked, this, &TextTab::FindPrevious);
  connect(view_, &TextView::FindRequested, this,
          [this](bool backward) { backward ? FindPrevious() : FindNext(); });
  connect(showBox_, &QCheckBox::toggled, this, [this](bool checked) {
    view_->Clear();
    emit ShowToggled(checked);
  });
  searchBox_->installEventFilter(this);
}

void TextTab::FindNext() {
  view_->FindText(searchBox_->text(), false);
}
void TextTab::FindPrevious() {
  view_->FindText(searchBox_->text(), true);
}

bool TextTab::eventFilter(QObject* watched, QEvent* event) {
  // Enter in the search box runs find next and goes no further.
  if (watched == searchBox_ && event->type() == QEvent::KeyPress) {
    const int key = static_cast<QKeyEvent*>(event)->key();
    if (key == Qt::Key_Return || key == Qt::Key_Enter) {
      FindNext();
      return true;
    }
  }
  return QWidget::eventFilter(watched, event);
}

}  // namespace kestrel::preview
