#include "dxf/DxfReader.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <vector>

#include "DxfTestFiles.h"

namespace kestrel::dxf {
namespace {

using ::testing::ElementsAre;
using testing::Entities;
using ::testing::Field;
using testing::Pairs;

struct Read {
  Drawing d;
  std::string error;
  std::vector<Message> messages;
  explicit Read(std::string_view bytes, TextEncoding encoding = TextEncoding::Utf8) {
    error = ReadDxfBuffer(d, bytes, "plan.dxf", encoding, {},
                          [this](const Message& m) { messages.push_back(m); });
  }
};

const char* const kLayerTable = R"(0 SECTION
2 TABLES
0 TABLE
2 LTYPE
0 LTYPE
2 DASHED
0 ENDTAB
0 TABLE
2 LAYER
0 LAYER
2 WALL
62 3
6 dashed
0 LAYER
2 OFF
62 -5
0 LAYER
2 FROZEN
62 4
70 1
0 ENDTAB
0 ENDSEC
)";

TEST(DxfReader, FilesWithoutDrawingGetTheSingleLayerZero) {
  for (const std::string& bytes :
       {std::string(), Pairs("0 SECTION\n2 HEADER\n9 $ACADVER\n1 AC1015\n0 ENDSEC\n0 EOF"),
        std::string("\n"), std::string("garbage without pairs")}) {
    Read r(bytes);
    EXPECT_EQ(r.error, "") << bytes;
    ASSERT_EQ(r.d.LayerAry.size(), 1u);
    EXPECT_EQ(r.d.LayerAry[0].Name, "0");
    EXPECT_EQ(r.d.LayerAry[0].color, 7);
    EXPECT_EQ(r.d.LayerAry[0].ltype, "CONTINUOUS");
    EXPECT_TRUE(r.d.LayerAry[0].visible);
    EXPECT_TRUE(r.d.LineAry.empty() && r.d.TextAry.empty() && r.d.BlockAry.empty());
  }
}

TEST(DxfReader, ReadsTheLayerTableAndResolvesByLayer) {
  Read r(Pairs(kLayerTable) + Entities(R"(0 LINE
8 WALL
10 1
20 2
30 3
11 4
21 5
31 6
0 LINE
8 OFF
62 2
0 CIRCLE
8 wall
0 ARC
8 NEW
6 hidden
)"));
  ASSERT_EQ(r.error, "");
  ASSERT_EQ(r.d.LayerAry.size(), 5u);
  const TLayer& wall = r.d.LayerAry[0];
  EXPECT_EQ(wall.Name, "WALL");
  EXPECT_EQ(wall.color, 3);
  EXPECT_EQ(wall.ltype, "DASHED");
  EXPECT_TRUE(wall.visible);
  EXPECT_EQ(r.d.LayerAry[1].color, -5);  // off: the colour stays negative
  EXPECT_FALSE(r.d.LayerAry[1].visible);
  EXPECT_EQ(r.d.LayerAry[2].color, 4);  // frozen
  EXPECT_FALSE(r.d.LayerAry[2].visible);
  // Names are compared exactly: "wall" is another layer, added with the defaults.
  EXPECT_EQ(r.d.LayerAry[3].Name, "wall");
  EXPECT_EQ(r.d.LayerAry[3].color, 7);
  EXPECT_EQ(r.d.LayerAry[3].ltype, "CONTINUOUS");
  EXPECT_EQ(r.d.LayerAry[4].Name, "NEW");

  ASSERT_EQ(r.d.LineAry.size(), 2u);
  const TAcadLineBlk& line = r.d.LineAry[0];
  EXPECT_EQ(line.color, 3);  // BYLAYER resolved
  EXPECT_EQ(line.st, (TAcadPoint{1, 2, 3}));
  EXPECT_EQ(line.ed, (TAcadPoint{4, 5, 6}));
  EXPECT_EQ(line.ltype, "BYLAYER");
  EXPECT_EQ(line.code210, (TAcadPoint{0, 0, 1}));
  EXPECT_EQ(line.bname, "");
  EXPECT_EQ(r.d.LineAry[1].color, 2);
  EXPECT_EQ(r.d.CircleAry.at(0).color, 7);
  EXPECT_EQ(r.d.ArcAry.at(0).ltype, "HIDDEN");  // the last entity is ended by ENDSEC
  EXPECT_EQ(r.d.ArcAry.at(0).color, 7);
}

TEST(DxfReader, BlockDefinitionsKeepTheirEntitiesAndInserts) {
  const std::string blocks = Pairs(R"(0 SECTION
2 BLOCKS
0 BLOCK
8 0
2 DOOR
6 dashed
10 1
20 2
30 0
0 LINE
8 0
62 5
0 INSERT
2 KNOB
8 0
41 2
42 3
43 4
50 30
0 TEXT
8 LBL
62 0
1 D1
0 ELLIPSE
8 0
0 TEXT
1
0 ENDBLK
0 BLOCK
2 KNOB
0 CIRCLE
8 LBL
62 1
0 ENDBLK
0 ENDSEC
)");
  Read r(blocks + Entities("0 INSERT\n2 DOOR\n0 SEQEND\n0 3DFACE\n"));
  ASSERT_EQ(r.error, "");
  ASSERT_EQ(r.d.BlockAry.size(), 2u);
  const TBlockBlk& door = r.d.BlockAry[0];
  EXPECT_EQ(door.name, "DOOR");
  EXPECT_EQ(door.layer, "0");
  EXPECT_EQ(door.ltype, "DASHED");
  EXPECT_EQ(door.base, (TAcadPoint{1, 2, 0}));
  ASSERT_EQ(door.InsertAry.size(), 1u);
  const TInsertBlk& knob = door.InsertAry[0];
  EXPECT_EQ(knob.name, "KNOB");
  EXPECT_EQ(knob.dimBlkName, "DOOR");
  EXPECT_EQ(knob.scale, (TAcadPoint{2, 3, 4}));
  EXPECT_EQ(knob.rotate, 30);
  EXPECT_EQ(knob.color, 7);

  // In a block body layer "0" and BYBLOCK take the layer's colour, whatever the entity says.
  ASSERT_EQ(r.d.BlkLineAry.size(), 1u);
  EXPECT_EQ(r.d.BlkLineAry[0].color, 7);
  EXPECT_EQ(r.d.BlkLineAry[0].bname, "DOOR");
  ASSERT_EQ(r.d.BlkTextAry.size(), 1u);  // the empty text before ENDBLK is dropped
  EXPECT_EQ(r.d.BlkTextAry[0].str, "D1");
  EXPECT_EQ(r.d.BlkTextAry[0].color, 7);
  EXPECT_EQ(r.d.BlkCircleAry.at(0).color, 1);
  EXPECT_EQ(r.d.BlkCircleAry.at(0).bname, "KNOB");
  EXPECT_TRUE(r.d.EllipseAry.empty());  // ellipses inside blocks are skipped

  ASSERT_EQ(r.d.EntInsertAry.size(), 1u);
  EXPECT_EQ(r.d.EntInsertAry[0].dimBlkName, "KNOB");  // the last definition of the file
  EXPECT_EQ(r.d.EntInsertAry[0].scale, (TAcadPoint{1, 1, 1}));
  EXPECT_EQ(r.d.FaceAry.size(), 1u);
  EXPECT_EQ(r.d.FaceAry[0].count, 3);
}

TEST(DxfReader, TextsKeepTheirPiecesBlanksAndFields) {
  Read r(Entities(R"(0 MTEXT
8 T
3 first chunk ends in a blank 
3 second
1  and the last
10 1
11 0.5
40 2.5
41 30
44 1.5
50 15
71 5
72 1
73 2
0 TEXT
1   right aligned  
72 2
73 1
0 ATTRIB
1 A
73 9
74 3
70 1
0 TEXT
8 T
)"));
  ASSERT_EQ(r.error, "");
  ASSERT_EQ(r.d.TextAry.size(), 3u);
  const TTextBlk& m = r.d.TextAry[0];
  EXPECT_EQ(m.str, "first chunk ends in a blank second and the last");
  EXPECT_TRUE(m.mtflag);
  EXPECT_FALSE(m.atflag);
  EXPECT_EQ(m.pt10.x, 1);
  EXPECT_EQ(m.pt11.x, 0.5);
  EXPECT_EQ(m.code40, 2.5);
  EXPECT_EQ(m.code41, 30);
  EXPECT_EQ(m.code44, 1.5);
  EXPECT_EQ(m.code50, 15);
  EXPECT_EQ(m.code71, 5);
  EXPECT_EQ(m.code72, 1);
  EXPECT_EQ(m.code73, 2);
  EXPECT_EQ(r.d.TextAry[1].str, "  right aligned  ");
  EXPECT_EQ(r.d.TextAry[1].layer, "");  // a text without group 8
  EXPECT_EQ(r.d.TextAry[1].code41, 1);
  EXPECT_EQ(r.d.TextAry[1].code44, 1);
  const TTextBlk& a = r.d.TextAry[2];
  EXPECT_TRUE(a.atflag);
  EXPECT_EQ(a.code73, 3);  // from 74; the ATTRIB's 73 is a field length
  EXPECT_EQ(a.code70, 1);
}

// From an R2018 MTEXT with columns: after group 101 the embedded object repeats 10, 11, 40 and
// more with other meanings (its 10 is the text's direction, its 11 the insertion point).
TEST(DxfReader, TextsLeaveTheGroupsOfAnEmbeddedObjectAlone) {
  Read r(Entities(R"(0 MTEXT
8 0
10 720.5
20 2296.25
30 0.0
40 50.0
41 591.75
71 1
72 5
1 edges 1 & 3\Pall visible
73 1
44 1.0
101 Embedded Object
70 1
10 1.0
20 0.0
30 0.0
11 720.5
21 2296.25
31 0.0
40 591.75
41 0.0
42 367.0
43 135.0
71 2
72 1
44 591.75
45 1550.5
73 0
74 0
46 not a number
1 not the text
0 TEXT
10 3
20 4
40 2.5
1 next
0 ATTRIB
10 7
40 1.5
74 2
1 tag
101 Embedded Object
10 1.0
40 9
74 0
0 LINE
10 5
)"));
  ASSERT_EQ(r.error, "");
  ASSERT_EQ(r.d.TextAry.size(), 3u);
  const TTextBlk& m = r.d.TextAry[0];
  EXPECT_EQ(m.str, "edges 1 & 3\\Pall visible");
  EXPECT_EQ(m.pt10, (TAcadPoint{720.5, 2296.25, 0}));
  EXPECT_EQ(m.pt11, (TAcadPoint{0, 0, 0}));
  EXPECT_EQ(m.code40, 50);
  EXPECT_EQ(m.code41, 591.75);
  EXPECT_EQ(m.code44, 1);
  EXPECT_EQ(m.code71, 1);
  EXPECT_EQ(m.code72, 5);
  EXPECT_EQ(m.code73, 1);
  EXPECT_EQ(m.code70, 0);
  // The next entity is read whole again.
  const TTextBlk& t = r.d.TextAry[1];
  EXPECT_EQ(t.pt10, (TAcadPoint{3, 4, 0}));
  EXPECT_EQ(t.code40, 2.5);
  const TTextBlk& a = r.d.TextAry[2];
  EXPECT_EQ(a.pt10.x, 7);
  EXPECT_EQ(a.code40, 1.5);
  EXPECT_EQ(a.code73, 2);
  ASSERT_EQ(r.d.LineAry.size(), 1u);
  EXPECT_EQ(r.d.LineAry[0].st.x, 5);
}

TEST(DxfReader, DecodesUnicodeEscapes) {
  struct Case {
    std::string in;
    std::string out;
  };
  const Case cases[] = {
      {"A\\U+30A2B", "AアB"},
      {"\\U+30a2\\U+30A2\\U+30a2", "アアア"},
      {"x\\U+zzzzy", std::string("x\0y", 3)},
      {"end\\U+41", "endA"},
      {"\\U+", std::string("\0", 1)},
      {"\\U+D83D\\U+DE00", "😀"},
      {"\\U+D83D.", "\xEF\xBF\xBD."},
      {"\\U+005CU+0041", "A"},  // a decoded backslash opens the next escape
      {"no escape \\u+0041", "no escape \\u+0041"},
  };
  for (const Case& c : cases) {
    Read r(Entities("0 TEXT\n1 " + c.in + "\n"));
    ASSERT_EQ(r.d.TextAry.size(), 1u) << c.in;
    EXPECT_EQ(r.d.TextAry[0].str, c.out) << c.in;
  }
}

TEST(DxfReader, ManyDistinctEscapesStayFast) {
  std::string text;
  for (int i = 0; i < 60000; ++i) {
    char buf[8];
    std::snprintf(buf, sizeof buf, "%04X", 0x4E00 + i % 0x5000);
    text += "\\U+";
    text += buf;
  }
  Read r(Entities("0 MTEXT\n1 " + text + "\n"));
  ASSERT_EQ(r.d.TextAry.size(), 1u);
  EXPECT_EQ(r.d.TextAry[0].str.size(), 60000u * 3);
  EXPECT_EQ(r.d.TextAry[0].str.substr(0, 6), "一丁");
}

TEST(DxfReader, LwPolylineVertices) {
  Read r(Entities(R"(0 LWPOLYLINE
8 P
38 5
20 99
42 99
70 1
10 1
20 2
42 0.5
10 3
20 4
0 LWPOLYLINE
10 7
0 LINE
)"));
  ASSERT_EQ(r.error, "");
  ASSERT_EQ(r.d.LwpAry.size(), 2u);
  EXPECT_EQ(r.d.LwpAry[0].code38, 5);
  EXPECT_EQ(r.d.LwpAry[0].code70, 1);
  EXPECT_EQ(r.d.LwpAry[0].color, 7);
  EXPECT_EQ(r.d.LwpAry[1].ihand, 1);
  ASSERT_EQ(r.d.VerAry.size(), 3u);
  EXPECT_EQ(r.d.VerAry[0].code10, (TAcadPoint{1, 2, 5}));  // z is the elevation
  EXPECT_EQ(r.d.VerAry[0].code42, 0.5);
  EXPECT_EQ(r.d.VerAry[1].code10, (TAcadPoint{3, 4, 5}));
  EXPECT_EQ(r.d.VerAry[1].code42, 0);
  EXPECT_EQ(r.d.VerAry[2].ihand, 1);
  EXPECT_EQ(r.d.VerAry[2].code10, (TAcadPoint{7, 0, 0}));
}

TEST(DxfReader, PolylineVerticesRunToSeqend) {
  Read r(Entities(R"(0 POLYLINE
8 P
66 1
10 0
20 0
30 9
70 1
0 VERTEX
10 1
20 2
30 3
42 -1
0 VERTEX
10 4
20 5
0 SEQEND
0 POLYLINE
0 VERTEX
20 8
10 6
0 SEQEND
0 LINE
10 42
)"));
  ASSERT_EQ(r.error, "");
  ASSERT_EQ(r.d.LwpAry.size(), 2u);
  EXPECT_EQ(r.d.LwpAry[0].code70, 1);
  ASSERT_EQ(r.d.VerAry.size(), 3u);  // the header's own point is not a vertex
  EXPECT_EQ(r.d.VerAry[0].code10, (TAcadPoint{1, 2, 3}));
  EXPECT_EQ(r.d.VerAry[0].code42, -1);
  EXPECT_EQ(r.d.VerAry[1].code10, (TAcadPoint{4, 5, 0}));
  EXPECT_EQ(r.d.VerAry[2].ihand, 1);
  EXPECT_EQ(r.d.VerAry[2].code10, (TAcadPoint{6, 0, 0}));  // its 20 came before the 10
  EXPECT_EQ(r.d.LineAry.at(0).st.x, 42);
}

TEST(DxfReader, LeaderKeepsThreeVerticesAndEndsAfterItsLast) {
  Read r(Entities(R"(0 LEADER
8 L
76 5
10 1
20 1
30 0
10 2
20 2
30 0
10 3
20 3
30 0
10 4
20 4
30 0
10 5
20 5
30 0
41 7
210 0
0 SPLINE
70 8
20 9
10 1
20 2
30 3
10 4
)"));
  ASSERT_EQ(r.error, "");
  ASSERT_EQ(r.d.LeaderAry.size(), 1u);
  const TLeaderBlk& l = r.d.LeaderAry[0];
  EXPECT_EQ(l.code76, 5);
  EXPECT_EQ(l.p1, (TAcadPoint{1, 1, 0}));
  EXPECT_EQ(l.p2, (TAcadPoint{2, 2, 0}));
  EXPECT_EQ(l.p3, (TAcadPoint{3, 3, 0}));
  EXPECT_EQ(l.code41, 7);
  EXPECT_EQ(l.color, 7);
  ASSERT_EQ(r.d.SplineAry.size(), 1u);
  EXPECT_EQ(r.d.SplineAry[0].code70, 8);
  EXPECT_THAT(r.d.SplineAry[0].code10Ary, ElementsAre(TAcadPoint{1, 2, 3}, TAcadPoint{4, 0, 0}));
}

TEST(DxfReader, NumberErrorsStopWithTheLineReport) {
  const std::string bytes = Entities("0 LINE\n10 1\n0 LINE\n10 1,5\n0 LINE\n");
  Read r(bytes);
  EXPECT_EQ(r.error, "11:10/12:1,5");
  ASSERT_EQ(r.messages.size(), 1u);
  EXPECT_EQ(r.messages[0].title, "DxfReport");
  EXPECT_EQ(r.messages[0].text, "plan.dxf\n11 行=10\n12 行=1,5");
  ASSERT_EQ(r.d.LineAry.size(), 2u);  // what was read stays
  EXPECT_EQ(r.d.LineAry[0].st.x, 1);
  EXPECT_EQ(r.d.LayerAry.size(), 1u);
}

TEST(DxfReader, NumbersAreReadWithoutLocaleAndHostileOnesAreSafe) {
  struct Case {
    std::string value;
    bool ok;
    double x;
  };
  const Case cases[] = {
      {"1.5", true, 1.5},
      {"-.5", true, -0.5},
      {"+2", true, 2},
      {"1e3", true, 1000},
      {"  7  ", true, 7},
      {"1e-400", true, 0},
      {"1e999", false, 0},
      {"inf", false, 0},
      {"nan", false, 0},
      {"1.5x", false, 0},
      {"", false, 0},
      {"1 5", false, 0},
      {"0x10", false, 0},
      {"--1", false, 0},
      // Plain decimals of up to 15 digits, and past them, read to the nearest double.
      {"5.", true, 5},
      {"1.2.3", false, 0},
      {"1234567.1234567", true, 1234567.1234567},
      {"-0.1", true, -0.1},
      {"123456789012.345", true, 123456789012.345},
      {"1234567890123.4567", true, 1234567890123.4567},
      {"0.30000000000000004", true, 0.30000000000000004},
      {".", false, 0},
      {"-", false, 0},
  };
  for (const Case& c : cases) {
    Read r(Entities("0 CIRCLE\n40 " + c.value + "\n"));
    EXPECT_EQ(r.error.empty(), c.ok) << c.value;
    if (c.ok) {
      EXPECT_EQ(r.d.CircleAry.at(0).hankei, c.x) << c.value;
    }
  }
  struct IntCase {
    std::string value;
    bool ok;
    int16_t color;
  };
  const IntCase ints[] = {{"3", true, 3},        {"-3", true, -3},
                          {"70000", true, 4464}, {"99999999999", false, 0},
                          {"1.0", false, 0},     {"", false, 0}};
  for (const IntCase& c : ints) {
    Read r(Entities("0 CIRCLE\n62 " + c.value + "\n"));
    EXPECT_EQ(r.error.empty(), c.ok) << c.value;
    if (c.ok) {
      EXPECT_EQ(r.d.CircleAry.at(0).color, c.color) << c.value;
    }
  }
  // Counts from the file allocate nothing: a leader that claims 32767 vertices.
  Read leader(Entities("0 LEADER\n76 32767\n10 1\n"));
  EXPECT_EQ(leader.error, "");
  EXPECT_EQ(leader.d.LeaderAry.at(0).code76, 32767);
}

TEST(DxfReader, OddLineCountGivesAnEmptyLastValue) {
  // The last pair is (62, ""): an empty value is not a number.
  Read r(Pairs("0 SECTION\n2 ENTITIES\n0 LINE") + "62\n");
  EXPECT_EQ(r.error, "7:62/8:");
  Read text(Pairs("0 SECTION\n2 ENTITIES\n0 TEXT\n1 x") + "8");
  EXPECT_EQ(text.error, "");
  EXPECT_EQ(text.d.TextAry.at(0).layer, "");
}

TEST(DxfReader, LineEndsAndByteOrderMark) {
  const std::string lf = Entities("0 TEXT\n8 ア\n1 テキスト\n");
  std::string crlf, cr;
  for (char c : lf) {
    crlf += c == '\n' ? std::string("\r\n") : std::string(1, c);
    cr += c == '\n' ? '\r' : c;
  }
  for (const std::string& bytes : {lf, crlf, cr, "\xEF\xBB\xBF" + crlf}) {
    // A byte-order mark makes the file UTF-8 whatever was asked.
    Read r(bytes, bytes[0] == '\xEF' ? TextEncoding::Ansi : TextEncoding::Utf8);
    EXPECT_EQ(r.error, "");
    ASSERT_EQ(r.d.TextAry.size(), 1u);
    EXPECT_EQ(r.d.TextAry[0].str, "テキスト");
    EXPECT_EQ(r.d.TextAry[0].layer, "ア");
  }
  // Code page 932: "ア" is 83 41, and its trail byte is an ASCII letter.
  Read ansi(Entities("0 TEXT\n1 \x83\x41\x83\x41\n"), TextEncoding::Ansi);
  EXPECT_EQ(ansi.d.TextAry.at(0).str, "アア");
  // Invalid UTF-8 never reaches the model.
  Read bad(Entities("0 TEXT\n1 a\xFF\n"));
  EXPECT_EQ(bad.d.TextAry.at(0).str, "a\xEF\xBF\xBD");
}

TEST(DxfReader, EveryPrefixOfAFileReadsSafely) {
  const std::string full = Pairs(kLayerTable) + Entities(R"(0 LWPOLYLINE
10 1
20 2
0 POLYLINE
0 VERTEX
10 1
0 SEQEND
0 LEADER
76 2
10 1
0 MTEXT
1 \U+30A2
)");
  for (size_t n = 0; n <= full.size(); ++n) {
    Read r(std::string_view(full).substr(0, n));
    EXPECT_FALSE(r.d.LayerAry.empty());
  }
}

TEST(DxfReader, ReportsProgressToFifty) {
  std::string body;
  for (int i = 0; i < 2000; ++i)
    body += "0 LINE\n10 1\n20 2\n";
  const std::string bytes = Entities(body);
  Drawing d;
  std::vector<int> positions;
  ReadDxfBuffer(d, bytes, "p.dxf", TextEncoding::Utf8, [&](int position, int maximum) {
    EXPECT_EQ(maximum, 50);
    positions.push_back(position);
  });
  ASSERT_GE(positions.size(), 3u);
  EXPECT_EQ(positions.front(), 0);
  EXPECT_EQ(positions.back(), 0);
  // pairs = size·65/1024, step = pairs/50 + 1: the bar runs close to its end.
  const int expectedPairs = int(bytes.size() * 65 / 1024);
  const int step = expectedPairs / 50 + 1;
  const int actualPairs = 3 * 2000 + 4;
  EXPECT_EQ(int(positions.size()) - 2, std::min(50, actualPairs / step));
  for (size_t i = 1; i + 1 < positions.size(); ++i)
    EXPECT_EQ(positions[i], int(i));
}

TEST(DxfReader, FilesOnDisk) {
  Drawing d;
  d.LineAry.resize(3);
  EXPECT_EQ(ReadDxfFile(d, "/nonexistent/plan.dxf", TextEncoding::Utf8), "");
  EXPECT_TRUE(d.LineAry.empty());
  ASSERT_EQ(d.LayerAry.size(), 1u);

  const auto path = testing::WriteTempFile("disk.dxf", Entities("0 LINE\n10 1,5\n"));
  std::vector<Message> messages;
  EXPECT_EQ(ReadDxfFile(d, path, TextEncoding::Utf8, {},
                        [&](const Message& m) { messages.push_back(m); }),
            "7:10/8:1,5");
  ASSERT_EQ(messages.size(), 1u);
  EXPECT_EQ(messages[0].text, path.filename().string() + "\n7 行=10\n8 行=1,5");

  // A folder opens but cannot be read.
  EXPECT_EQ(ReadDxfFile(d, path.parent_path(), TextEncoding::Utf8), "busy");
  EXPECT_EQ(d.LayerAry.size(), 1u);
}

TEST(DxfReader, LongLinesAcrossReadChunks) {
  // Lines far longer than the read buffer, and a CR LF split across two reads.
  const std::string big(3 << 20, 'x');
  const std::string bytes = Entities("0 TEXT\n1 " + big + "\n0 TEXT\n1 tail\n");
  const auto path = testing::WriteTempFile("long.dxf", bytes);
  Drawing d;
  EXPECT_EQ(ReadDxfFile(d, path, TextEncoding::Utf8), "");
  ASSERT_EQ(d.TextAry.size(), 2u);
  EXPECT_EQ(d.TextAry[0].str, big);
  EXPECT_EQ(d.TextAry[1].str, "tail");

  std::string crlf = Pairs("0 SECTION\n2 ENTITIES\n0 LINE") + "10\n";
  crlf += std::string((1 << 20) - crlf.size() - 2, ' ') + "5\r\n0\r\nENDSEC\r\n";
  ASSERT_EQ(crlf[(1 << 20) - 1], '\r');
  EXPECT_EQ(ReadDxfFile(d, testing::WriteTempFile("crlf.dxf", crlf), TextEncoding::Utf8), "");
  ASSERT_EQ(d.LineAry.size(), 1u);
  EXPECT_EQ(d.LineAry[0].st.x, 5);
}

TEST(DxfReader, LineEndsAtEveryPlaceOfTheScanWindow) {
  // Values of 1 to 80 characters put the line ends at every offset of the windows the line
  // splitter looks at, in memory and across the file's read chunks.
  std::string lf = "0\nSECTION\n2\nENTITIES\n";
  std::vector<double> expected;
  for (int i = 0; i < 4000; ++i) {
    const int width = 1 + i % 80;
    std::string value = std::to_string(i % 1000) + ".5";
    if (int(value.size()) < width) value.insert(0, size_t(width) - value.size(), '0');
    lf += "0\nCIRCLE\n40\n" + value + "\n";
    expected.push_back(i % 1000 + 0.5);
  }
  lf += "0\nENDSEC\n";
  std::string crlf, cr, mixed;
  int line = 0;
  for (char c : lf) {
    crlf += c == '\n' ? std::string("\r\n") : std::string(1, c);
    cr += c == '\n' ? '\r' : c;
    const char* const ends[] = {"\n", "\r\n", "\r"};
    mixed += c == '\n' ? std::string(ends[line++ % 3]) : std::string(1, c);
  }
  for (const std::string* bytes : {&lf, &crlf, &cr, &mixed}) {
    Drawing fromFile;
    ASSERT_EQ(ReadDxfFile(fromFile, testing::WriteTempFile("ends.dxf", *bytes), TextEncoding::Utf8),
              "");
    Read inMemory(*bytes);
    ASSERT_EQ(inMemory.error, "");
    for (const Drawing* d : {&fromFile, &inMemory.d}) {
      ASSERT_EQ(d->CircleAry.size(), expected.size());
      for (size_t i = 0; i < expected.size(); ++i)
        ASSERT_EQ(d->CircleAry[i].hankei, expected[i]) << i;
    }
  }
}

}  // namespace
}  // namespace kestrel::dxf
