#include "preview/core/FileHead.h"

#include <array>
#include <string_view>

#include "base/PathBytes.h"
#include "base/RegularFile.h"
#include "base/TextCodec.h"

namespace kestrel::preview {
namespace {

constexpr size_t kHeadSize = 32;

// Decodes the buffer up to its first 0 byte in the ANSI code page and trims blanks and control
// characters at both ends.
std::string HeadText(const std::array<unsigned char, kHeadSize>& buf) {
  size_t n = 0;
  while (n < buf.size() && buf[n] != 0)
    ++n;
  size_t b = 0;
  while (b < n && buf[b] <= ' ')
    ++b;
  while (n > b && buf[n - 1] <= ' ')
    --n;
  return AnsiToUtf8(std::string_view(reinterpret_cast<const char*>(buf.data()) + b, n - b));
}

// Reads up to kHeadSize bytes; false on any open or read failure, and for anything but a
// regular file. The file is opened without sharing where the platform has it, so that a file
// another program holds open reads as an error. Linux has no mandatory locking: the file is
// opened normally there.
bool ReadHead(const std::string& path, std::string& out) {
  RegularFile file = RegularFile::Open(NativePath(path), FileSharing::None);
  if (!file.IsOpen()) return false;
  char buf[kHeadSize];
  const size_t got = file.Read(buf, kHeadSize);
  if (file.Failed()) return false;
  out.assign(buf, got);
  return true;
}

}  // namespace

THeadSniff SniffHeadBytes(std::string_view bytes) {
  THeadSniff r;
  int controls = 0;
  if (bytes.size() >= kHeadSize) {
    std::array<unsigned char, kHeadSize> buf;
    for (size_t i = 0; i < kHeadSize; ++i)
      buf[i] = static_cast<unsigned char>(bytes[i]);
    buf[kHeadSize - 1] = 0;
    r.head = HeadText(buf);
    for (unsigned char c : buf) {
      if (c < 32 && c != 9 && c != 10 && c != 13) ++controls;
    }
    if (!r.head.empty()) {
      // Cut at the first control byte of any kind, line breaks and TAB included.
      for (unsigned char& c : buf) {
        if (c < 32) c = 0;
      }
      r.head = HeadText(buf);
    }
  }
  r.binary = controls > 1 || r.head.find("%PDF") != std::string::npos;
  return r;
}

THeadSniff SniffFileHead(const std::string& path) {
  std::string bytes;
  if (!ReadHead(path, bytes)) return {true, "read error!"};
  return SniffHeadBytes(bytes);
}

}  // namespace kestrel::preview
