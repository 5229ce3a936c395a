#include "records/piece_reader.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "tests/test_util.h"

namespace {

// A piece as raw bytes and its line end, written 'n' (none), 'l' (LF) or
// 'c' (CR LF).
struct Expected {
  std::string bytes;
  char end;
};

std::vector<Expected> readAll(const std::string& input, size_t chunk) {
  MemorySource source(input, chunk);
  PieceReader reader(source);
  std::vector<Expected> pieces;
  Piece piece;
  while (reader.next(piece)) {
    EXPECT_EQ(piece.size,
              piece.contentSize + (piece.end == LineEnd::kCrLf ? 2
                                   : piece.end == LineEnd::kLf ? 1
                                                               : 0));
    EXPECT_LE(piece.textLength(), kMaxPieceLength);
    char end = piece.end == LineEnd::kNone ? 'n'
               : piece.end == LineEnd::kLf ? 'l'
                                           : 'c';
    pieces.push_back({std::string(piece.bytes, piece.size), end});
  }
  EXPECT_FALSE(reader.failed());
  return pieces;
}

TEST(PieceReader, SplitsLinesIntoPiecesAsTextModeDoes) {
  const std::string x77(77, 'x');
  const std::string x78(78, 'x');
  struct Case {
    const char* name;
    std::string input;
    std::vector<Expected> pieces;
  };
  const Case cases[] = {
      {"empty file", "", {}},
      {"LF lines", "a\nbc\n", {{"a\n", 'l'}, {"bc\n", 'l'}}},
      {"CR LF lines", "a\r\n\r\n", {{"a\r\n", 'c'}, {"\r\n", 'c'}}},
      {"lone CR is a character", "a\rb\n\r", {{"a\rb\n", 'l'}, {"\r", 'n'}}},
      {"CR CR LF", "a\r\r\n", {{"a\r\r\n", 'c'}}},
      {"no line end at the end", "a\nlast", {{"a\n", 'l'}, {"last", 'n'}}},
      {"77 characters and LF fit", x77 + "\n", {{x77 + "\n", 'l'}}},
      {"77 characters and CR LF fit", x77 + "\r\n", {{x77 + "\r\n", 'c'}}},
      {"78 characters, then the LF alone",
       x78 + "\n",
       {{x78, 'n'}, {"\n", 'l'}}},
      {"78 characters, then the CR LF alone",
       x78 + "\r\n",
       {{x78, 'n'}, {"\r\n", 'c'}}},
      {"a line of 100 characters is two pieces",
       std::string(100, 'y') + "\n",
       {{std::string(78, 'y'), 'n'}, {std::string(22, 'y') + "\n", 'l'}}},
      {"NUL bytes are kept",
       std::string("a\0b\n", 4),
       {{std::string("a\0b\n", 4), 'l'}}},
  };
  for (const Case& c : cases) {
    for (size_t chunk : {size_t{1}, size_t{3}, size_t{1} << 20}) {
      SCOPED_TRACE(std::string(c.name) + ", chunk " + std::to_string(chunk));
      std::vector<Expected> got = readAll(c.input, chunk);
      ASSERT_EQ(c.pieces.size(), got.size());
      for (size_t i = 0; i < got.size(); ++i) {
        EXPECT_EQ(c.pieces[i].bytes, got[i].bytes) << "piece " << i;
        EXPECT_EQ(c.pieces[i].end, got[i].end) << "piece " << i;
      }
    }
  }
}

// Inputs for passPieces: lines of every length around the piece limit,
// runs of short lines that pass 64 bytes at a time, and long lines that
// interrupt such runs.
std::vector<std::string> passInputs() {
  std::string growing, shortRuns, crLfLimit;
  for (int i = 0; i < 3000; ++i) {
    std::string line = std::string(static_cast<size_t>(i % 170), 'a' + i % 26);
    growing += line + (i % 2 ? "\r\n" : "\n");
  }
  for (int i = 0; i < 5000; ++i) {
    size_t length = i % 97 == 0 ? 150 + i % 7 : i % 41 == 0 ? 77 + i % 3 : 32;
    shortRuns += std::string(length, 'x') + (i % 13 == 0 ? "\r\n" : "\n");
  }
  for (int i = 0; i < 2000; ++i) {
    // 77 characters then CR LF is one piece; 78 then LF is two.
    crLfLimit += std::string(77 + i % 2, 'y') + (i % 3 ? "\r\n" : "\n");
  }
  return {growing, shortRuns, crLfLimit, std::string(300, '\n')};
}

TEST(PieceReader, PassPiecesCountsAsNextDoes) {
  for (const std::string& input : passInputs()) {
    std::vector<std::string> pieces;
    {
      MemorySource source(input, 5000);
      PieceReader reader(source);
      Piece piece;
      while (reader.next(piece)) {
        pieces.emplace_back(piece.bytes, piece.size);
      }
    }
    std::vector<size_t> skips = {0, 1, 777, pieces.size() - 1, pieces.size()};
    for (size_t skip = 2; skip < 400; skip += 7) {
      skips.push_back(skip);
    }
    for (size_t skip : skips) {
      if (skip > pieces.size()) {
        continue;
      }
      SCOPED_TRACE(testing::Message() << input.size() << " " << skip);
      MemorySource source(input, 5000);
      PieceReader reader(source);
      CollectBytes passed;
      ASSERT_EQ(static_cast<int64_t>(skip),
                reader.passPieces(static_cast<int64_t>(skip), passed));
      std::string expected;
      for (size_t i = 0; i < skip; ++i) {
        expected += pieces[i];
      }
      ASSERT_EQ(expected, passed.bytes);
      Piece piece;
      if (skip < pieces.size()) {
        ASSERT_TRUE(reader.next(piece));
        EXPECT_EQ(pieces[skip], std::string(piece.bytes, piece.size));
      }
      // Asking for more than there is stops at the end.
      CollectBytes rest;
      int64_t left = static_cast<int64_t>(pieces.size()) -
                     static_cast<int64_t>(skip) -
                     (skip < pieces.size() ? 1 : 0);
      EXPECT_EQ(left, reader.passPieces(1 << 30, rest));
      EXPECT_FALSE(reader.next(piece));
    }
  }
}

TEST(PieceReader, CopiesTextModeStringUpToFirstNul) {
  MemorySource source(
      std::string("ab\r\n"
                  "c\0d\r\n",
                  9));
  PieceReader reader(source);
  Piece piece;
  char text[kMaxPieceLength + 1];
  ASSERT_TRUE(reader.next(piece));
  piece.copyString(text);
  EXPECT_STREQ("ab\n", text);
  EXPECT_EQ(3u, piece.stringLength());
  ASSERT_TRUE(reader.next(piece));
  piece.copyString(text);
  EXPECT_STREQ("c", text);
  EXPECT_EQ(1u, piece.stringLength());
}

TEST(PieceReader, LargeFileAcrossBufferRefills) {
  std::string input;
  for (int i = 0; i < 40000; ++i) {
    input += std::to_string(i) + (i % 3 == 0 ? "\r\n" : "\n");
  }
  MemorySource source(input, 4093);
  PieceReader reader(source);
  Piece piece;
  int count = 0;
  std::string joined;
  while (reader.next(piece)) {
    ASSERT_EQ(std::to_string(count),
              std::string(piece.bytes, piece.contentSize));
    joined.append(piece.bytes, piece.size);
    ++count;
  }
  EXPECT_EQ(40000, count);
  EXPECT_EQ(input, joined);
}

TEST(PieceReader, ReportsReadingError) {
  MemorySource source("line\n", 1 << 20, /*failAtEnd=*/true);
  PieceReader reader(source);
  Piece piece;
  // The error comes before the buffered line can be handed out; either way
  // the reader must end with failed() set.
  while (reader.next(piece)) {
  }
  EXPECT_TRUE(reader.failed());
}

}  // namespace
