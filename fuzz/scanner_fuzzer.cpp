// Feeds arbitrary bytes to the piece reader and the scanner as one record
// file, read in chunks of a size the input chooses, and checks what must
// hold for any file.
#include <cstdint>
#include <cstdlib>
#include <string>
#include <vector>

#include "records/event_line.h"
#include "records/file_table.h"
#include "records/piece_reader.h"
#include "records/scanner.h"
#include "tests/test_util.h"

namespace {

void check(bool condition) {
  if (!condition) {
    std::abort();
  }
}

// Piece sizes by the rule read byte by byte: at most 78 characters, a line
// end counting as one, CR LF being one line end.
std::vector<size_t> referencePieces(const std::string& bytes) {
  std::vector<size_t> sizes;
  size_t pos = 0;
  while (pos < bytes.size()) {
    size_t characters = 0;
    size_t at = pos;
    while (at < bytes.size()) {
      if (bytes[at] == '\n' && characters < 78) {
        ++at;
        break;
      }
      if (bytes[at] == '\r' && at + 1 < bytes.size() && bytes[at + 1] == '\n' &&
          characters < 78) {
        at += 2;
        break;
      }
      if (characters == 78) {
        break;
      }
      ++characters;
      ++at;
    }
    sizes.push_back(at - pos);
    pos = at;
  }
  return sizes;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  size_t chunk = size > 0 ? data[0] % 97 + 1 : 1;
  std::string bytes(reinterpret_cast<const char*>(data), size);

  // The pieces put back together are the file, and none is too long.
  {
    MemorySource source(bytes, chunk);
    PieceReader reader(source);
    Piece piece;
    std::string joined;
    std::vector<size_t> expected = referencePieces(bytes);
    size_t index = 0;
    while (reader.next(piece)) {
      check(index < expected.size() && piece.size == expected[index++]);
      check(piece.size > 0 && piece.textLength() <= kMaxPieceLength);
      joined.append(piece.bytes, piece.size);
      // The fast path for the recorder's layout agrees with the rule.
      int32_t fast[5] = {}, slow[5] = {};
      int converted = parseEventFields(piece.bytes, piece.contentSize, fast);
      check(converted ==
            parseEventFieldsGenerally(piece.bytes, piece.contentSize, slow));
      for (int i = 0; i < converted; ++i) {
        check(fast[i] == slow[i]);
      }
    }
    check(!reader.failed() && joined == bytes && index == expected.size());
  }

  // Passing the first pieces in blocks hands out the same bytes, and the
  // piece after them is the next one.
  {
    std::vector<size_t> expected = referencePieces(bytes);
    size_t skip = size > 1 ? data[1] * 7 % (expected.size() + 1) : 0;
    MemorySource source(bytes, chunk);
    PieceReader reader(source);
    CollectBytes passed;
    check(reader.passPieces(static_cast<int64_t>(skip), passed) ==
          static_cast<int64_t>(skip));
    size_t bytesBefore = 0;
    for (size_t i = 0; i < skip; ++i) {
      bytesBefore += expected[i];
    }
    check(passed.bytes == bytes.substr(0, bytesBefore));
    Piece piece;
    check(reader.next(piece) == (skip < expected.size()));
    check(skip == expected.size() || piece.size == expected[skip]);
  }

  // The scanner's results stay consistent with the file.
  FileTable[0].clear();
  fileCount = 0;
  MemorySource source(bytes, chunk);
  scanRecordFile(source);
  const FileRecord& record = FileTable[0];
  int count = 0;
  for (const EventSpan* node = record.savePoints.head(); node != nullptr;
       node = node->next) {
    check(node->firstLine >= 1 && node->firstLine < node->lastLine);
    ++count;
  }
  check(count == record.savePoints.count());
  if (record.start.time >= 0 || record.start.time < -3) {
    check(record.start.firstLine >= 1 &&
          record.start.firstLine <= record.start.lastLine);
  }
  return 0;
}
