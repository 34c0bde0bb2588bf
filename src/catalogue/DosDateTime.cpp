#include "catalogue/DosDateTime.h"

namespace kestrel::catalogue {

uint32_t ToDosDateTime(std::time_t t) {
  std::tm tm{};
#ifdef _WIN32
  localtime_s(&tm, &t);
#else
  localtime_r(&t, &tm);
#endif
  int year = tm.tm_year + 1900;
  if (year < 1980) return (0u << 25) | (1u << 21) | (1u << 16);  // 1980-01-01 00:00:00
  if (year > 2107) return (127u << 25) | (12u << 21) | (31u << 16) | (23u << 11) | (59u << 5) | 29u;
  uint32_t date =
      (uint32_t(year - 1980) << 9) | (uint32_t(tm.tm_mon + 1) << 5) | uint32_t(tm.tm_mday);
  uint32_t time = (uint32_t(tm.tm_hour) << 11) | (uint32_t(tm.tm_min) << 5) |
                  uint32_t(tm.tm_sec / 2);  // a leap second 60 still fits: 30
  return (date << 16) | time;
}

DosDateTimeParts SplitDosDateTime(uint32_t v) {
  uint32_t date = v >> 16, time = v & 0xFFFF;
  return {int(date >> 9) + 1980, int((date >> 5) & 0xF),  int(date & 0x1F),
          int(time >> 11),       int((time >> 5) & 0x3F), int(time & 0x1F) * 2};
}

std::string FormatResultDate(uint32_t value) {
  // Written by hand: the result list formats a million of these in one go.
  DosDateTimeParts p = SplitDosDateTime(value);
  auto two = [](char* at, int v) {
    v %= 100;
    at[0] = char('0' + v / 10);
    at[1] = char('0' + v % 10);
  };
  std::string s = "[yy/mm/dd] ";
  two(&s[1], p.year);
  two(&s[4], p.month);
  two(&s[7], p.day);
  return s;
}

}  // namespace kestrel::catalogue
