#include "cadlink/CadCommands.h"

#include <filesystem>
#include <system_error>

#include "base/PathBytes.h"

namespace kestrel::cadlink {
namespace {

constexpr char kCr = '\r';

#ifdef _WIN32
constexpr std::string_view kSeparators = "\\/:";
#else
constexpr std::string_view kSeparators = "/";
#endif

// The extension from the last dot of the file name on, ASCII letters upper-cased.
std::string UpperExtension(std::string_view path) {
  const size_t dot = path.find_last_of('.');
  const size_t separator = path.find_last_of(kSeparators);
  if (dot == std::string_view::npos || (separator != std::string_view::npos && dot < separator))
    return {};
  std::string ext(path.substr(dot));
  for (char& c : ext)
    if (c >= 'a' && c <= 'z') c = char(c - 'a' + 'A');
  return ext;
}

bool IsFile(std::string_view path) {
  std::error_code ec;
  return std::filesystem::is_regular_file(NativePath(path), ec);
}

}  // namespace

std::string InsertCommandText(std::string_view path) {
  std::string text = "ATTREQ 0";
  text += kCr;
  text += "-INSERT";
  text += kCr;
  text += '"';
  text += path;
  text += '"';
  text += kCr;
  text += "S 1 R 0";
  return text;
}

std::string LispLoadCommandText(std::string_view path) {
  std::string text = "(load \"";
  for (char c : path) {
    text += c;
    if (c == '\\') text += '\\';
  }
  text += "\")(princ)";
  return text;
}

std::optional<std::string> InsertCommandFor(std::string_view path) {
  const std::string ext = UpperExtension(path);
  if ((ext != ".DWG" && ext != ".DXF") || !IsFile(path)) return std::nullopt;
  return InsertCommandText(path);
}

std::optional<std::string> LispLoadCommandFor(std::string_view path) {
  if (UpperExtension(path) != ".LSP" || !IsFile(path)) return std::nullopt;
  return LispLoadCommandText(path);
}

void SendToCad(CadSession& session, const std::string& progId, const std::string& text,
               const MessageSink& messages) {
  struct ReleaseAtEnd {
    CadSession& session;
    ~ReleaseAtEnd() { session.Release(); }
  } releaseAtEnd{session};
  try {
    if (!session.IsTargetRunning(progId)) return;
    session.Fetch(progId);
    // The handle is read anew each time: restoring may give the program another main window.
    if (session.IsMinimised(session.MainWindow())) {
      session.Restore(session.MainWindow());
      session.Pause(500);
    }
    session.SetForeground(session.MainWindow());
    // Escape clears whatever command the user left running, but only in the CAD window: a
    // window that did not come to the front must not get the key.
    if (session.Foreground() == session.MainWindow()) {
      session.PressEscape();
      session.Pause(5);
    }
    session.FetchActiveDocument();
    session.SendCommand(text + kCr);
  } catch (const CadError& e) {
    if (messages) messages({MessageKind::Error, {}, e.what()});
  }
}

void InsertIntoCad(const std::optional<std::string>& selectedPath, CadSession& session,
                   const std::string& progId, const MessageSink& messages) {
  if (!selectedPath) return;
  if (auto text = InsertCommandFor(*selectedPath)) SendToCad(session, progId, *text, messages);
}

void LoadLispIntoCad(const std::optional<std::string>& selectedPath, CadSession& session,
                     const std::string& progId, const MessageSink& messages) {
  if (!selectedPath) return;
  if (auto text = LispLoadCommandFor(*selectedPath)) SendToCad(session, progId, *text, messages);
}

}  // namespace kestrel::cadlink
