#include "splice/writer.h"

#include <algorithm>
#include <cstring>
#include <limits>
#include <memory>

#include "driver/paths.h"
#include "driver/report.h"
#include "platform/platform.h"
#include "records/event_line.h"
#include "records/file_table.h"
#include "splice/write_behind.h"

const char kPlayfileName[] = "Playfile.log";

namespace {

const char kEscapeInventory[] =
    "00000000 0000 0000 000b 00000000 Escape inventory";
const char kMarkerCode[] = "2224";
const char kMarkerTail[] = " Inserted to replace save/restore";

const char* const kRestoreKeepTexts[] = {"6665", "6666", "6667",
                                         "6668", "6669", "0050"};
const char* const kSaveKeepTexts[] = {"6668"};

void putCommentedOut(WriteBehind& out, const Piece& piece) {
  out.put("##", 2);
  out.put(piece.bytes, piece.size);
}

enum class FileResult { kDone, kCannotOpen, kCannotRead };

// Copies what is left of a file unchanged.
FileResult copyRest(PieceReader& reader, WriteBehind& out) {
  const char* data;
  size_t size;
  while (out.ok() && reader.nextBlock(data, size)) {
    out.put(data, size);
  }
  return reader.failed() ? FileResult::kCannotRead : FileResult::kDone;
}

// Copies one record of the chain, rewriting its restore region and its
// save region. Stops early, returning kDone, once a write has failed.
FileResult copyChainFile(int j, WriteBehind& out) {
  const FileRecord& record = FileTable[j];
  std::unique_ptr<platform::InputFile> file = openInBase(record.name);
  if (!file) {
    return FileResult::kCannotOpen;
  }
  PieceReader reader(*file);
  const bool hasCut = j >= 1;
  const EventSpan& cut = record.savePoints.at(record.linkIndex);
  const bool restoreTrim = j != chainLength && record.start.code >= kCodeD2 &&
                           record.start.code <= kCodeD5;
  const int64_t noLimit = std::numeric_limits<int64_t>::max();
  // Ending before the cut is an error; a file without one just ends.
  auto endedEarly = [&] {
    return reader.failed() || hasCut ? FileResult::kCannotRead
                                     : FileResult::kDone;
  };
  Piece piece;
  for (int64_t k = 1;; ++k) {
    // Lines up to `plainUntil` are copied unchanged, in blocks.
    int64_t plainUntil = noLimit;
    if (restoreTrim && k <= record.start.lastLine) {
      plainUntil = std::min<int64_t>(plainUntil, record.start.firstLine - 1);
    }
    if (hasCut) {
      plainUntil = std::min<int64_t>(plainUntil, cut.firstLine - 1);
    }
    if (plainUntil == noLimit) {
      // Nothing is rewritten past here: the rest goes out as it is.
      return copyRest(reader, out);
    }
    if (k <= plainUntil) {
      int64_t wanted = plainUntil - k + 1;
      int64_t passed = reader.passPieces(wanted, out);
      if (!out.ok()) {
        return FileResult::kDone;  // the caller reports the failed write
      }
      if (passed < wanted) {
        return endedEarly();
      }
      k += passed;
    }
    if (hasCut && k > cut.lastLine) {
      out.put(makeMarkerLine(piece));
      return FileResult::kDone;
    }
    if (!reader.next(piece)) {
      return endedEarly();
    }
    if (restoreTrim && k >= record.start.firstLine &&
        k <= record.start.lastLine) {
      if (passesKeepTest(piece, KeepSet::kRestore)) {
        out.put(piece.bytes, piece.size);
      } else {
        putCommentedOut(out, piece);
        if (k == record.start.lastLine) {
          out.put(kEscapeInventory, sizeof kEscapeInventory - 1);
          out.put(piece.lineEndBytes(), std::strlen(piece.lineEndBytes()));
        }
      }
    } else if (hasCut && k >= cut.firstLine) {
      if (passesKeepTest(piece, KeepSet::kSave)) {
        out.put(piece.bytes, piece.size);
      } else {
        putCommentedOut(out, piece);
      }
    } else {
      out.put(piece.bytes, piece.size);
    }
    if (!out.ok()) {
      return FileResult::kDone;  // the caller reports the failed write
    }
  }
}

// Writes the whole chain into `file`; false when it failed, reported.
bool writeChain(platform::OutputFile& file) {
  WriteBehind out(file);
  for (int j = chainLength; j >= 0 && out.ok(); --j) {
    FileResult result = copyChainFile(j, out);
    // A write that failed before this stopped the copying: it is the one
    // reported.
    if (result != FileResult::kDone && out.settle()) {
      report(result == FileResult::kCannotOpen ? "Cannot open %s\n"
                                               : "Error reading %s\n",
             FileTable[j].name);
      return false;
    }
  }
  if (!out.settle()) {
    report("Cannot write '%s'.\n", kPlayfileName);
    return false;
  }
  return true;
}

// Creates a temporary file beside the output, with a name that no record
// file pattern matches and no other run uses.
std::unique_ptr<platform::OutputFile> createTemporary(std::string& path) {
  for (int attempt = 0; attempt < 100; ++attempt) {
    char name[64];
    std::snprintf(name, sizeof name, "%s.%lu-%d.tmp", kPlayfileName,
                  platform::processId(), attempt);
    path = std::string(baseDirectory) + name;
    // Registered first, so that no moment exists where the file is there
    // and an interruption would leave it.
    platform::removeOnInterrupt(path);
    std::unique_ptr<platform::OutputFile> file =
        platform::OutputFile::createNew(path);
    if (file) {
      return file;
    }
    platform::keepOnInterrupt();
    if (!platform::pathExists(path)) {
      return nullptr;
    }
    // Left behind by an earlier run that had this process number.
  }
  return nullptr;
}

}  // namespace

