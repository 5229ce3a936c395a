#include "records/scanner.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include "tests/test_util.h"

namespace {

// Event lines in the recorder's layout, one per (time, code).
std::string lines(const std::vector<std::pair<uint32_t, uint32_t>>& events) {
  std::string text;
  char line[64];
  for (const auto& event : events) {
    std::snprintf(line, sizeof line, "%08x 0000 0000 %04x 00000000\n",
                  event.first, event.second);
    text += line;
  }
  return text;
}

// Scans `text` as record 0 named Record001.log; returns what was reported.
std::string scan(const std::string& text) {
  resetFileTable();
  std::strcpy(FileTable[0].name, "Record001.log");
  ReportCapture capture;
  MemorySource source(text);
  scanRecordFile(source);
  return capture.text();
}

struct Span {
  int32_t time, firstLine, lastLine, code;
};

void expectSpan(const Span& expected, const EventSpan& got) {
  EXPECT_EQ(expected.time, got.time);
  EXPECT_EQ(expected.firstLine, got.firstLine);
  EXPECT_EQ(expected.lastLine, got.lastLine);
  EXPECT_EQ(expected.code, got.code);
}

TEST(Scanner, RecognisesStartsAndSavePoints) {
  struct Case {
    const char* name;
    std::vector<std::pair<uint32_t, uint32_t>> events;
    Span start;
    std::vector<Span> savePoints;  // position 0 first
  };
  const Case cases[] = {
      {"fresh start", {{0, 0xc8}, {5, 1}}, {0, 1, 1, 0xc8}, {}},
      {"restore with tolerated lines",
       {{1, 0xc9}, {2, 0xd4}, {3, 0x50}, {4, 0xadd}, {0x500, 0xd2}},
       {0x500, 1, 5, 0xd4},
       {}},
      {"restore broken by 00D3 in its last step",
       {{1, 0xc9}, {2, 0xd4}, {3, 0xd3}, {4, 0xd2}},
       {-1, 1, 0, 0xd4},
       {}},
      {"restore opened again",
       {{1, 0xc9}, {2, 0xc9}, {3, 0xd3}, {7, 0xd2}},
       {7, 2, 4, 0xd3},
       {}},
      {"unseen events do not break a restore",
       {{1, 0xc9}, {2, 0x6665}, {3, 0xd5}, {4, 0x666a}, {9, 0xd2}},
       {9, 1, 5, 0xd5},
       {}},
      {"restore still open at the end",
       {{1, 0xc9}, {2, 0xd2}},
       {-3, 1, 0, 0xd2},
       {}},
      {"the first start wins",
       {{3, 0xc8}, {1, 0xc9}, {2, 0xd2}, {4, 0xd2}},
       {3, 1, 1, 0xc8},
       {}},
      {"save closed by 6668",
       {{1, 0xc8}, {2, 0x8c}, {3, 0xadd}, {4, 0xd2}, {5, 0xd5}, {6, 0x6668}},
       {1, 1, 1, 0xc8},
       {{6, 2, 6, 0xd5}}},
      {"save closed by another event",
       {{1, 0xc8}, {2, 0x8c}, {3, 0xd2}, {4, 0xd5}, {5, 1}},
       {1, 1, 1, 0xc8},
       {{4, 2, 4, 0xd5}}},
      {"00D4 is not a save's second step",
       {{1, 0xc8}, {2, 0x8c}, {3, 0xd4}, {4, 0xd2}, {5, 0xd2}, {6, 0x6668}},
       {1, 1, 1, 0xc8},
       {}},
      {"a closing 008C does not open another save",
       {{2, 0x8c},
        {3, 0xd3},
        {4, 0xd3},
        {5, 0x8c},
        {6, 0xd2},
        {7, 0xd2},
        {8, 0x6668}},
       {-1, 0, 0, 0},
       {{4, 1, 3, 0xd3}}},
      {"save still waiting at the end",
       {{2, 0x8c}, {3, 0xd2}, {4, 0xd3}},
       {-1, 0, 0, 0},
       {{4, 1, 3, 0xd3}}},
      {"two saves: the later at position 0",
       {{1, 0xc8},
        {2, 0x8c},
        {3, 0xd2},
        {4, 0xd2},
        {0x700, 0x6668},
        {6, 0x8c},
        {7, 0xd3},
        {8, 0xd2},
        {0x900, 0x6668}},
       {1, 1, 1, 0xc8},
       {{0x900, 6, 9, 0xd2}, {0x700, 2, 5, 0xd2}}},
      {"a restore and a save share their 00D2 lines",
       {{1, 0xc9}, {2, 0x8c}, {3, 0xd2}, {4, 0xd2}, {5, 0x6668}},
       {-1, 1, 0, 0xc9},
       {{5, 2, 5, 0xd2}}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    scan(lines(c.events));
    const FileRecord& record = FileTable[0];
    expectSpan(c.start, record.start);
    ASSERT_EQ(static_cast<int>(c.savePoints.size()), record.savePoints.count());
    for (size_t i = 0; i < c.savePoints.size(); ++i) {
      expectSpan(c.savePoints[i], record.savePoints.at(static_cast<int>(i)));
    }
  }
}

TEST(Scanner, ReportsLinesAndSummary) {
  struct Case {
    const char* name;
    std::string text;
    std::string reported;
  };
  const Case cases[] = {
      {"empty file", "",
       "Record001.log, type=00,start=ffffffff @ 0/1,type=00,end=ffffffff @ "
       "0/0\n"},
      {"comments, indented lines and NUL-led lines are skipped",
       std::string("# note\n  indented\n\0zz\n", 22),
       "Record001.log, type=00,start=ffffffff @ 0/1,type=00,end=ffffffff @ "
       "0/0\n"},
      {"a blank line is malformed", "\n",
       "Illegal line encountered:\n\n\n"
       "Record001.log, type=00,start=ffffffff @ 0/1,type=00,end=ffffffff @ "
       "0/0\n"},
      {"a CR LF blank line shows as a newline", "\r\n",
       "Illegal line encountered:\n\n\n"
       "Record001.log, type=00,start=ffffffff @ 0/1,type=00,end=ffffffff @ "
       "0/0\n"},
      {"time 0: 6668 is illegal, 6665 silent",
       "00000000 0000 0000 6668 00000000\r\n"
       "00000000 0000 0000 6665 00000000\n"
       "00000000 0000 0000 00c8 00000000\n",
       "Illegal time = 0:\n00000000 0000 0000 6668 00000000\n\n"
       "Record001.log, type=c8,start=00000000 @ 3/1,type=00,end=ffffffff @ "
       "0/0\n"},
      {"a long line is two pieces, the second parsed alone",
       "00000001 0000 0000 00c8 00000000" + std::string(46, ' ') +
           "00000005 0 0 1 0\n",
       "Record001.log, type=c8,start=00000001 @ 1/1,type=00,end=ffffffff @ "
       "0/0\n"},
      {"a malformed line up to its first NUL",
       std::string("12 34\0 56 78 9a\n", 16),
       "Illegal line encountered:\n12 34\n"
       "Record001.log, type=00,start=ffffffff @ 0/1,type=00,end=ffffffff @ "
       "0/0\n"},
      {"summary of a restore and a save",
       lines({{1, 0xc9},
              {2, 0xd4},
              {0x206, 0xd2},
              {0x300, 0x8c},
              {0x301, 0xd3},
              {0x302, 0xd5},
              {0x303, 0x6668}}),
       "Record001.log, type=d4,start=00000206 @ 1/3,type=d5,end=00000303 @ "
       "4/4\n"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    EXPECT_EQ(c.reported, scan(c.text));
  }
}

TEST(Scanner, LineNumbersCountEveryPiece) {
  // Comments, blank lines and a cut long line all count.
  std::string text =
      "# comment\n\n" + std::string(100, 'z') + "\n" + lines({{7, 0xc8}});
  scan(text);
  EXPECT_EQ(5, FileTable[0].start.firstLine);
}

}  // namespace
