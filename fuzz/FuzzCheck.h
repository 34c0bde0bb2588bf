// What every fuzz target checks with: a broken promise of the code under test stops the run
// as a crash, so that libFuzzer keeps the input.
#pragma once

inline void Check(bool ok) {
  if (!ok) __builtin_trap();
}
