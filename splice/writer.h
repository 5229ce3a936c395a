// Writes the chain, earliest file first, into "Playfile.log".
#ifndef LOGWELD_SPLICE_WRITER_H_
#define LOGWELD_SPLICE_WRITER_H_

#include <cstddef>
#include <string>

#include "records/piece_reader.h"

// The output's name, in baseDirectory.
extern const char kPlayfileName[];

// Writes records chainLength down to 0 joined at their save points into
// "Playfile.log" in baseDirectory. The result appears under that name only
// once it is complete, synced and closed, and never replaces an existing
// file. On failure reports the reason, leaves no file of its own behind and
// returns false.
bool writePlayfile();

// The sets of codes that the keep test accepts.
enum class KeepSet { kRestore, kSave };

// True when the piece is an event line in the recorder's layout whose code,
// columns 19 to 22, is one of the set's texts.
bool passesKeepTest(const Piece& piece, KeepSet set);

// The marker line that stands for a save, built from the piece that closed
// it: its fourth field overwritten with "2224" and " Inserted to replace
// save/restore" in place of its line end.
std::string makeMarkerLine(const Piece& piece);

#endif  // LOGWELD_SPLICE_WRITER_H_
