// Reads one record file into the file table: how it starts and where it was
// saved.
#ifndef LOGWELD_RECORDS_SCANNER_H_
#define LOGWELD_RECORDS_SCANNER_H_

#include <cstdint>

#include "records/file_table.h"
#include "records/piece_reader.h"

namespace platform {
class ByteSource;
}

// Reads pieces until one is an accepted event line and returns true with
// its five fields, or false at the end of the file. `lineCounter` counts
// every piece read. Skips comments, lines starting with a space, empty
// pieces and the silent time-0 events; reports malformed lines and the
// other time-0 events as it skips them.
bool readEvent(PieceReader& reader, int32_t& time, int32_t& second,
               int32_t& third, int32_t& code, int32_t& fifth,
               int64_t& lineCounter);

// One step of the start recogniser on an event (time t, code c, line n).
// The state is start.time (-1, -2, -3) until it holds the start time.
void feedStartRecogniser(EventSpan& start, int32_t t, int32_t c, int32_t n);

// One step of the save recogniser. The state is working.time (-1 to -4);
// a completed save point is added to `savePoints`.
void feedSaveRecogniser(EventSpan& working, SavePointList& savePoints,
                        int32_t t, int32_t c, int32_t n);

// Scans the whole of `file` into FileTable[fileCount], whose name the caller
// has stored, and reports its summary line. fileCount is left unchanged.
void scanRecordFile(platform::ByteSource& file);

#endif  // LOGWELD_RECORDS_SCANNER_H_
