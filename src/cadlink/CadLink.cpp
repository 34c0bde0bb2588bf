#include "cadlink/CadLink.h"

#include <QAbstractItemView>
#include <QAction>
#include <QPushButton>

#include "cadlink/CadCommands.h"
#include "cadlink/TargetCadForm.h"

namespace kestrel::cadlink {
namespace {

QAction* MakeRow(QObject* parent, const char* caption) {
  auto* a = new QAction(QString::fromUtf8(caption), parent);
  a->setData(QString::fromUtf8(caption));  // the first caption stays when the text changes
  return a;
}

}  // namespace

CadLink::CadLink(CadLinkHooks hooks, QObject* parent)
    : QObject(parent),
      hooks_(std::move(hooks)),
      targetAction_(MakeRow(this, "ターゲット CAD")),
      insertAction_(MakeRow(this, "■ CAD へ挿入（リストをダブルクリック）")),
      loadAction_(MakeRow(this, "■ CAD へロード")),
      dialog_(new TTargetCADForm(hooks_.tablePath, hooks_.messages, hooks_.window)) {
  dialog_->hide();
  dialog_->onOk = [this](const TargetCadLogic::Choice& choice) {
    if (hooks_.chooseTarget) hooks_.chooseTarget(choice);
  };
  connect(targetAction_, &QAction::triggered, this, &CadLink::ShowTargetDialog);
  connect(insertAction_, &QAction::triggered, this, &CadLink::InsertIntoCad);
  connect(loadAction_, &QAction::triggered, this, &CadLink::LoadLispIntoCad);
}

CadLink::~CadLink() = default;

void CadLink::Connect(QPushButton* insertButton, QPushButton* lspButton,
                      QAbstractItemView* resultList) {
  insertButton->setToolTip("DWG, DXF ファイルを CAD へ挿入");
  lspButton->setToolTip("LSP ファイルを CAD へロード");
  connect(insertButton, &QPushButton::clicked, this, &CadLink::InsertIntoCad);
  connect(lspButton, &QPushButton::clicked, this, &CadLink::LoadLispIntoCad);
  // A double click inserts; on a LISP file it does nothing.
  connect(resultList, &QAbstractItemView::doubleClicked, this, &CadLink::InsertIntoCad);
}

std::unique_ptr<CadSession> CadLink::Session() const {
  return hooks_.makeSession ? hooks_.makeSession() : MakeCadSession();
}

void CadLink::InsertIntoCad() {
  const std::optional<std::string> path = hooks_.selectedPath();
  if (!path) return;
  cadlink::InsertIntoCad(path, *Session(), hooks_.targetProgId(), hooks_.messages);
}

void CadLink::LoadLispIntoCad() {
  const std::optional<std::string> path = hooks_.selectedPath();
  if (!path) return;
  cadlink::LoadLispIntoCad(path, *Session(), hooks_.targetProgId(), hooks_.messages);
}

void CadLink::ShowTargetDialog() {
  dialog_->ShowFor(hooks_.targetProgId());
}

}  // namespace kestrel::cadlink
