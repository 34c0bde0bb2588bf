// A drawing chosen in the list may be a FIFO, a socket, a device or a folder named .dxf: the
// signature, the version scan, the reader and the whole preparation report it as unreadable
// at once, and never wait for a writer or read without end.
#include <gtest/gtest.h>

#include <string>

#include "common/SpecialFiles.h"
#include "dxf/DxfReader.h"
#include "dxf/HeaderScan.h"
#include "dxf/PostProcess.h"

namespace kestrel::dxf {
namespace {

TEST(DxfSpecialFiles, EveryStepRefusesAtOnce) {
  const kestrel::test::SpecialFiles special(".dxf");
  struct Step {
    const char* name;
    std::string (*run)(const std::string& path);
    std::string expected;
  };
  const Step steps[] = {
      {"ReadFileSignature",
       [](const std::string& path) {
         return std::string(ReadFileSignature(path).success ? "read" : "failed");
       },
       "failed"},
      {"ScanDxfVersion",
       [](const std::string& path) {
         return std::string(ScanDxfVersion(path).success ? "read" : "failed");
       },
       "failed"},
      {"ReadDxfFile",
       [](const std::string& path) {
         Drawing d;
         return ReadDxfFile(d, path, TextEncoding::Ansi);
       },
       "busy"},
      {"PrepareDxfDrawing",
       [](const std::string& path) {
         Drawing d;
         const PreparedDxf prepared = PrepareDxfDrawing(d, path);
         return prepared.error + (prepared.read ? " (read)" : "");
       },
       "not a file"},
  };
  for (const Step& step : steps) {
    for (const kestrel::test::SpecialFile& file : special.Files()) {
      SCOPED_TRACE(std::string(step.name) + " of a " + file.kind);
      EXPECT_EQ(kestrel::test::SpecialFiles::Read(file, step.run), step.expected)
          << "(nothing: it did not return within a second)";
    }
  }
}

}  // namespace
}  // namespace kestrel::dxf
