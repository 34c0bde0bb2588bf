#include <cstdio>
#include <iostream>
#include <optional>
#include <string>

#include "app/core/Settings.h"
#include "cadlink/TargetCadLogic.h"
#include "dxf/DxfJson.h"
#include "tool/Commands.h"

namespace kestrel::tool {
namespace {

std::string JsonLines(const std::vector<std::string>& lines) {
  std::string out = "[";
  for (size_t i = 0; i < lines.size(); ++i)
    out += (i ? "," : "") + dxf::JsonString(lines[i]);
  return out + "]";
}

std::string JsonOrNull(const std::optional<std::string>& text) {
  return text ? dxf::JsonString(*text) : "null";
}

}  // namespace

// The target dialog's logic over the table file TABLE, driven by one command a line from
// standard input; after the start and after each command one JSON object shows the list, the
// boxes, the file and what OK set. Messages go to standard error.
int RunTargetDialog(const Args& args) {
  if (args.size() != 3 || args[1] != "--target") {
    std::fputs("usage: kestrel-tool target-dialog TABLE --target PROGID\n", stderr);
    return 2;
  }
  cadlink::TargetCadLogic logic(
      args[0], [](const Message& m) { std::fprintf(stderr, "message: %s\n", m.text.c_str()); });
  std::string targetProgId = args[2];
  std::optional<app::TargetCaptions> captions;  // none before the first OK

  auto print = [&](const std::string& event) {
    const app::TextTable file = app::ReadTextTable(logic.TablePath());
    std::string out;
    dxf::JsonObjectWriter json(out);
    json.String("event", event);
    json.Raw("list", JsonLines(logic.Lines()));
    json.Raw("selected", std::to_string(logic.Selected()));
    json.String("edit1", logic.Edit1());
    json.String("edit2", logic.Edit2());
    json.Raw("file", file.existed ? JsonLines(file.lines) : "null");
    json.String("TargetProgID", targetProgId);
    json.Raw("menu", JsonOrNull(captions ? std::optional(captions->menuItem) : std::nullopt));
    json.Raw("button", JsonOrNull(captions ? std::optional(captions->insertButton) : std::nullopt));
    json.Raw("title", JsonOrNull(captions ? std::optional(captions->window) : std::nullopt));
    json.Finish();
    std::printf("%s\n", out.c_str());
    std::fflush(stdout);
  };

  print("start");
  std::string line;
  while (std::getline(std::cin, line)) {
    if (!line.empty() && line.back() == '\r') line.pop_back();
    if (line.empty()) continue;
    const std::string command = line.substr(0, line.find_first_of(" \t"));
    if (command == "show") {
      logic.Show(targetProgId);
    } else if (command == "click" && line.size() > 6) {
      try {
        logic.Click(std::stoi(line.substr(6)));
      } catch (const std::exception&) {
        std::fprintf(stderr, "kestrel-tool: not a line number: %s\n", line.c_str());
        return 2;
      }
    } else if (command == "edit" && line.size() > 4 && line[4] == '\t') {
      const size_t tab = line.find('\t', 5);
      if (tab == std::string::npos) {
        std::fprintf(stderr, "kestrel-tool: edit needs NAME<TAB>PROGID: %s\n", line.c_str());
        return 2;
      }
      logic.SetEdits(line.substr(5, tab - 5), line.substr(tab + 1));
    } else if (command == "add") {
      logic.Add();
    } else if (command == "delete") {
      logic.Delete();
    } else if (command == "change") {
      logic.Change();
    } else if (command == "ok") {
      const cadlink::TargetCadLogic::Choice choice = logic.Ok("Kestrel");
      captions = choice.captions;
      targetProgId = choice.targetProgId;
    } else if (command == "cancel") {
      // Closing without OK keeps what the other buttons already wrote, and nothing else.
    } else {
      std::fprintf(stderr, "kestrel-tool: unknown command: %s\n", line.c_str());
      return 2;
    }
    print(command);
  }
  return 0;
}

}  // namespace kestrel::tool
