#include "cadlink/TargetCadLogic.h"

#include <QCollator>
#include <QLocale>
#include <QString>
#include <algorithm>
#include <cerrno>
#include <memory>
#include <system_error>

namespace kestrel::cadlink {

LineOrder LocaleLineOrder() {
  auto collator = std::make_shared<QCollator>(QLocale::system());
  collator->setCaseSensitivity(Qt::CaseInsensitive);
  return [collator](const std::string& a, const std::string& b) {
    return collator->compare(QString::fromStdString(a), QString::fromStdString(b)) < 0;
  };
}

TargetCadLogic::TargetCadLogic(std::string tablePath, MessageSink messages, LineOrder order)
    : tablePath_(std::move(tablePath)), messages_(std::move(messages)), order_(std::move(order)) {}

void TargetCadLogic::Show(const std::string& targetProgId) {
  app::TextTable read = app::ReadTextTable(tablePath_);
  if (read.existed) {
    table_ = read;
    table_.lines.clear();
    lines_.clear();
    selected_ = -1;
    for (std::string& line : read.lines)
      Insert(std::move(line));
  }
  const std::string needle = "\t" + targetProgId;
  for (size_t i = 0; i < lines_.size(); ++i) {
    if (lines_[i].find(needle) != std::string::npos) {
      Select(int(i));
      return;
    }
  }
  selected_ = -1;
}

void TargetCadLogic::Click(int index) {
  if (index < 0 || size_t(index) >= lines_.size()) {
    selected_ = -1;
    return;
  }
  Select(index);
}

void TargetCadLogic::SetEdits(std::string name, std::string progId) {
  edit1_ = std::move(name);
  edit2_ = std::move(progId);
}

void TargetCadLogic::Add() {
  const std::string line = edit1_ + "\t" + edit2_;
  Insert(line);
  // The first equal line, ignoring letter case: an older twin may come before the new one.
  const QString wanted = QString::fromStdString(line);
  for (size_t i = 0; i < lines_.size(); ++i) {
    if (QString::fromStdString(lines_[i]).compare(wanted, Qt::CaseInsensitive) == 0) {
      Select(int(i));
      break;
    }
  }
  WriteTable();
}

void TargetCadLogic::Delete() {
  if (selected_ < 0) return;
  const int i = selected_;
  lines_.erase(lines_.begin() + i);
  edit1_.clear();
  edit2_.clear();
  const int n = int(lines_.size());
  // The line that moved up into the deleted one's place is not the one chosen when it is the
  // last: then the line before the deleted one is.
  if (i + 1 < n)
    Select(i);
  else if (i >= 1)
    Select(i - 1);
  else
    selected_ = -1;
  WriteTable();
}

void TargetCadLogic::Change() {
  if (selected_ < 0) return;
  // In place and not sorted again: the line stays where the user sees it until the next showing.
  lines_[size_t(selected_)] = edit1_ + "\t" + edit2_;
  WriteTable();
}

TargetCadLogic::Choice TargetCadLogic::Ok(const std::string& appTitle) const {
  return {edit1_, app::CaptionsForTarget(edit1_, appTitle), edit2_};
}

void TargetCadLogic::Select(int index) {
  selected_ = index;
  const std::string& line = lines_[size_t(index)];
  const size_t tab = line.find('\t');
  if (tab == std::string::npos) {
    edit1_.clear();
    edit2_ = line;
  } else {
    edit1_ = line.substr(0, tab);
    edit2_ = line.substr(tab + 1);
  }
}

void TargetCadLogic::Insert(std::string line) {
  // Where a sorted list puts a new line: after every line that does not sort after it, found
  // by halving, as it is also when a changed line stands out of order.
  auto at = std::upper_bound(lines_.begin(), lines_.end(), line, order_);
  const int position = int(at - lines_.begin());
  lines_.insert(at, std::move(line));
  if (selected_ >= position) ++selected_;
}

void TargetCadLogic::WriteTable() {
  errno = 0;
  if (app::WriteTextTable(tablePath_, lines_, table_)) {
    // The next write keeps the encoding this one chose (a new file, or a character the code
    // page lacks, made it UTF-8); an empty file tells nothing about it.
    app::TextTable written = app::ReadTextTable(tablePath_);
    if (!written.lines.empty()) {
      table_.encoding = written.encoding;
      table_.bom = written.bom;
    }
    table_.existed = true;
    return;
  }
  const int error = errno;
  std::string text = "ファイル " + tablePath_ + " を作成できません.";
  if (error != 0) text += " " + std::system_category().message(error);
  if (messages_) messages_({MessageKind::Error, {}, text});
}

}  // namespace kestrel::cadlink
