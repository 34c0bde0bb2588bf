// What the "ターゲット CAD" dialog does, without its widgets: the list of target lines (name,
// TAB, ProgID) kept in the table file, the two edit boxes and the selection. The dialog and
// kestrel-tool target-dialog drive it alike.
#pragma once

#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "app/core/Settings.h"
#include "base/Messages.h"

namespace kestrel::cadlink {

// The list's order: true when `a` sorts before `b`.
using LineOrder = std::function<bool(const std::string& a, const std::string& b)>;

// Case-insensitive and aware of the user's locale, as the platform's sorted lists are.
LineOrder LocaleLineOrder();

class TargetCadLogic {
 public:
  TargetCadLogic(std::string tablePath, MessageSink messages, LineOrder order = LocaleLineOrder());

  // Showing the dialog: the list from the table file (when there is one), and the first line
  // naming `targetProgId` selected.
  void Show(const std::string& targetProgId);
  // A click on line `index` (outside the list: nothing is selected, the boxes keep their text).
  void Click(int index);
  // What the user typed into the two boxes.
  void SetEdits(std::string name, std::string progId);
  void Add();
  void Delete();
  // Also what Enter in either box does.
  void Change();

  // What OK sets: the three captions and the new TargetProgID, from the boxes as they stand.
  struct Choice {
    std::string name;
    app::TargetCaptions captions;
    std::string targetProgId;
  };
  Choice Ok(const std::string& appTitle) const;

  const std::vector<std::string>& Lines() const { return lines_; }
  int Selected() const { return selected_; }
  const std::string& Edit1() const { return edit1_; }
  const std::string& Edit2() const { return edit2_; }
  const std::string& TablePath() const { return tablePath_; }

 private:
  void Select(int index);  // -1: none; a line fills the boxes as a click does
  void Insert(std::string line);
  void WriteTable();

  std::string tablePath_;
  MessageSink messages_;
  LineOrder order_;
  app::TextTable table_;  // the file as last read: how it is written back
  std::vector<std::string> lines_;
  int selected_ = -1;
  std::string edit1_, edit2_;
};

}  // namespace kestrel::cadlink
