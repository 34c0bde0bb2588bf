#include "base/RegularFile.h"

#include <algorithm>
#include <fstream>
#include <utility>

#ifdef _WIN32
#include <windows.h>
#else
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#endif

namespace kestrel {

RegularFile::RegularFile(RegularFile&& other) noexcept {
  *this = std::move(other);
}

RegularFile& RegularFile::operator=(RegularFile&& other) noexcept {
  if (this == &other) return *this;
  Close();
#ifdef _WIN32
  handle_ = std::exchange(other.handle_, nullptr);
#else
  fd_ = std::exchange(other.fd_, -1);
#endif
  size_ = std::exchange(other.size_, 0);
  offset_ = std::exchange(other.offset_, 0);
  failed_ = std::exchange(other.failed_, false);
  return *this;
}

RegularFile::~RegularFile() {
  Close();
}

#ifdef _WIN32

RegularFile RegularFile::Open(const std::filesystem::path& path, FileSharing sharing) {
  const DWORD share = sharing == FileSharing::None ? 0 : FILE_SHARE_READ | FILE_SHARE_WRITE;
  // A folder cannot be opened without FILE_FLAG_BACKUP_SEMANTICS; pipes, consoles and devices
  // open, but are not of the disk type.
  HANDLE h = CreateFileW(path.c_str(), GENERIC_READ, share, nullptr, OPEN_EXISTING,
                         FILE_ATTRIBUTE_NORMAL, nullptr);
  if (h == INVALID_HANDLE_VALUE) return {};
  LARGE_INTEGER size;
  if (GetFileType(h) != FILE_TYPE_DISK || !GetFileSizeEx(h, &size) || size.QuadPart < 0) {
    CloseHandle(h);
    return {};
  }
  RegularFile file;
  file.handle_ = h;
  file.size_ = uint64_t(size.QuadPart);
  return file;
}

bool RegularFile::IsOpen() const {
  return handle_ != nullptr;
}

void RegularFile::Close() {
  if (handle_) CloseHandle(static_cast<HANDLE>(handle_));
  handle_ = nullptr;
}

size_t RegularFile::Read(void* buffer, size_t n) {
  if (!handle_) return 0;
  auto* p = static_cast<char*>(buffer);
  size_t got = 0;
  size_t want = size_t(std::min<uint64_t>(n, size_ - offset_));
  while (got < want) {
    const DWORD ask = DWORD(std::min<size_t>(want - got, size_t(1) << 30));
    DWORD read = 0;
    if (!ReadFile(static_cast<HANDLE>(handle_), p + got, ask, &read, nullptr)) {
      failed_ = true;
      break;
    }
    if (read == 0) break;  // shrank since the open
    got += read;
  }
  offset_ += got;
  return got;
}

bool RegularFile::Seek(uint64_t offset) {
  if (!handle_ || offset > size_) return false;
  LARGE_INTEGER to;
  to.QuadPart = LONGLONG(offset);
  if (!SetFilePointerEx(static_cast<HANDLE>(handle_), to, nullptr, FILE_BEGIN)) return false;
  offset_ = offset;
  return true;
}

#else

RegularFile RegularFile::Open(const std::filesystem::path& path, FileSharing) {
  // O_NONBLOCK: opening a FIFO must not wait for a writer; O_NOCTTY: a terminal must not
  // become ours.
  int fd;
  do {
    fd = ::open(path.c_str(), O_RDONLY | O_NONBLOCK | O_NOCTTY | O_CLOEXEC);
  } while (fd < 0 && errno == EINTR);
  if (fd < 0) return {};
  RegularFile file;
  file.fd_ = fd;
  struct stat st;
  if (fstat(fd, &st) != 0 || !S_ISREG(st.st_mode) || st.st_size < 0) return {};
  const int flags = fcntl(fd, F_GETFL);
  if (flags < 0 || fcntl(fd, F_SETFL, flags & ~O_NONBLOCK) != 0) return {};
  file.size_ = uint64_t(st.st_size);
  return file;
}

bool RegularFile::IsOpen() const {
  return fd_ >= 0;
}

void RegularFile::Close() {
  if (fd_ >= 0) ::close(fd_);
  fd_ = -1;
}

size_t RegularFile::Read(void* buffer, size_t n) {
  if (fd_ < 0) return 0;
  auto* p = static_cast<char*>(buffer);
  size_t got = 0;
  const size_t want = size_t(std::min<uint64_t>(n, size_ - offset_));
  while (got < want) {
    // Linux reads at most about 2 GiB at a time.
    const ssize_t r = ::read(fd_, p + got, std::min<size_t>(want - got, size_t(1) << 30));
    if (r < 0 && errno == EINTR) continue;
    if (r < 0) {
      failed_ = true;
      break;
    }
    if (r == 0) break;  // shrank since the open
    got += size_t(r);
  }
  offset_ += got;
  return got;
}

bool RegularFile::Seek(uint64_t offset) {
  if (fd_ < 0 || offset > size_) return false;
  if (::lseek(fd_, off_t(offset), SEEK_SET) < 0) return false;
  offset_ = offset;
  return true;
}

#endif

std::optional<std::string> ReadRegularFile(const std::filesystem::path& path, uint64_t maxBytes,
                                           FileSharing sharing) {
  RegularFile file = RegularFile::Open(path, sharing);
  if (!file.IsOpen() || file.Size() > maxBytes) return std::nullopt;
  std::string bytes;
  bytes.reserve(size_t(file.Size()));
  // Through a small block rather than into the string itself, which would have to be filled
  // with zeros first: that costs more than the copy out of a block that stays in the cache.
  char block[1 << 16];
  while (const size_t got = file.Read(block, sizeof block))
    bytes.append(block, got);
  if (file.Failed()) return std::nullopt;
  return bytes;
}

}  // namespace kestrel

namespace kestrel {

#ifdef _WIN32

bool WriteRegularFile(const std::filesystem::path& path, std::string_view bytes) {
  std::ofstream f(path, std::ios::binary | std::ios::trunc);
  if (!f) return false;
  f.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
  f.close();
  return !f.fail();
}

#else

bool WriteRegularFile(const std::filesystem::path& path, std::string_view bytes) {
  // O_NONBLOCK: a FIFO without a reader fails at once instead of waiting for one; no O_TRUNC,
  // so that nothing is cut before the file is known to be a regular one.
  int fd;
  do {
    fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_NONBLOCK | O_NOCTTY | O_CLOEXEC, 0666);
  } while (fd < 0 && errno == EINTR);
  if (fd < 0) return false;
  struct stat st;
  bool ok = fstat(fd, &st) == 0 && S_ISREG(st.st_mode);
  if (ok) {
    const int flags = fcntl(fd, F_GETFL);
    ok = flags >= 0 && fcntl(fd, F_SETFL, flags & ~O_NONBLOCK) == 0 && ftruncate(fd, 0) == 0;
  }
  for (size_t at = 0; ok && at < bytes.size();) {
    const ssize_t n = ::write(fd, bytes.data() + at, std::min<size_t>(bytes.size() - at, 1 << 30));
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0)
      ok = false;
    else
      at += size_t(n);
  }
  if (::close(fd) != 0) ok = false;
  return ok;
}

#endif

}  // namespace kestrel
