#include "base/HugePages.h"

#if defined(__linux__)
#include <unistd.h>

#include <cstdlib>
#include <cstring>
#include <string>
#endif

namespace kestrel {

void RestartWithHugePageMalloc(char** argv) {
#if defined(__linux__)
  const char* current = std::getenv("GLIBC_TUNABLES");
  if (current && std::strstr(current, "glibc.malloc.hugetlb")) return;
  std::string tunables = current && *current ? std::string(current) + ":" : std::string();
  tunables += "glibc.malloc.hugetlb=1";
  if (setenv("GLIBC_TUNABLES", tunables.c_str(), 1) != 0) return;
  execv("/proc/self/exe", argv);
  // Still here: run as we are; the setting stays in the environment, so no second try.
#else
  (void)argv;
#endif
}

}  // namespace kestrel
