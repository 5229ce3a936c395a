#include "records/file_table.h"

#include <gtest/gtest.h>

#include <cstring>

namespace {

EventSpan span(int32_t time, int32_t firstLine, int32_t lastLine,
               int32_t code) {
  EventSpan s;
  s.time = time;
  s.firstLine = firstLine;
  s.lastLine = lastLine;
  s.code = code;
  s.pendingTime = 99;
  s.pendingLine = 98;
  return s;
}

void expectEmptySavePoint(const EventSpan& s) {
  EXPECT_EQ(-1, s.time);
  EXPECT_EQ(0, s.firstLine);
  EXPECT_EQ(-1, s.lastLine);
  EXPECT_EQ(0, s.code);
  EXPECT_EQ(nullptr, s.next);
  EXPECT_EQ(0, s.lastLine - s.firstLine + 1);
}

TEST(SavePointList, EmptyListYieldsEmptySavePoint) {
  SavePointList list;
  EXPECT_EQ(0, list.count());
  expectEmptySavePoint(list.at(0));
  expectEmptySavePoint(list.at(5));
}

TEST(SavePointList, PushFrontPutsNewestAtPositionZero) {
  SavePointList list;
  list.pushFront(span(10, 1, 2, 0xd2));
  list.pushFront(span(20, 3, 4, 0xd3));
  list.pushFront(span(30, 5, 6, 0xd4));
  EXPECT_EQ(3, list.count());
  EXPECT_EQ(30, list.at(0).time);
  EXPECT_EQ(20, list.at(1).time);
  EXPECT_EQ(10, list.at(2).time);
  EXPECT_EQ(1, list.at(2).firstLine);
  EXPECT_EQ(2, list.at(2).lastLine);
  EXPECT_EQ(0xd2, list.at(2).code);
  // The pending fields are not copied.
  EXPECT_EQ(0, list.at(0).pendingTime);
  EXPECT_EQ(0, list.at(0).pendingLine);
  expectEmptySavePoint(list.at(3));
}

TEST(FileRecord, SwapWithExchangesEverything) {
  FileRecord a;
  FileRecord b;
  a.savePoints.pushFront(span(1, 1, 1, 1));
  a.start = span(5, 6, 7, 0xc8);
  std::strcpy(a.name, "Record001.log");
  a.linkIndex = 3;
  std::strcpy(b.name, "Logs01/Record002.log");
  a.swapWith(b);
  EXPECT_STREQ("Logs01/Record002.log", a.name);
  EXPECT_STREQ("Record001.log", b.name);
  EXPECT_EQ(0, a.savePoints.count());
  EXPECT_EQ(1, b.savePoints.count());
  EXPECT_EQ(5, b.start.time);
  EXPECT_EQ(0xc8, b.start.code);
  EXPECT_EQ(3, b.linkIndex);
  EXPECT_EQ(0, a.linkIndex);

  b.swapWith(b);
  EXPECT_STREQ("Record001.log", b.name);
  EXPECT_EQ(1, b.savePoints.count());
  EXPECT_EQ(5, b.start.time);
}

}  // namespace
