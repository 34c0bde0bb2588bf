#include "dwg/DwgPreview.h"

#include <cstring>
#include <system_error>

#include "base/RegularFile.h"

namespace kestrel::dwg {
namespace {

uint32_t U32(const unsigned char* p) {
  return uint32_t(p[0]) | uint32_t(p[1]) << 8 | uint32_t(p[2]) << 16 | uint32_t(p[3]) << 24;
}
uint16_t U16(const unsigned char* p) {
  return uint16_t(p[0] | p[1] << 8);
}
void PutU32(unsigned char* p, uint32_t v) {
  for (int i = 0; i < 4; ++i)
    p[i] = static_cast<unsigned char>(v >> (8 * i));
}

TDwgPreview Abort(TDwgPreview r, const char* reason) {
  r.status = DwgPreviewStatus::Abort;
  r.kind = DwgPictureKind::None;
  r.bytes.clear();
  r.reason = reason;
  return r;
}

// "1015" gives 1015; anything but four digits gives 0, as a failed number conversion does.
int VersionNumber(const unsigned char* digits) {
  int n = 0;
  for (int i = 0; i < 4; ++i) {
    if (digits[i] < '0' || digits[i] > '9') return 0;
    n = n * 10 + (digits[i] - '0');
  }
  return n;
}

class FileSource : public ByteSource {
 public:
  explicit FileSource(RegularFile& file) : file_(file) {}
  uint64_t Size() const override { return file_.Size(); }
  bool ReadAt(uint64_t offset, void* buffer, size_t n) override {
    return file_.Seek(offset) && file_.Read(buffer, n) == n;
  }

 private:
  RegularFile& file_;
};

// The image seeker's block: the entry count at +20, the header entry, then the picture entry
// with its code at +30, its start at +31 and its size at +35.
constexpr uint64_t kSeekerAt = 13;
constexpr uint64_t kCodeAt = 30;
constexpr size_t kEntryBytes = 39;  // up to and including the picture entry's size
constexpr uint8_t kCodeBmp = 2;
constexpr uint8_t kCodePng = 6;
constexpr size_t kFileHeaderBytes = 14;

}  // namespace

bool MemorySource::ReadAt(uint64_t offset, void* buffer, size_t n) {
  if (offset > size_ || n > size_ - offset) return false;
  std::memcpy(buffer, data_ + offset, n);
  return true;
}

uint32_t BmpPixelOffset(const unsigned char* dib, size_t size) {
  if (size < 4) return 0;
  const uint32_t headerSize = U32(dib);
  if (headerSize < 12 || headerSize > size) return 0;
  uint64_t bitCount, compression = 0, colours = 0, width, height, entryBytes = 4;
  if (headerSize == 12) {
    // The old OS/2 header: 16-bit sizes, palette entries of three bytes.
    width = U16(dib + 4);
    height = U16(dib + 6);
    bitCount = U16(dib + 10);
    entryBytes = 3;
  } else if (headerSize >= 40) {
    const int32_t w = int32_t(U32(dib + 4)), h = int32_t(U32(dib + 8));
    if (w <= 0 || h == 0 || h == INT32_MIN) return 0;
    width = uint64_t(w);
    height = uint64_t(h < 0 ? -int64_t(h) : h);
    bitCount = U16(dib + 14);
    compression = U32(dib + 16);
    colours = U32(dib + 32);
  } else {
    return 0;
  }
  if (width == 0 || height == 0) return 0;
  if (colours == 0 && bitCount <= 8) colours = uint64_t(1) << bitCount;
  uint64_t offset = kFileHeaderBytes + headerSize + colours * entryBytes;
  // Bit-field masks follow a 40-byte header; the larger headers hold them inside.
  if (headerSize == 40 && compression == 3) offset += 12;
  if (headerSize == 40 && compression == 6) offset += 16;
  if (offset - kFileHeaderBytes > size) return 0;
  // Uncompressed pixels must all be in the entry: rows padded to four bytes.
  if (compression == 0 || compression == 3 || compression == 6) {
    if (bitCount != 1 && bitCount != 4 && bitCount != 8 && bitCount != 16 && bitCount != 24 &&
        bitCount != 32) {
      return 0;
    }
    const uint64_t row = (width * bitCount + 31) / 32 * 4;
    if (row * height > size - (offset - kFileHeaderBytes)) return 0;
  }
  return uint32_t(offset);
}

TDwgPreview ReadDwgPreview(ByteSource& source) {
  TDwgPreview r;
  unsigned char head[6];
  if (!source.ReadAt(0, head, sizeof head)) return Abort(r, "shorter than its version");
  r.version = VersionNumber(head + 2);
  if (r.version <= 1012) {
    r.status = DwgPreviewStatus::NoPreview;
    return r;
  }
  unsigned char seeker[4];
  if (!source.ReadAt(kSeekerAt, seeker, sizeof seeker)) {
    return Abort(r, "shorter than its image seeker");
  }
  const uint64_t at = U32(seeker);
  unsigned char entry[kEntryBytes];
  if (!source.ReadAt(at, entry, sizeof entry)) return Abort(r, "image seeker outside the file");
  r.code = entry[kCodeAt];
  if (r.code != kCodeBmp && r.code != kCodePng) {
    r.status = DwgPreviewStatus::NoPreview;
    return r;
  }
  const int32_t start = int32_t(U32(entry + 31));
  const int32_t size = int32_t(U32(entry + 35));
  if (start < 0) return Abort(r, "picture start outside the file");
  if (size <= 0) return Abort(r, "picture size not positive");
  if (uint32_t(size) > kMaxPictureBytes) return Abort(r, "picture larger than 64 MiB");
  if (uint64_t(start) + uint64_t(size) > source.Size()) {
    return Abort(r, "picture outside the file");
  }
  const size_t n = size_t(size);
  if (r.code == kCodePng) {
    r.bytes.resize(n);
    if (!source.ReadAt(uint64_t(start), r.bytes.data(), n)) return Abort(r, "picture unreadable");
    r.kind = DwgPictureKind::Png;
    r.status = DwgPreviewStatus::Picture;
    return r;
  }
  // The entry is a bitmap without its file header; the decoder wants a .bmp stream.
  r.bytes.resize(kFileHeaderBytes + n);
  auto* bmp = reinterpret_cast<unsigned char*>(r.bytes.data());
  if (!source.ReadAt(uint64_t(start), bmp + kFileHeaderBytes, n)) {
    return Abort(r, "picture unreadable");
  }
  const uint32_t pixels = BmpPixelOffset(bmp + kFileHeaderBytes, n);
  if (pixels == 0) return Abort(r, "bitmap header claims more than the picture holds");
  bmp[0] = 'B';
  bmp[1] = 'M';
  PutU32(bmp + 2, uint32_t(n + kFileHeaderBytes));
  PutU32(bmp + 6, 0);
  PutU32(bmp + 10, pixels);
  r.kind = DwgPictureKind::Bmp;
  r.status = DwgPreviewStatus::Picture;
  return r;
}

TDwgPreview ReadDwgPreviewFile(const std::filesystem::path& path) {
  std::error_code error;
  // A dangling link names nothing to show, as a missing file does.
  if (!std::filesystem::exists(path, error)) return TDwgPreview{};
  RegularFile file = RegularFile::Open(path);
  if (!file.IsOpen()) return Abort(TDwgPreview{}, "cannot be opened as a regular file");
  FileSource source(file);
  return ReadDwgPreview(source);
}

}  // namespace kestrel::dwg
