// Splits the input into two record files, an earlier and a later one,
// writes them to a scratch directory and runs the search, the chain builder
// and the writer over them, checking what must hold for any pair of files.
#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <string>

#include "driver/paths.h"
#include "platform/platform.h"
#include "records/file_table.h"
#include "records/piece_reader.h"
#include "records/scanner.h"
#include "splice/chain.h"
#include "splice/search.h"
#include "splice/writer.h"
#include "tests/test_util.h"

namespace {

const char kSeparator[] = "\n=====\n";

void check(bool condition) {
  if (!condition) {
    std::abort();
  }
}

std::string directory() {
  static const std::string dir = [] {
    std::filesystem::path path =
        std::filesystem::temp_directory_path() /
        ("logweld-fuzz-" + std::to_string(platform::processId()));
    std::filesystem::create_directories(path);
    return path.string() + "/";
  }();
  return dir;
}

// Drops what passPieces hands out.
struct Discard : ByteSink {
  void put(const char*, size_t) override {}
};

// The bytes of `text` after its first `pieces` pieces.
std::string afterPieces(const std::string& text, int64_t pieces) {
  MemorySource source(text);
  PieceReader reader(source);
  Discard discard;
  reader.passPieces(pieces, discard);
  std::string rest;
  const char* data;
  size_t size;
  while (reader.nextBlock(data, size)) {
    rest.append(data, size);
  }
  return rest;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  std::string input(reinterpret_cast<const char*>(data), size);
  size_t split = input.find(kSeparator);
  std::string earlier =
      split == std::string::npos ? "" : input.substr(0, split);
  std::string later = split == std::string::npos
                          ? input
                          : input.substr(split + sizeof kSeparator - 1);
  const std::string dir = directory();
  writeWholeFile(dir + "Record001.log", earlier);
  writeWholeFile(dir + "Record002.log", later);
  std::filesystem::remove(dir + "Playfile.log");

  std::string base = dir;
  check(splitPath(base));
  for (int i = 0; i < fileCount; ++i) {
    FileTable[i].clear();
  }
  fileCount = 0;
  check(FileTable[0].setName("Record002.log"));
  {
    std::unique_ptr<platform::InputFile> file = openInBase("Record002.log");
    check(file != nullptr);
    scanRecordFile(*file);
  }
  fileCount = 1;
  searchRecordFiles();
  buildChain();
  check(chainLength >= 0 && chainLength < fileCount);
  bool written = writePlayfile();
  std::string output = readWholeFile(dir + "Playfile.log");
  if (chainLength == 0) {
    // The latest file alone is copied unchanged.
    check(written && output == later);
  }
  if (written && chainLength > 0) {
    // The output ends with the latest file past its restore region.
    const EventSpan& start = FileTable[0].start;
    bool trimmed = start.code >= 0xd2 && start.code <= 0xd5;
    std::string tail =
        trimmed ? afterPieces(later, std::max(start.lastLine, 0)) : later;
    check(output.size() >= tail.size() &&
          output.compare(output.size() - tail.size(), tail.size(), tail) == 0);
  }
  return 0;
}