bool passesKeepTest(const Piece& piece, KeepSet set) {
  if (piece.stringLength() < 24 || piece.textAt(0) == '#' ||
      piece.textAt(18) != ' ' || piece.textAt(23) != ' ') {
    return false;
  }
  const char* const* texts =
      set == KeepSet::kRestore ? kRestoreKeepTexts : kSaveKeepTexts;
  size_t count = set == KeepSet::kRestore
                     ? sizeof kRestoreKeepTexts / sizeof *kRestoreKeepTexts
                     : sizeof kSaveKeepTexts / sizeof *kSaveKeepTexts;
  for (size_t i = 0; i < count; ++i) {
    if (std::memcmp(piece.bytes + 19, texts[i], 4) == 0) {
      return true;
    }
  }
  return false;
}

std::string makeMarkerLine(const Piece& piece) {
  std::string line(piece.bytes, piece.contentSize);
  size_t pos = 0;
  for (int field = 0; field < 3; ++field) {
    while (pos < line.size() && line[pos] != ' ') {
      ++pos;
    }
    while (pos < line.size() && line[pos] == ' ') {
      ++pos;
    }
  }
  for (size_t i = 0; i < 4 && pos + i < line.size(); ++i) {
    line[pos + i] = kMarkerCode[i];
  }
  line += kMarkerTail;
  line += piece.lineEndBytes();
  return line;
}

bool writePlayfile() {
  std::string finalPath;
  std::string temporaryPath;
  std::unique_ptr<platform::OutputFile> file;
  if (joinBase(kPlayfileName, finalPath)) {
    file = createTemporary(temporaryPath);
  }
  if (!file) {
    report("Cannot open '%s' for writing.\n", kPlayfileName);
    return false;
  }
  bool written = writeChain(*file);
  if (written && !file->syncAndClose()) {
    report("Cannot write '%s'.\n", kPlayfileName);
    written = false;
  }
  file.reset();
  if (written && !platform::moveNoReplace(temporaryPath, finalPath)) {
    if (platform::pathExists(finalPath)) {
      report("Cannot open '%s' for writing.\n", kPlayfileName);
    } else {
      report("Cannot write '%s'.\n", kPlayfileName);
    }
    written = false;
  }
  if (!written) {
    platform::removeFile(temporaryPath);
  }
  platform::keepOnInterrupt();
  return written;
}
