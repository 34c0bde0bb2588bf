// The CAD link in the window: the rows "ターゲット CAD", "■ CAD へ挿入（リストをダブルクリック）"
// and "■ CAD へロード" of the result list's popup menu, the insert and "LSP ロード" buttons,
// the double click on the result list, the target dialog and the COM message filter.
#pragma once

#include <QObject>
#include <functional>
#include <memory>
#include <optional>
#include <string>

#include "base/Messages.h"
#include "cadlink/CadSession.h"
#include "cadlink/MessageFilter.h"
#include "cadlink/TargetCadLogic.h"

class QAbstractItemView;
class QAction;
class QPushButton;
class QWidget;

namespace kestrel::cadlink {

class TTargetCADForm;

struct CadLinkHooks {
  QWidget* window = nullptr;  // owns the dialog
  std::string tablePath;      // the target table file
  MessageSink messages;
  std::function<std::optional<std::string>()> selectedPath;
  std::function<std::string()> targetProgId;
  // OK in the dialog: the new TargetProgID and the target's name for the three captions.
  std::function<void(const TargetCadLogic::Choice&)> chooseTarget;
  // The session each command talks through; empty: the platform's.
  std::function<std::unique_ptr<CadSession>()> makeSession;
};

class CadLink : public QObject {
  Q_OBJECT
 public:
  CadLink(CadLinkHooks hooks, QObject* parent = nullptr);
  ~CadLink() override;

  // The three popup rows, in their order; each carries its first caption as data.
  QAction* TargetAction() const { return targetAction_; }
  QAction* InsertAction() const { return insertAction_; }
  QAction* LoadAction() const { return loadAction_; }
  TTargetCADForm* Dialog() const { return dialog_; }

  // The insert button, "LSP ロード" and a double click on the result list.
  void Connect(QPushButton* insertButton, QPushButton* lspButton, QAbstractItemView* resultList);

  void InsertIntoCad();
  void LoadLispIntoCad();
  void ShowTargetDialog();

  void RegisterMessageFilter() { filter_.Register(); }
  void RevokeMessageFilter() { filter_.Revoke(); }

 private:
  std::unique_ptr<CadSession> Session() const;

  CadLinkHooks hooks_;
  QAction* targetAction_;
  QAction* insertAction_;
  QAction* loadAction_;
  TTargetCADForm* dialog_;
  MessageFilterRegistration filter_;
};

}  // namespace kestrel::cadlink
