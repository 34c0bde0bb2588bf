#include "cadlink/TargetCadForm.h"

#include <QGroupBox>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QScreen>
#include <QSignalBlocker>

namespace kestrel::cadlink {
namespace {

QString Q(const std::string& s) {
  return QString::fromStdString(s);
}

template <typename W>
W* Place(W* w, int left, int top, int width, int height) {
  w->setGeometry(left, top, width, height);
  return w;
}

QPushButton* MakeButton(QWidget* parent, const char* caption) {
  auto* b = new QPushButton(QString::fromUtf8(caption), parent);
  b->setAutoDefault(false);
  return b;
}

QLineEdit* MakeAsciiBox(QWidget* parent) {
  auto* box = new QLineEdit(parent);
  // ProgIDs and most names are typed in Latin letters: the input method starts off.
  box->setInputMethodHints(Qt::ImhPreferLatin | Qt::ImhNoPredictiveText);
  return box;
}

}  // namespace

TTargetCADForm::TTargetCADForm(std::string tablePath, MessageSink messages, QWidget* parent)
    : QDialog(parent), logic_(std::move(tablePath), std::move(messages)) {
  setWindowTitle("ターゲット CAD");
  setWindowFlags(Qt::Dialog | Qt::MSWindowsFixedSizeDialogHint | Qt::WindowTitleHint |
                 Qt::WindowCloseButtonHint);
  setFixedSize(kClientWidth, kClientHeight);
  setModal(true);

  list_ = Place(new QListWidget(this), 8, 8, 299, 150);
  list_->setSelectionMode(QAbstractItemView::SingleSelection);

  auto* group = Place(new QGroupBox(this), 8, 164, 299, 104);
  Place(new QLabel("名称 （説明）", group), 10, 8, 200, 16);
  edit1_ = Place(MakeAsciiBox(group), 10, 25, 200, 22);
  Place(new QLabel("ProgID （クラス文字列）", group), 10, 53, 200, 16);
  edit2_ = Place(MakeAsciiBox(group), 10, 70, 200, 22);
  add_ = Place(MakeButton(group, "追加"), 219, 8, 70, 25);
  delete_ = Place(MakeButton(group, "削除"), 219, 38, 70, 25);
  change_ = Place(MakeButton(group, "変更"), 219, 68, 70, 25);

  ok_ = Place(MakeButton(this, "OK"), 146, 275, 75, 25);
  cancel_ = Place(MakeButton(this, "取り消し"), 229, 275, 78, 25);

  // A click or a move with the arrow keys; the list itself is left alone while it reports it.
  auto click = [this](int row) {
    if (row < 0) return;
    logic_.Click(row);
    edit1_->setText(Q(logic_.Edit1()));
    edit2_->setText(Q(logic_.Edit2()));
  };
  connect(list_, &QListWidget::currentRowChanged, this, click);
  // A click on the line already selected fills the boxes again too.
  connect(list_, &QListWidget::itemClicked, this,
          [this, click](QListWidgetItem* item) { click(list_->row(item)); });
  connect(add_, &QPushButton::clicked, this, [this] { Run(&TargetCadLogic::Add); });
  connect(delete_, &QPushButton::clicked, this, [this] { Run(&TargetCadLogic::Delete); });
  connect(change_, &QPushButton::clicked, this, [this] { Run(&TargetCadLogic::Change); });
  connect(ok_, &QPushButton::clicked, this, &TTargetCADForm::AcceptChoice);
  connect(cancel_, &QPushButton::clicked, this, &QDialog::reject);
  edit1_->installEventFilter(this);
  edit2_->installEventFilter(this);
}

void TTargetCADForm::Prepare(const std::string& targetProgId) {
  logic_.SetEdits(edit1_->text().toStdString(), edit2_->text().toStdString());
  logic_.Show(targetProgId);
  Refresh();
}

int TTargetCADForm::ShowFor(const std::string& targetProgId) {
  Prepare(targetProgId);
  return exec();
}

bool TTargetCADForm::eventFilter(QObject* watched, QEvent* event) {
  // Enter in either box changes the selected line, and goes no further (no default button).
  if ((watched == edit1_ || watched == edit2_) && event->type() == QEvent::KeyPress) {
    const int key = static_cast<QKeyEvent*>(event)->key();
    if (key == Qt::Key_Return || key == Qt::Key_Enter) {
      Run(&TargetCadLogic::Change);
      return true;
    }
  }
  return QDialog::eventFilter(watched, event);
}

void TTargetCADForm::showEvent(QShowEvent* event) {
  QDialog::showEvent(event);
  if (placed_) return;  // later showings open where the dialog was closed
  placed_ = true;
  QScreen* screen = parentWidget() ? parentWidget()->screen() : this->screen();
  if (!screen) return;
  const QRect work = screen->availableGeometry();
  const QRect frame = frameGeometry();
  move(std::max(work.left(), work.left() + (work.width() - frame.width()) / 2),
       std::max(work.top(), work.top() + (work.height() - frame.height()) / 2));
}

void TTargetCADForm::Run(void (TargetCadLogic::*command)()) {
  logic_.SetEdits(edit1_->text().toStdString(), edit2_->text().toStdString());
  (logic_.*command)();
  Refresh();
}

void TTargetCADForm::Refresh() {
  const QSignalBlocker blocker(list_);
  list_->clear();
  for (const std::string& line : logic_.Lines())
    list_->addItem(Q(line));
  list_->setCurrentRow(logic_.Selected());
  if (logic_.Selected() < 0) list_->clearSelection();
  edit1_->setText(Q(logic_.Edit1()));
  edit2_->setText(Q(logic_.Edit2()));
}

void TTargetCADForm::AcceptChoice() {
  logic_.SetEdits(edit1_->text().toStdString(), edit2_->text().toStdString());
  if (onOk) onOk(logic_.Ok(appTitle));
  accept();
}

}  // namespace kestrel::cadlink
