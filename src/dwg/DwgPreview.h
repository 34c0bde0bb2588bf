// The preview picture that CAD programs store in a DWG file (release 14 and later): where it is,
// what kind it is, and its bytes ready for a picture decoder. Only the header and the picture
// are read, never the drawing, so a large drawing costs no more than a small one.
#pragma once

#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <string>

namespace kestrel::dwg {

// Random access to the bytes of a file (or of memory, for tests and the fuzzer).
class ByteSource {
 public:
  virtual ~ByteSource() = default;
  virtual uint64_t Size() const = 0;
  // Exactly `n` bytes at `offset` into `buffer`; false when they are not all there.
  virtual bool ReadAt(uint64_t offset, void* buffer, size_t n) = 0;
};

class MemorySource : public ByteSource {
 public:
  MemorySource(const void* data, size_t size)
      : data_(static_cast<const char*>(data)), size_(size) {}
  uint64_t Size() const override { return size_; }
  bool ReadAt(uint64_t offset, void* buffer, size_t n) override;

 private:
  const char* data_;
  size_t size_;
};

enum class DwgPreviewStatus {
  NoFile,     // no file by that name: the picture stays black
  NoPreview,  // release 13 or older, not a DWG, or a picture that is neither BMP nor PNG
  Picture,    // `bytes` hold a BMP or PNG stream
  Abort,      // unreadable: a silent abort (`reason` says why, for tools)
};

enum class DwgPictureKind { None, Bmp, Png };

struct TDwgPreview {
  DwgPreviewStatus status = DwgPreviewStatus::NoFile;
  int version = -1;  // the four digits after "AC"; 0 when not a number; -1 when not read
  int code = -1;     // the code of the picture entry; -1 when not read
  DwgPictureKind kind = DwgPictureKind::None;
  std::string bytes;   // a whole .bmp stream (file header in front) or a PNG stream
  std::string reason;  // for Abort
};

// The stored pictures are small; anything claiming more is not a preview.
inline constexpr uint32_t kMaxPictureBytes = 64u << 20;

// Reads the preview from `source`.
TDwgPreview ReadDwgPreview(ByteSource& source);

// Reads the preview of the file at `path`. A path that names nothing gives NoFile; one that
// cannot be opened or is not a regular file (a FIFO is never waited on) gives Abort.
TDwgPreview ReadDwgPreviewFile(const std::filesystem::path& path);

// The BMP file header's offset of the pixels, from the device-independent bitmap's own header:
// the file header, the DIB header, the palette and the bit-field masks. 0 when the DIB header
// is not one that can be read or claims more than its `size` bytes hold.
uint32_t BmpPixelOffset(const unsigned char* dib, size_t size);

}  // namespace kestrel::dwg
