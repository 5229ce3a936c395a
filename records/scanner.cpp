#include "records/scanner.h"

#include <limits>

#include "driver/report.h"
#include "records/event_line.h"

namespace {

bool isSilentAtTimeZero(int32_t code) {
  switch (code) {
    case kCode3333:
    case kCodeEscapeInventory:
    case kCode6669:
    case kCode6665:
    case kCode6666:
    case kCode6667:
    case kCode0ADD:
      return true;
    default:
      return false;
  }
}

bool isRestoreStep(int32_t code) {
  return code >= kCodeD2 && code <= kCodeD5;
}

// Events that neither recogniser sees.
bool isUnseen(int32_t code) {
  switch (code) {
    case kCode6665:
    case kCode6666:
    case kCode6667:
    case kCode6669:
    case kCode666A:
      return true;
    default:
      return false;
  }
}

void reportPiece(const char* format, const Piece& piece) {
  char text[kMaxPieceLength + 1];
  piece.copyString(text);
  report(format, text);
}

}  // namespace

bool readEvent(PieceReader& reader, int32_t& time, int32_t& second,
               int32_t& third, int32_t& code, int32_t& fifth,
               int64_t& lineCounter) {
  Piece piece;
  while (reader.next(piece)) {
    ++lineCounter;
    // A NUL byte ends the text as a C string holds it: a piece that starts
    // with one is empty. Parsing stops at a NUL by itself.
    char first = piece.textAt(0);
    if (first == '\0' || first == '#' || first == ' ') {
      continue;
    }
    int32_t fields[5];
    if (parseEventFields(piece.bytes, piece.contentSize, fields) < 5) {
      reportPiece("Illegal line encountered:\n%s\n", piece);
      continue;
    }
    time = fields[0];
    second = fields[1];
    third = fields[2];
    code = fields[3];
    fifth = fields[4];
    if (time != 0) {
      return true;
    }
    if (code == kCodeFreshStart || code == kCodeRestoreOpen ||
        isRestoreStep(code)) {
      return true;
    }
    if (!isSilentAtTimeZero(code)) {
      reportPiece("Illegal time = 0:\n%s\n", piece);
    }
  }
  return false;
}

void feedStartRecogniser(EventSpan& start, int32_t t, int32_t c, int32_t n) {
  switch (start.time) {
    case -1:
      if (c == kCodeFreshStart) {
        start.time = t;
        start.code = c;
        start.firstLine = n;
        start.lastLine = n;
      } else if (c == kCodeRestoreOpen) {
        start.time = -2;
        start.code = c;
        start.firstLine = n;
      }
      break;
    case -2:
      if (c == kCodeRestoreOpen) {
        start.code = c;
        start.firstLine = n;
      } else if (isRestoreStep(c)) {
        start.time = -3;
        start.code = c;
      } else {
        start.time = -1;
      }
      break;
    case -3:
      if (c == kCodeRestoreOpen) {
        start.time = -2;
        start.code = c;
        start.firstLine = n;
      } else if (c == kCodeD2) {
        start.time = t;
        start.lastLine = n;
      } else if (c != kCode0050 && c != kCode0ADD) {
        start.time = -1;
      }
      break;
    default:
      break;  // the start is known
  }
}

void feedSaveRecogniser(EventSpan& working, SavePointList& savePoints,
                        int32_t t, int32_t c, int32_t n) {
  switch (working.time) {
    case -1:
      if (c == kCodeSaveOpen) {
        working.time = -2;
        working.firstLine = n;
      }
      break;
    case -2:
      if (c == kCodeD2 || c == kCodeD3) {
        working.time = -3;
      } else if (c != kCode0ADD) {
        working.time = -1;
      }
      break;
    case -3:
      if (isRestoreStep(c)) {
        working.pendingTime = t;
        working.pendingLine = n;
        working.code = c;
        working.time = -4;
      } else if (c != kCode0ADD) {
        working.time = -1;
      }
      break;
    case -4:
      if (c == kCode0ADD) {
        break;
      }
      // The closing line is consumed either way.
      if (c == kCodeSaveClose) {
        working.time = t;
        working.lastLine = n;
      } else {
        working.time = working.pendingTime;
        working.lastLine = working.pendingLine;
      }
      savePoints.pushFront(working);
      working.time = -1;
      break;
    default:
      break;
  }
}

void scanRecordFile(platform::ByteSource& file) {
  FileRecord& record = FileTable[fileCount];
  // The start is recognised in a copy of its own, which the compiler can
  // keep in registers, and stored when the file has been read.
  EventSpan start = record.start;
  start.time = -1;
  EventSpan working;
  working.time = -1;
  PieceReader reader(file);
  int64_t line = 0;
  int32_t t, second, third, c, fifth;
  while (readEvent(reader, t, second, third, c, fifth, line)) {
    // Line numbers are kept in 32 bits: events beyond that are not seen.
    if (isUnseen(c) || line > std::numeric_limits<int32_t>::max()) {
      continue;
    }
    int32_t n = static_cast<int32_t>(line);
    feedStartRecogniser(start, t, c, n);
    feedSaveRecogniser(working, record.savePoints, t, c, n);
  }
  record.start = start;
  if (working.time == -4) {
    working.time = working.pendingTime;
    working.lastLine = working.pendingLine;
    record.savePoints.pushFront(working);
  }
  const EventSpan& last = record.savePoints.at(0);
  report("%s, type=%02x,start=%08x @ %d/%lld,type=%02x,end=%08x @ %d/%lld\n",
         record.name, static_cast<unsigned>(record.start.code),
         static_cast<unsigned>(record.start.time), record.start.firstLine,
         static_cast<long long>(record.start.lastLine) -
             record.start.firstLine + 1,
         static_cast<unsigned>(last.code), static_cast<unsigned>(last.time),
         last.firstLine,
         static_cast<long long>(last.lastLine) - last.firstLine + 1);
}
