// Small DXF snippets for the reader tests: pairs written one per line as "code value".
#pragma once

#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <string_view>

#include <gtest/gtest.h>
#include <unistd.h>

namespace kestrel::dxf::testing {

// "0 LINE\n8 A\n10 1.5" → "0\nLINE\n8\nA\n10\n1.5\n". The value is everything after the first
// blank, so values with blanks of their own are written as they are.
inline std::string Pairs(std::string_view lines) {
  std::string out;
  std::istringstream in{std::string(lines)};
  std::string line;
  while (std::getline(in, line)) {
    const size_t start = line.find_first_not_of(' ');
    if (start == std::string::npos) continue;
    const size_t blank = line.find(' ', start);
    out += line.substr(start, blank - start) + "\n";
    out += (blank == std::string::npos ? "" : line.substr(blank + 1)) + "\n";
  }
  return out;
}

inline std::string Entities(std::string_view body) {
  return Pairs("0 SECTION\n2 ENTITIES\n") + Pairs(body) + Pairs("0 ENDSEC\n0 EOF\n");
}

// One block "BIG" holding one TEXT of `textBytes` characters, inserted `inserts` times on a
// grid 10 units apart, 200 to a row; `extra` is written into the ENTITIES section first.
inline std::string SharedTextDrawing(int inserts, size_t textBytes, std::string_view extra = "") {
  std::string text;
  while (text.size() < textBytes)
    text += "KESTREL shared text 0123456789 ";
  text.resize(textBytes);
  std::string out = Pairs(
                        "0 SECTION\n2 BLOCKS\n0 BLOCK\n2 BIG\n8 0\n10 0\n20 0\n0 TEXT\n8 0\n"
                        "10 0\n20 0\n40 2.5\n") +
                    "1\n" + text + "\n" + Pairs("0 ENDBLK\n0 ENDSEC\n0 SECTION\n2 ENTITIES\n");
  out += Pairs(extra);
  for (int i = 0; i < inserts; ++i) {
    out += "0\nINSERT\n8\n0\n2\nBIG\n10\n" + std::to_string(i % 200 * 10) + "\n20\n" +
           std::to_string(i / 200 * 10) + "\n";
  }
  return out + Pairs("0 ENDSEC\n0 EOF\n");
}

// A file below the test's temporary folder holding `bytes`, in a folder of this process's own:
// other test runs on the machine write files of the same names at the same time.
inline std::filesystem::path WriteTempFile(const std::string& name, std::string_view bytes) {
  const std::filesystem::path folder =
      std::filesystem::path(::testing::TempDir()) / ("kestrel-dxf-" + std::to_string(::getpid()));
  std::filesystem::create_directories(folder);
  const std::filesystem::path path = folder / name;
  std::ofstream(path, std::ios::binary) << bytes;
  return path;
}

}  // namespace kestrel::dxf::testing
