// A path as the file system's bytes. Kestrel keeps the paths it lists this way from the scan to
// every command on them: on Linux a name need not be UTF-8, and a round trip through display
// text (QString) would give other bytes, naming another file or none. On Windows the bytes are
// the UTF-8 form of the wide name.
#pragma once

#include <filesystem>
#include <string>
#include <string_view>

namespace kestrel {

// The path to open for `bytes`, without any conversion of the bytes on POSIX.
inline std::filesystem::path NativePath(std::string_view bytes) {
#ifdef _WIN32
  return std::filesystem::path(
      std::u8string(reinterpret_cast<const char8_t*>(bytes.data()), bytes.size()));
#else
  return std::filesystem::path(std::string(bytes));
#endif
}

}  // namespace kestrel
