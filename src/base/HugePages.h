#pragma once

namespace kestrel {

// Opening a large drawing or text touches hundreds of megabytes of fresh memory, and on the
// virtual machines we run on every 4 KiB page fault costs microseconds: with transparent huge
// pages for malloc the same open is several times faster. glibc reads that setting only at
// process start, so on Linux this restarts the program once with it set (no-op elsewhere,
// when it is already set, or when the restart fails).
void RestartWithHugePageMalloc(char** argv);

}  // namespace kestrel
