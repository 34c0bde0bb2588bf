#include "extract/Converters.h"

#include <QElapsedTimer>
#include <QFile>
#include <QProcess>
#include <QStandardPaths>
#include <filesystem>

#include "base/PathBytes.h"
#include "base/RegularFile.h"

namespace kestrel::extract {
namespace {

constexpr int kConverterTimeoutMs = 60'000;

// The converter's output with its line ends made CR LF and its page breaks made empty lines.
void AppendConverted(std::string_view text, TextOut& out) {
  size_t start = 0;
  for (size_t i = 0; i < text.size(); ++i) {
    const char c = text[i];
    if (c == '\n' || c == '\r' || c == '\f') {
      out.Append(text.substr(start, i - start));
      if (c == '\r' && i + 1 < text.size() && text[i + 1] == '\n') ++i;
      out.NewLine();
      start = i + 1;
    }
  }
  out.Append(text.substr(start));
  out.EndLine();
}

}  // namespace

ConverterRun RunConverter(const std::string& program, const std::vector<std::string>& args,
                          int timeoutMs, size_t maxOutput, const Poll& poll) {
  ConverterRun run;
  const QString exe = QStandardPaths::findExecutable(QString::fromStdString(program));
  if (exe.isEmpty()) return run;
  QStringList list;
  for (const std::string& a : args)
    list << QFile::decodeName(QByteArray::fromStdString(a));
  QProcess process;
  process.setStandardInputFile(QProcess::nullDevice());
  process.setStandardErrorFile(QProcess::nullDevice());
  process.start(exe, list, QIODevice::ReadOnly);
  if (!process.waitForStarted(10'000)) return run;
  run.started = true;
  QElapsedTimer timer;
  timer.start();
  for (;;) {
    const bool ended = process.state() == QProcess::NotRunning || process.waitForFinished(20);
    const QByteArray piece = process.readAllStandardOutput();
    if (piece.size() > qsizetype(maxOutput - run.output.size())) {
      run.output.append(piece.constData(), maxOutput - run.output.size());
      run.truncated = true;
      break;
    }
    run.output.append(piece.constData(), size_t(piece.size()));
    if (ended) {
      run.finished = true;
      run.exitCode = process.exitStatus() == QProcess::NormalExit ? process.exitCode() : -1;
      return run;
    }
    if (timer.elapsed() > timeoutMs) break;
    if (poll) poll();
  }
  process.kill();
  process.waitForFinished(5'000);
  run.finished = run.truncated;  // enough output is a result; a hang is not
  run.exitCode = run.truncated ? 0 : -1;
  return run;
}

bool ReadLegacyOffice(const std::string& path, const std::string& lowerExt, TextOut& out,
                      const Poll& poll, std::string* error) {
  // The converters open the path themselves: only a regular file is handed to them, and a
  // name that starts with "-" is not taken for an option.
  if (!RegularFile::Open(NativePath(path)).IsOpen()) {
    *error = "ファイルを開けません";
    return false;
  }
  std::string arg = path;
  if (!arg.empty() && arg[0] == '-') arg = "./" + arg;
  struct Try {
    const char* program;
    std::vector<std::string> args;
  };
  std::vector<Try> tries;
  if (lowerExt == ".doc") {
    tries = {{"antiword", {"-m", "UTF-8.txt", "-w", "0", arg}},
             {"catdoc", {"-d", "utf-8", "-w", arg}}};
  } else if (lowerExt == ".xls") {
    tries = {{"xls2csv", {"-d", "utf-8", "-q", "0", "-c", "\t", arg}}};
  } else {
    tries = {{"catppt", {"-d", "utf-8", arg}}};
  }
  bool anyStarted = false;
  for (const Try& t : tries) {
    const size_t room = kMaxTextBytes;
    ConverterRun run = RunConverter(t.program, t.args, kConverterTimeoutMs, room, poll);
    anyStarted = anyStarted || run.started;
    if (!run.finished || run.exitCode != 0) continue;
    AppendConverted(run.output, out);
    return true;
  }
  *error = anyStarted
               ? "文書を読めませんでした"
               : std::string("変換プログラム ") + tries.front().program + " が見つかりません";
  return false;
}

}  // namespace kestrel::extract
