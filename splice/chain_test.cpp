#include "splice/chain.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "records/file_table.h"
#include "tests/test_util.h"

namespace {

// Adds a record with a start time and save points given in file order.
void addRecord(const char* name, int32_t startTime,
               const std::vector<int32_t>& saveTimes) {
  FileRecord& record = FileTable[fileCount++];
  std::strcpy(record.name, name);
  record.start.time = startTime;
  for (int32_t time : saveTimes) {
    EventSpan save;
    save.time = time;
    record.savePoints.pushFront(save);
  }
}

TEST(Chain, LinksThreeFilesBackwards) {
  resetFileTable();
  addRecord("C", 0x900, {});
  addRecord("X", 5, {0x900});  // matches C and starts at the beginning
  addRecord("A", 0, {0x500});
  addRecord("B", 0x500, {0x700, 0x900});
  // X comes first in the table and matches C: it is taken, and as it starts
  // at the beginning the chain stops there.
  {
    ReportCapture capture;
    buildChain();
    EXPECT_EQ("X preceeds C\n", capture.text());
  }
  EXPECT_EQ(1, chainLength);

  resetFileTable();
  addRecord("C", 0x900, {});
  addRecord("A", 0, {0x500});
  addRecord("B", 0x500, {0x700, 0x900});
  ReportCapture capture;
  buildChain();
  EXPECT_EQ("B preceeds C\nA preceeds B\n", capture.text());
  ASSERT_EQ(2, chainLength);
  EXPECT_STREQ("C", FileTable[0].name);
  EXPECT_STREQ("B", FileTable[1].name);
  EXPECT_STREQ("A", FileTable[2].name);
  EXPECT_EQ(0, FileTable[1].linkIndex);  // 0x900 lies last in B
  EXPECT_EQ(0, FileTable[2].linkIndex);
}

TEST(Chain, StopsAtTheBeginningThreshold) {
  struct Case {
    int32_t namedStart;
    int expectedLength;
  };
  // 0x15 (21) searches; 0x14 (20) and the unset states do not.
  const Case cases[] = {{0x15, 1}, {0x14, 0}, {0, 0}, {-1, 0}, {-3, 0}};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.namedStart);
    resetFileTable();
    addRecord("named", c.namedStart, {});
    addRecord("before", 0, {c.namedStart});
    ReportCapture capture;
    buildChain();
    EXPECT_EQ(c.expectedLength, chainLength);
  }
}

TEST(Chain, TieBreaks) {
  resetFileTable();
  addRecord("named", 0x40, {});
  addRecord("first", 0, {0x40, 0x99, 0x40});
  addRecord("second", 0, {0x40});
  ReportCapture capture;
  buildChain();
  EXPECT_EQ("first preceeds named\n", capture.text());
  // The matching save point nearest the front of the list: the last in the
  // file.
  EXPECT_EQ(0, FileTable[1].linkIndex);

  FileTable[2].start.time = 0x99;
  EXPECT_TRUE(findLinkingSavePoint(1, 2));
  EXPECT_EQ(1, FileTable[1].linkIndex);
}

TEST(Chain, EndsWhenNoPredecessorExists) {
  resetFileTable();
  addRecord("named", 0x300, {});
  addRecord("middle", 0x200, {0x300});
  addRecord("other", 0, {0x100});
  ReportCapture capture;
  buildChain();
  EXPECT_EQ("middle preceeds named\n", capture.text());
  EXPECT_EQ(1, chainLength);
}

}  // namespace
