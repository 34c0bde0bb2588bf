#include "app/DrawingTab.h"

#include <QCheckBox>
#include <QHBoxLayout>
#include <QLineEdit>
#include <QMouseEvent>
#include <QProgressBar>
#include <QPushButton>
#include <QRegion>
#include <QVBoxLayout>
#include <QWheelEvent>

#include "base/PathBytes.h"
#include "preview/ImageBox.h"
#include "render/DxfPreview.h"

namespace kestrel::app {

namespace {

constexpr int kNotch = 120;  // eighths of a degree in one wheel notch

std::optional<render::MouseButton> ButtonOf(Qt::MouseButton b) {
  switch (b) {
    case Qt::LeftButton:
      return render::MouseButton::Left;
    case Qt::RightButton:
      return render::MouseButton::Right;
    case Qt::MiddleButton:
      return render::MouseButton::Middle;
    default:
      return std::nullopt;
  }
}

}  // namespace

DrawingTab::DrawingTab(MessageSink messages, QWidget* parent)
    : QWidget(parent), messages_(std::move(messages)), surface_(nullptr) {
  auto* column = new QVBoxLayout(this);
  column->setContentsMargins(0, 0, 0, 0);
  column->setSpacing(0);
  auto* bar = new QWidget(this);
  bar->setFixedHeight(25);
  auto* row = new QHBoxLayout(bar);
  row->setContentsMargins(2, 1, 2, 1);
  showBox_ = new QCheckBox(QStringLiteral(" 表示"), bar);
  convertButton_ = new QPushButton(QStringLiteral("DWG -> DXF"), bar);
  convertButton_->setToolTip(QStringLiteral("ODAFileConverter を起動"));
  convertButton_->setAutoDefault(false);
  convertButton_->setEnabled(false);
  edit5_ = new QLineEdit(bar);
  edit5_->setReadOnly(true);
  row->addWidget(showBox_);
  row->addWidget(convertButton_);
  row->addWidget(edit5_, 1);
  column->addWidget(bar);
  image2_ = new preview::ImageBox(this);
  image2_->setMouseTracking(true);  // the crosshair follows the pointer without a button
  image2_->installEventFilter(this);
  column->addWidget(image2_, 1);
  edit4_ = new QLineEdit(this);
  edit4_->setReadOnly(true);
  edit4_->setAlignment(Qt::AlignCenter);
  column->addWidget(edit4_);

  surface_ = render::ImageSurface(&image2_->editableImage(), [this] { image2_->update(); });
  view_.SetSurface(&surface_);

  connect(convertButton_, &QPushButton::clicked, this, &DrawingTab::ConvertRequested);
  // Connected before the preview dispatch's own handler of the box, which previews again after
  // this: the picture that no longer shows the file is blanked first.
  connect(showBox_, &QCheckBox::toggled, this, [this](bool checked) {
    const bool selected = window_.entrySelected && window_.entrySelected();
    if (checked && selected) {
      if (window_.blankThumbnail) window_.blankThumbnail();
    } else {
      image2_->clear();
    }
  });
}

void DrawingTab::UpdateConditions() {
  view_.conditions.showTicked = showBox_->isChecked();
  view_.conditions.entrySelected = window_.entrySelected ? window_.entrySelected() : true;
  view_.conditions.tabActive = window_.tabActive ? window_.tabActive() : isVisible();
}

void DrawingTab::Show(const render::ViewEvent& e) {
  surface_.Finish();
  if (e.overlay && e.redraw == render::Redraw::None) {
    if (e.overlayRects.empty()) {
      image2_->update();
    } else {
      // Only the rows, columns and outlines the overlays touched are shown again: a crosshair
      // move then costs a few lines of pixels, not the whole picture.
      const QImage& picture = image2_->image();
      const QPoint offset((image2_->width() - picture.width()) / 2,
                          (image2_->height() - picture.height()) / 2);
      QRegion region;
      for (const render::PixelRect& r : e.overlayRects)
        region += QRect(r.left, r.top, r.right - r.left, r.bottom - r.top).translated(offset);
      image2_->update(region);
    }
  }
  if (e.edit4Changed) edit4_->setText(QString::fromStdString(view_.edit4()));
}

void DrawingTab::LoadDxfPreview(const std::string& path, preview::ImageBox* target,
                                QProgressBar* progress) {
  if (!target) target = image2_;
  surface_.Finish();
  // Black while the file is read; the drawing appears whole at the end.
  target->clear();
  target->repaint();
  ProgressSink sink;
  if (progress) {
    sink = [progress](int position, int maximum) {
      if (progress->maximum() != maximum) progress->setMaximum(maximum);
      progress->setValue(position);
    };
  }
  render::DrawingDocument& doc = view_.document();
  target->setImage(render::LoadDxfPreview(doc, NativePath(path), target->size(), sink, messages_));
  view_.Loaded();
  view_.SetSize(image2_->width(), image2_->height());
}

void DrawingTab::Clear() {
  surface_.Finish();
  view_.document().ClearDrawing();
  view_.Dropped();
}

void DrawingTab::Release() {
  surface_.Finish();
  view_.document().drawing = dxf::Drawing();
  view_.Dropped();
}

void DrawingTab::ClearBoxes() {
  surface_.Finish();
  image2_->clear();
  edit4_->clear();
  edit5_->clear();
}

bool DrawingTab::Wheel(QWidget* under, QWheelEvent* event) {
  // Only the page itself or the picture on it; the bar, its boxes and the status box are not
  // the page.
  const bool overPage = under == this || under == image2_;
  if (!overPage) return false;
  wheelRemainder_ += event->angleDelta().y();
  const int notches = wheelRemainder_ / kNotch;
  if (notches == 0) return true;  // part of a notch: kept for the next
  wheelRemainder_ -= notches * kNotch;
  UpdateConditions();
  const QPoint at = image2_->mapFromGlobal(event->globalPosition().toPoint());
  bool handled = false;
  for (int i = 0; i < std::abs(notches); ++i) {
    bool used = false;
    Show(view_.Wheel(notches < 0, at.x(), at.y(), true, &used));
    handled = handled || used;
  }
  return handled;
}

bool DrawingTab::eventFilter(QObject* watched, QEvent* event) {
  if (watched != image2_) return QWidget::eventFilter(watched, event);
  switch (event->type()) {
    case QEvent::MouseButtonPress:
    case QEvent::MouseButtonRelease:
    case QEvent::MouseMove: {
      auto* e = static_cast<QMouseEvent*>(event);
      UpdateConditions();
      const QPoint p = e->position().toPoint();
      const bool shift = (e->modifiers() & Qt::ShiftModifier) != 0;
      if (event->type() == QEvent::MouseMove) {
        Show(view_.MouseMove(p.x(), p.y(), shift));
      } else if (const auto button = ButtonOf(e->button())) {
        Show(event->type() == QEvent::MouseButtonPress
                 ? view_.MouseDown(*button, p.x(), p.y(), shift)
                 : view_.MouseUp(*button, p.x(), p.y(), shift));
      }
      return true;
    }
    case QEvent::Resize: {
      UpdateConditions();
      const QSize size = static_cast<QResizeEvent*>(event)->size();
      Show(view_.Resize(size.width(), size.height()));
      break;
    }
    default:
      break;
  }
  return QWidget::eventFilter(watched, event);
}

}  // namespace kestrel::app
