// Timed runs of the DXF reader against the floor: a bare loop that maps the file, splits its
// lines and parses the coordinate values with std::from_chars.
//
//   kestrel_dxf_bench read|buffer|floor FILE [RUNS]
//
// `buffer` reads the file into memory first (not timed) and times ReadDxfBuffer on it.
//
// Prints one line: mode, file size, median seconds and MB/s over RUNS runs (default 5), and
// the first run of the process apart (its memory is all fresh).
#include <fcntl.h>
#include <sys/mman.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <charconv>
#include <chrono>
#include <cstdio>
#include <cstring>
#include <ctime>
#include <string>
#include <string_view>
#include <vector>

#include "base/HugePages.h"
#include "dxf/DxfReader.h"
#include "dxf/HeaderScan.h"

namespace {

// The floor: what any reader of this file must at least do.
double FloorPass(const char* path, size_t& pairs) {
  const int fd = ::open(path, O_RDONLY);
  struct stat st {};
  ::fstat(fd, &st);
  const size_t size = size_t(st.st_size);
  void* map = ::mmap(nullptr, size, PROT_READ, MAP_PRIVATE, fd, 0);
  ::madvise(map, size, MADV_SEQUENTIAL);
  const char* p = static_cast<const char*>(map);
  const char* const end = p + size;
  double sum = 0;
  int code = 0;
  bool isCode = true;
  pairs = 0;
  while (p < end) {
    const char* nl = static_cast<const char*>(std::memchr(p, '\n', size_t(end - p)));
    const char* lineEnd = nl ? nl : end;
    const char* e = lineEnd;
    if (e > p && e[-1] == '\r') --e;
    const char* b = p;
    while (b < e && *b == ' ')
      ++b;
    if (isCode) {
      code = 0;
      std::from_chars(b, e, code);
    } else {
      ++pairs;
      if (code >= 10 && code <= 39) {
        double v = 0;
        std::from_chars(b, e, v);
        sum += v;
      }
    }
    isCode = !isCode;
    p = nl ? nl + 1 : end;
  }
  ::munmap(map, size);
  ::close(fd);
  return sum;
}

std::string ReadWhole(const char* path) {
  std::string bytes;
  if (std::FILE* f = std::fopen(path, "rb")) {
    char chunk[1 << 16];
    size_t got;
    while ((got = std::fread(chunk, 1, sizeof chunk, f)) > 0)
      bytes.append(chunk, got);
    std::fclose(f);
  }
  return bytes;
}

double CpuSeconds() {
  timespec ts{};
  ::clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &ts);
  return double(ts.tv_sec) + double(ts.tv_nsec) / 1e9;
}

}  // namespace

int main(int argc, char** argv) {
  // Measured as kestrel and kestrel-tool run: with huge pages for malloc. Set
  // GLIBC_TUNABLES=glibc.malloc.hugetlb=0 to measure without them.
  kestrel::RestartWithHugePageMalloc(argv);
  if (argc < 3) {
    std::fputs("usage: kestrel_dxf_bench read|buffer|floor FILE [RUNS]\n", stderr);
    return 2;
  }
  const std::string mode = argv[1];
  const char* path = argv[2];
  const int runs = argc > 3 ? std::max(1, std::atoi(argv[3])) : 5;
  struct stat st {};
  if (::stat(path, &st) != 0) {
    std::perror(path);
    return 1;
  }
  const double mb = double(st.st_size) / 1e6;

  // Wall time, and the process's CPU time, which a busy shared machine disturbs less.
  std::vector<double> seconds;
  std::vector<double> cpuSeconds;
  size_t records = 0;
  // The encoding is the header scan's; the scan and the freeing of the drawing are outside the
  // timed region, which is ReadDxfFile alone.
  const kestrel::TextEncoding encoding =
      kestrel::dxf::DxfTextEncoding(kestrel::dxf::ScanDxfVersion(path));
  double first = 0;
  for (int i = 0; i < runs; ++i) {
    kestrel::dxf::Drawing drawing;
    std::string whole;
    if (mode == "buffer") whole = ReadWhole(path);
    const auto start = std::chrono::steady_clock::now();
    const double cpuStart = CpuSeconds();
    if (mode == "floor") {
      FloorPass(path, records);
    } else if (mode == "buffer") {
      kestrel::dxf::ReadDxfBuffer(drawing, whole, path, encoding);
    } else {
      const std::string error = kestrel::dxf::ReadDxfFile(drawing, path, encoding);
      if (!error.empty()) {
        std::fprintf(stderr, "%s: %s\n", path, error.c_str());
        return 1;
      }
    }
    seconds.push_back(
        std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count());
    cpuSeconds.push_back(CpuSeconds() - cpuStart);
    if (i == 0) first = seconds.back();
    if (mode != "floor") {
      records = drawing.LineAry.size() + drawing.BlkLineAry.size() + drawing.CircleAry.size() +
                drawing.ArcAry.size() + drawing.TextAry.size() + drawing.VerAry.size() +
                drawing.EntInsertAry.size();
    }
  }
  std::sort(seconds.begin(), seconds.end());
  std::sort(cpuSeconds.begin(), cpuSeconds.end());
  const double median = seconds[seconds.size() / 2];
  const double cpuMedian = cpuSeconds[cpuSeconds.size() / 2];
  std::printf(
      "%s %.1f MB: wall median %.3f s (%.0f MB/s), cpu median %.3f s (%.0f MB/s); runs %d, "
      "wall min %.3f s max %.3f s, first %.3f s; %zu\n",
      mode.c_str(), mb, median, mb / median, cpuMedian, mb / cpuMedian, runs, seconds.front(),
      seconds.back(), first, records);
  return 0;
}
