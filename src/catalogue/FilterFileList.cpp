#include "catalogue/FilterFileList.h"

#include <algorithm>
#include <cstring>

#include "base/TextCodec.h"
#include "catalogue/DosDateTime.h"
#include "catalogue/ScanFolder.h"

namespace kestrel::catalogue {

SearchQuery MakeSearchQuery(std::string_view text, bool orMode) {
  SearchQuery q;
  q.emptyText = text.empty();
  q.orMode = orMode;
  // Trimmed of blanks and control characters at both ends, as the window's Trim does.
  size_t b = 0, e = text.size();
  while (b < e && static_cast<unsigned char>(text[b]) <= ' ')
    ++b;
  while (e > b && static_cast<unsigned char>(text[e - 1]) <= ' ')
    --e;
  std::string_view trimmed = text.substr(b, e - b);
  if (trimmed.empty()) return q;
  size_t start = 0;
  while (true) {
    size_t blank = trimmed.find(' ', start);
    q.words.push_back(AsciiUpper(trimmed.substr(start, blank - start)));
    if (blank == std::string_view::npos) break;
    start = blank + 1;
  }
  return q;
}

namespace {

bool Occurs(std::string_view path, std::string_view word) {
  if (word.empty() || word.size() > path.size()) return false;
  // memchr for the first character, then a compare: fast for the short words people type.
  const char first = word.front();
  const char* p = path.data();
  const char* const last = path.data() + (path.size() - word.size());
  while (p <= last) {
    p = static_cast<const char*>(std::memchr(p, first, static_cast<size_t>(last - p) + 1));
    if (!p) return false;
    if (std::memcmp(p + 1, word.data() + 1, word.size() - 1) == 0) return true;
    ++p;
  }
  return false;
}

}  // namespace

bool MatchesQuery(const SearchQuery& q, std::string_view upper) {
  if (q.emptyText) return true;
  if (!q.orMode) {
    for (const std::string& w : q.words) {
      if (w.starts_with('!')) {
        if (Occurs(upper, std::string_view(w).substr(1))) return false;
      } else if (!Occurs(upper, w)) {
        return false;
      }
    }
    return true;
  }
  bool candidate = std::any_of(q.words.begin(), q.words.end(),
                               [&](const std::string& w) { return Occurs(upper, w); });
  if (!candidate) return false;
  return std::none_of(q.words.begin(), q.words.end(), [&](const std::string& w) {
    return w.starts_with('!') && Occurs(upper, std::string_view(w).substr(1));
  });
}

bool HasExtension(std::string_view path) {
  size_t sep = path.find_last_of(kPathSeparator == '/' ? "/" : "\\/");
  std::string_view name = sep == std::string_view::npos ? path : path.substr(sep + 1);
  size_t dot = name.rfind('.');
  return dot != std::string_view::npos && name.size() - dot > 1;
}

bool FilterFileList(const FileList& list, const SearchQuery& query, std::vector<uint32_t>& hits,
                    const FilterCallback& afterEntry) {
  std::vector<char> upper(256);
  const size_t count = list.size();
  for (size_t i = 0; i < count; ++i) {
    const std::string_view path = list.Path(i);
    bool matches = query.emptyText;
    if (!matches) {
      if (upper.size() < path.size()) upper.resize(path.size() * 2);
      char* out = upper.data();
      const char* in = path.data();
      const size_t n = path.size();
      // Branch-free, so that the compiler turns it into vector code.
      for (size_t k = 0; k < n; ++k) {
        const auto c = static_cast<unsigned char>(in[k]);
        out[k] = static_cast<char>(c - ((static_cast<unsigned char>(c - 'a') < 26u) << 5));
      }
      matches = MatchesQuery(query, std::string_view(out, n));
    }
    if (matches && HasExtension(path)) hits.push_back(static_cast<uint32_t>(i));
    if (!afterEntry(hits.size())) return false;
  }
  return true;
}

void SortHitsByDate(const FileList& list, std::vector<uint32_t>& hits) {
  // The line prefix "[yy/mm/dd] " orders by two-digit year, month, day; lines of one day then
  // order by path, which the list order already is.
  auto key = [&](uint32_t i) {
    DosDateTimeParts p = SplitDosDateTime(list.DateTime(i));
    return (p.year % 100) * 10000 + p.month * 100 + p.day;
  };
  std::stable_sort(hits.begin(), hits.end(),
                   [&](uint32_t a, uint32_t b) { return key(a) < key(b); });
}

}  // namespace kestrel::catalogue
