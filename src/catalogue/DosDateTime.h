// The 32-bit MS-DOS packed date and time that file-list entries carry: date in the high 16 bits
// (bits 15-9 years since 1980, 8-5 month, 4-0 day), time in the low 16 bits (15-11 hour,
// 10-5 minute, 4-0 seconds / 2), local time.
#pragma once

#include <cstdint>
#include <ctime>
#include <string>

namespace kestrel::catalogue {

struct DosDateTimeParts {
  int year, month, day, hour, minute, second;
};

// Local time of `t`, clamped to the range the format can hold (1980-01-01 to 2107-12-31).
uint32_t ToDosDateTime(std::time_t t);
DosDateTimeParts SplitDosDateTime(uint32_t value);

// "[yy/mm/dd] ": the prefix of a result line.
std::string FormatResultDate(uint32_t value);

}  // namespace kestrel::catalogue
