// Opening a file the user chose. Only a regular file is ever read: opening a FIFO waits for a
// writer, a device or an endless writer never comes to an end, so they are refused before any
// read. Every read stops at the size the file had when it was opened.
#pragma once

#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <optional>
#include <string>
#include <string_view>

namespace kestrel {

// What other programs may do with the file while it is open. Only Windows enforces it; there
// `None` makes the open fail while another program holds the file open.
enum class FileSharing { ReadWrite, None };

class RegularFile {
 public:
  // Opens `path` for reading without waiting; the result is not open (IsOpen() false) when the
  // path cannot be opened or is not a regular file (a FIFO, socket, device or folder).
  static RegularFile Open(const std::filesystem::path& path,
                          FileSharing sharing = FileSharing::ReadWrite);

  RegularFile() = default;
  RegularFile(RegularFile&& other) noexcept;
  RegularFile& operator=(RegularFile&& other) noexcept;
  RegularFile(const RegularFile&) = delete;
  RegularFile& operator=(const RegularFile&) = delete;
  ~RegularFile();

  bool IsOpen() const;
  // The size the system reported at the open.
  uint64_t Size() const { return size_; }
  // Reads up to `n` bytes at the current position, never past Size(). Fewer than `n` only at
  // that end, at an end that came sooner because the file shrank, or when a read failed.
  size_t Read(void* buffer, size_t n);
  // Moves the read position to `offset`; false (position unchanged) when it lies past Size()
  // or the system refuses.
  bool Seek(uint64_t offset);
  bool Failed() const { return failed_; }

 private:
  void Close();

#ifdef _WIN32
  void* handle_ = nullptr;  // a HANDLE; null when not open
#else
  int fd_ = -1;
#endif
  uint64_t size_ = 0;
  uint64_t offset_ = 0;
  bool failed_ = false;
};

// The whole of a regular file as RegularFile reads it; std::nullopt when it cannot be opened,
// is not a regular file, is larger than `maxBytes`, or a read fails.
std::optional<std::string> ReadRegularFile(const std::filesystem::path& path, uint64_t maxBytes,
                                           FileSharing sharing = FileSharing::ReadWrite);

// Replaces the content of the regular file at `path` with `bytes`, creating it when missing.
// Anything else in its place (a FIFO, device, socket or folder) is left alone without waiting
// on it, and gives false, as does a failed write.
bool WriteRegularFile(const std::filesystem::path& path, std::string_view bytes);

}  // namespace kestrel
