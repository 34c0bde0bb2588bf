#include "extract/Zip.h"

#include <zip.h>

#include <vector>

namespace kestrel::extract {

ZipArchive::ZipArchive(std::string_view bytes, std::string* error) {
  zip_error_t ze;
  zip_error_init(&ze);
  zip_source_t* source = zip_source_buffer_create(bytes.data(), bytes.size(), 0, &ze);
  if (source) {
    archive_ = zip_open_from_source(source, ZIP_RDONLY, &ze);
    if (!archive_) zip_source_free(source);
  }
  if (!archive_ && error) {
    *error =
        zip_error_code_zip(&ze) == ZIP_ER_NOZIP ? "zip 形式ではありません" : "zip が壊れています";
  }
  zip_error_fini(&ze);
}

ZipArchive::~ZipArchive() {
  if (archive_) zip_discard(archive_);
}

int64_t ZipArchive::Locate(std::string_view name) const {
  if (!archive_) return -1;
  const std::string n(name);
  int64_t index = zip_name_locate(archive_, n.c_str(), ZIP_FL_ENC_RAW);
  // Some writers change the letter case of part names; the formats' names are ASCII.
  if (index < 0) index = zip_name_locate(archive_, n.c_str(), ZIP_FL_NOCASE | ZIP_FL_ENC_RAW);
  return index;
}

bool ZipArchive::Has(std::string_view name) const {
  return Locate(name) >= 0;
}

bool ZipArchive::Stream(std::string_view name, const std::function<bool(std::string_view)>& chunk,
                        std::string* error) {
  const int64_t index = Locate(name);
  if (index < 0) {
    if (error) *error = "文書の部品 " + std::string(name) + " がありません";
    return false;
  }
  zip_stat_t st;
  zip_stat_init(&st);
  if (zip_stat_index(archive_, uint64_t(index), 0, &st) == 0 &&
      (st.valid & ZIP_STAT_ENCRYPTION_METHOD) && st.encryption_method != ZIP_EM_NONE) {
    if (error) *error = "暗号化された文書です";
    return false;
  }
  zip_file_t* file = zip_fopen_index(archive_, uint64_t(index), 0);
  if (!file) {
    const int code = zip_error_code_zip(zip_get_error(archive_));
    if (error) {
      *error = (code == ZIP_ER_NOPASSWD || code == ZIP_ER_WRONGPASSWD) ? "暗号化された文書です"
               : code == ZIP_ER_COMPNOTSUPP ? "対応していない圧縮方式です"
                                            : "zip が壊れています";
    }
    return false;
  }
  std::vector<char> buffer(size_t(1) << 15);
  bool ok = true;
  for (;;) {
    const zip_int64_t n = zip_fread(file, buffer.data(), buffer.size());
    if (n < 0) {
      if (error) *error = "zip が壊れています";
      ok = false;
      break;
    }
    if (n == 0) break;
    if (uint64_t(n) > budget_) {
      if (error) *error = "展開後のサイズが大きすぎます";
      ok = false;
      break;
    }
    budget_ -= uint64_t(n);
    if (!chunk(std::string_view(buffer.data(), size_t(n)))) break;
  }
  zip_fclose(file);
  return ok;
}

bool ZipArchive::ReadAll(std::string_view name, std::string* out, uint64_t maxBytes,
                         std::string* error) {
  out->clear();
  bool tooLarge = false;
  const bool ok = Stream(
      name,
      [&](std::string_view piece) {
        if (piece.size() > maxBytes - out->size()) {
          tooLarge = true;
          return false;
        }
        out->append(piece);
        return true;
      },
      error);
  if (ok && tooLarge && error) *error = "展開後のサイズが大きすぎます";
  return ok && !tooLarge;
}

std::string ResolvePartName(std::string_view baseFolder, std::string_view target) {
  std::string joined;
  if (!target.empty() && target.front() == '/') {
    joined = std::string(target.substr(1));
  } else {
    joined = std::string(baseFolder) + std::string(target);
  }
  std::vector<std::string> parts;
  size_t start = 0;
  while (start <= joined.size()) {
    size_t slash = joined.find('/', start);
    if (slash == std::string::npos) slash = joined.size();
    const std::string part = joined.substr(start, slash - start);
    if (part == "..") {
      if (!parts.empty()) parts.pop_back();
    } else if (!part.empty() && part != ".") {
      parts.push_back(part);
    }
    start = slash + 1;
  }
  std::string out;
  for (const std::string& p : parts) {
    if (!out.empty()) out += '/';
    out += p;
  }
  return out;
}

}  // namespace kestrel::extract
