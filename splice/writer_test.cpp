#include "splice/writer.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <string>
#include <vector>

#include "driver/paths.h"
#include "records/file_table.h"
#include "tests/test_util.h"

namespace {

// The first piece of a text, as the reader gives it.
struct FirstPiece {
  explicit FirstPiece(const std::string& text) : source(text), reader(source) {
    EXPECT_TRUE(reader.next(piece));
  }
  MemorySource source;
  PieceReader reader;
  Piece piece;
};

bool keeps(const std::string& text, KeepSet set) {
  return passesKeepTest(FirstPiece(text).piece, set);
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
    EXPECT_EQ(c.marker, makeMarkerLine(FirstPiece(c.piece).piece));
  }
}

namespace fs = std::filesystem;

// A scratch directory as the base directory, with a chain set up by hand.
class WriterFiles : public ::testing::Test {
 protected:
  void SetUp() override {
    dir_ =
        fs::temp_directory_path() /
        ("logweld-writer-" +
         std::string(
             ::testing::UnitTest::GetInstance()->current_test_info()->name()) +
         "-" + std::to_string(platform::processId()));
    fs::remove_all(dir_);
    fs::create_directories(dir_);
    std::string base = dir_.string() + platform::kPathSeparator;
    ASSERT_TRUE(splitPath(base));
    resetFileTable();
  }
  void TearDown() override {
    fs::remove_all(dir_);
    baseDirectory[0] = '\0';
  }

  void writeFile(const std::string& name, const std::string& text) {
    writeWholeFile((dir_ / name).string(), text);
  }
  std::string readFile(const std::string& name) {
    return readWholeFile((dir_ / name).string());
  }
  // Record `index` named `name`, its cut (when it has one) at these lines.
  void setRecord(int index, const char* name, int32_t cutFirst,
                 int32_t cutLast) {
    FileRecord& record = FileTable[index];
    ASSERT_TRUE(record.setName(name));
    record.start.time = 0x50;
    EventSpan cut;
    cut.time = 0x50;
    cut.firstLine = cutFirst;
    cut.lastLine = cutLast;
    record.savePoints.pushFront(cut);
    record.linkIndex = 0;
  }
  // The chain A.log (cut at its save in lines 2 to 5) before B.log.
  void setUpChain() {
    setRecord(0, "B.log", 0, 0);
    setRecord(1, "A.log", 2, 5);
    chainLength = 1;
    fileCount = 2;
  }
  // The names in the directory, sorted.
  std::vector<std::string> names() {
    std::vector<std::string> found;
    for (const auto& entry : fs::directory_iterator(dir_)) {
      found.push_back(entry.path().filename().string());
    }
    std::sort(found.begin(), found.end());
    return found;
  }

  fs::path dir_;
};

const char kEarlier[] =
    "00000001 0000 0000 00c8 00000000\n"
    "00000050 0000 0000 008c 00000000\n"
    "00000050 0000 0000 00d2 00000000\n"
    "00000050 0000 0000 00d2 00000000\n"
    "00000050 0000 0000 6668 00000000\n";
const char kLater[] = "00000050 0000 0000 00c8 00000000\n";

TEST_F(WriterFiles, WritesTheChainAndLeavesNothingElse) {
  writeFile("A.log", kEarlier);
  writeFile("B.log", kLater);
  setUpChain();
  ReportCapture capture;
  EXPECT_TRUE(writePlayfile());
  EXPECT_EQ("", capture.text());
  EXPECT_EQ(
      "00000001 0000 0000 00c8 00000000\n"
      "##00000050 0000 0000 008c 00000000\n"
      "##00000050 0000 0000 00d2 00000000\n"
      "##00000050 0000 0000 00d2 00000000\n"
      "00000050 0000 0000 6668 00000000\n"
      "00000050 0000 0000 2224 00000000 Inserted to replace save/restore\n"
      "00000050 0000 0000 00c8 00000000\n",
      readFile("Playfile.log"));
  EXPECT_EQ((std::vector<std::string>{"A.log", "B.log", "Playfile.log"}),
            names());
}

TEST_F(WriterFiles, FailuresLeaveNoOutput) {
  struct Case {
    const char* name;
    const char* earlierText;  // null: A.log is missing
    bool playfileThere;       // one appears before the result is moved in
    std::string reported;
  };
  const Case cases[] = {
      {"chain file missing", nullptr, false, "Cannot open A.log\n"},
      {"chain file ends before its cut", "00000001 0000 0000 00c8 00000000\n",
       false, "Error reading A.log\n"},
      {"Playfile.log appeared meanwhile", kEarlier, true,
       "Cannot open 'Playfile.log' for writing.\n"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    fs::remove_all(dir_);
    fs::create_directories(dir_);
    resetFileTable();
    if (c.earlierText != nullptr) {
      writeFile("A.log", c.earlierText);
    }
    writeFile("B.log", kLater);
    std::vector<std::string> before = names();
    if (c.playfileThere) {
      writeFile("Playfile.log", "someone else's\n");
    }
    setUpChain();
    ReportCapture capture;
    EXPECT_FALSE(writePlayfile());
    EXPECT_EQ(c.reported, capture.text());
    if (c.playfileThere) {
      EXPECT_EQ("someone else's\n", readFile("Playfile.log"));
      before.push_back("Playfile.log");
      std::sort(before.begin(), before.end());
    }
    EXPECT_EQ(before, names());
  }
}

}  // namespace
