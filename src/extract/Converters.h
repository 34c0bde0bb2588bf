// Legacy binary Office files (.doc, .xls, .ppt) through Debian's converters, started with an
// argument list (never a shell), with a time limit and a bound on what they may print.
#pragma once

#include <string>
#include <vector>

#include "extract/TextOut.h"

namespace kestrel::extract {

struct ConverterRun {
  bool started = false;
  bool finished = false;  // false: killed at the time limit
  int exitCode = -1;
  std::string output;  // standard output, at most the bound
  bool truncated = false;
};

// Runs `program` (looked up in PATH) with `args`; standard input is closed and standard error
// discarded. While it runs `poll` is called about every 20 ms.
ConverterRun RunConverter(const std::string& program, const std::vector<std::string>& args,
                          int timeoutMs, size_t maxOutput, const Poll& poll);

// The text of a legacy file: antiword then catdoc for .doc, xls2csv for .xls, catppt for .ppt.
// `lowerExt` is ".doc", ".xls" or ".ppt"; `path` is the file system's bytes.
bool ReadLegacyOffice(const std::string& path, const std::string& lowerExt, TextOut& out,
                      const Poll& poll, std::string* error);

}  // namespace kestrel::extract
