#include "splice/writer.h"

#include <gtest/gtest.h>

#include <string>

#include "tests/test_util.h"

namespace {

// The first piece of `text`, as the reader gives it.
std::string firstPieceResult(const std::string& text,
                             std::string (*make)(const Piece&)) {
  MemorySource source(text);
  PieceReader reader(source);
  Piece piece;
  EXPECT_TRUE(reader.next(piece));
  return make(piece);
}

bool keeps(const std::string& text, KeepSet set) {
  MemorySource source(text);
  PieceReader reader(source);
  Piece piece;
  EXPECT_TRUE(reader.next(piece));
  return passesKeepTest(piece, set);
}

TEST(Writer, KeepTest) {
  struct Case {
    std::string line;
    bool restore;
    bool save;
  };
  const Case cases[] = {
      {"00000206 0000 0000 6668 00000000\n", true, true},
      {"00000206 0000 0000 6668 00000000\r\n", true, true},
      {"00000000 0000 0000 6665 00000000\n", true, false},
      {"00000000 0000 0000 0050 00000000\n", true, false},
      {"00000000 0000 0000 0add 00000000\n", false, false},
      {"00000000 0000 0000 00d2 00000000\n", false, false},
      {"##000000 0000 0000 6668 00000000\n", false, false},
      {"#0000000 0000 0000 6668 00000000\n", false, false},
      // Exactly 24 characters, the newline the 24th: column 23 is no space.
      {"00000206 0000 0000 6668\n", false, false},
      {"00000206 0000 0000 6668 \n", true, true},
      {"206 0 0 d2 0 xxxxx 6668 tail\n", true, true},
      {"00000206 0000 0000 66680000000\n", false, false},
      {std::string("00000206 0000 0000 6668 0\0", 26), true, true},
      {std::string("00000206 0000 0\0 6668 00000000\n", 32), false, false},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.line);
    EXPECT_EQ(c.restore, keeps(c.line, KeepSet::kRestore));
    EXPECT_EQ(c.save, keeps(c.line, KeepSet::kSave));
  }
}

TEST(Writer, MarkerLine) {
  struct Case {
    std::string piece;
    std::string marker;
  };
  const Case cases[] = {
      {"00000206 0000 0000 6668 00000000\n",
       "00000206 0000 0000 2224 00000000 Inserted to replace save/restore\n"},
      {"00000206 0000 0000 6668 00000000\r\n",
       "00000206 0000 0000 2224 00000000 Inserted to replace save/restore\r\n"},
      {"00000205 0000 0000 00d3 00000000 note\n",
       "00000205 0000 0000 2224 00000000 note Inserted to replace "
       "save/restore\n"},
      {"  206   1 2 00d5 0\n",
       "  206   1 2224d5 0 Inserted to replace save/restore\n"},
      // Fewer than four fields: the overwrite stops at the piece's end.
      {"206 1 2\n", "206 1 2 Inserted to replace save/restore\n"},
      {"206 1 2 d5\n", "206 1 2 22 Inserted to replace save/restore\n"},
      // A piece without a line end gets the tail and a newline appended.
      {std::string(78, 'a'),
       std::string(78, 'a') + " Inserted to replace save/restore\n"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.piece);
    EXPECT_EQ(c.marker, firstPieceResult(c.piece, makeMarkerLine));
  }
}

}  // namespace
