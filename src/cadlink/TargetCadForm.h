// The dialog "ターゲット CAD": the list of targets, the name and ProgID boxes with "追加",
// "削除" and "変更", and "OK" / "取り消し". Created once and kept hidden, so that its list and
// boxes keep their contents from one showing to the next; TargetCadLogic does the work.
#pragma once

#include <QDialog>
#include <functional>
#include <string>

#include "cadlink/TargetCadLogic.h"

class QLineEdit;
class QListWidget;
class QPushButton;

namespace kestrel::cadlink {

class TTargetCADForm : public QDialog {
  Q_OBJECT
 public:
  static constexpr int kClientWidth = 315;
  static constexpr int kClientHeight = 307;

  TTargetCADForm(std::string tablePath, MessageSink messages, QWidget* parent = nullptr);

  // Called by OK with the three captions and the new TargetProgID.
  std::function<void(const TargetCadLogic::Choice&)> onOk;
  // The application title the window caption starts with.
  std::string appTitle = "Kestrel";

  // Shows the dialog modally for the current target.
  int ShowFor(const std::string& targetProgId);
  // Fills the dialog as a showing does, without showing it (the modal loop is the caller's).
  void Prepare(const std::string& targetProgId);

  TargetCadLogic& Logic() { return logic_; }
  QListWidget* List() const { return list_; }
  QLineEdit* NameBox() const { return edit1_; }
  QLineEdit* ProgIdBox() const { return edit2_; }
  QPushButton* AddButton() const { return add_; }
  QPushButton* DeleteButton() const { return delete_; }
  QPushButton* ChangeButton() const { return change_; }
  QPushButton* OkButton() const { return ok_; }
  QPushButton* CancelButton() const { return cancel_; }

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override;
  void showEvent(QShowEvent* event) override;

 private:
  // Runs a command on the boxes as the user left them, then shows its outcome.
  void Run(void (TargetCadLogic::*command)());
  void Refresh();
  void AcceptChoice();

  TargetCadLogic logic_;
  QListWidget* list_;
  QLineEdit* edit1_;
  QLineEdit* edit2_;
  QPushButton* add_;
  QPushButton* delete_;
  QPushButton* change_;
  QPushButton* ok_;
  QPushButton* cancel_;
  bool placed_ = false;
};

}  // namespace kestrel::cadlink
