// Reading parts of a zip container held in memory (OOXML and OpenOffice documents). Nothing is
// ever written: parts are looked up by the names the formats define, so names such as
// "../../x" inside an archive are never used as paths. Expanded sizes are bounded by the
// reader, not taken from the archive's own (forgeable) size fields.
#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <string_view>

struct zip;

namespace kestrel::extract {

// The most expanded bytes all parts of one archive may give together.
inline constexpr uint64_t kMaxExpandedBytes = uint64_t(512) << 20;

class ZipArchive {
 public:
  // Opens the archive in `bytes`, which must outlive it; on failure the archive is not open
  // and `error` says why in a few words.
  ZipArchive(std::string_view bytes, std::string* error);
  ~ZipArchive();
  ZipArchive(const ZipArchive&) = delete;
  ZipArchive& operator=(const ZipArchive&) = delete;

  bool IsOpen() const { return archive_ != nullptr; }
  bool Has(std::string_view name) const;

  // Hands the expanded bytes of part `name` to `chunk` piece by piece until it returns false.
  // False with `error` set when the part is missing, encrypted or corrupt, or when the
  // archive's budget of expanded bytes ran out.
  bool Stream(std::string_view name, const std::function<bool(std::string_view)>& chunk,
              std::string* error);
  // The whole part, at most `maxBytes`; false as for Stream, or when it is larger.
  bool ReadAll(std::string_view name, std::string* out, uint64_t maxBytes, std::string* error);

 private:
  int64_t Locate(std::string_view name) const;

  zip* archive_ = nullptr;
  uint64_t budget_ = kMaxExpandedBytes;
};

// Resolves a relationship target against the folder of the part that names it ("xl/" and
// "worksheets/sheet1.xml" give "xl/worksheets/sheet1.xml"; "/ppt/x.xml" gives "ppt/x.xml");
// ".." steps out of the folder. Only a name inside the archive comes out.
std::string ResolvePartName(std::string_view baseFolder, std::string_view target);

}  // namespace kestrel::extract
