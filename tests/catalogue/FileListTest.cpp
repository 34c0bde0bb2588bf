#include "catalogue/FileList.h"

#include <gtest/gtest.h>

#include "catalogue/DosDateTime.h"

using namespace kestrel::catalogue;

TEST(FileList, SortsIgnoringCaseAndKeepsTheFirstOfEqualPaths) {
  FileList list;
  list.Append("/d/b.dwg", 1);
  list.Append("/d/A.dwg", 2);
  list.Append("/d/a.DWG", 3);  // the same path ignoring case: dropped
  list.Append("/d/c.dwg", 4);
  list.Append("/D/B.DWG", 5);  // dropped
  list.SortAndRemoveDuplicates();
  ASSERT_EQ(list.size(), 3u);
  EXPECT_EQ(list.Path(0), "/d/A.dwg");
  EXPECT_EQ(list.DateTime(0), 2u);
  EXPECT_EQ(list.Path(1), "/d/b.dwg");
  EXPECT_EQ(list.DateTime(1), 1u);
  EXPECT_EQ(list.Path(2), "/d/c.dwg");
}

TEST(FileList, GenerationChangesWhenTheListIsReplaced) {
  FileList list, other;
  uint64_t g = list.Generation();
  list.Swap(other);
  EXPECT_NE(list.Generation(), g);
  g = list.Generation();
  list.Clear();
  EXPECT_NE(list.Generation(), g);
}

TEST(DosDateTime, PacksLocalTimeAndFormatsTheResultPrefix) {
  std::tm tm{};
  tm.tm_year = 2023 - 1900;
  tm.tm_mon = 7;
  tm.tm_mday = 12;
  tm.tm_hour = 13;
  tm.tm_min = 45;
  tm.tm_sec = 59;
  tm.tm_isdst = -1;
  uint32_t v = ToDosDateTime(std::mktime(&tm));
  EXPECT_EQ(v >> 16, (43u << 9) | (8u << 5) | 12u);
  EXPECT_EQ(v & 0xFFFF, (13u << 11) | (45u << 5) | 29u);  // seconds halved
  DosDateTimeParts p = SplitDosDateTime(v);
  EXPECT_EQ(p.year, 2023);
  EXPECT_EQ(p.second, 58);
  EXPECT_EQ(FormatResultDate(v), "[23/08/12] ");

  tm.tm_year = 1970 - 1900;  // before the format's first day: clamped
  EXPECT_EQ(FormatResultDate(ToDosDateTime(std::mktime(&tm))), "[80/01/01] ");
}
