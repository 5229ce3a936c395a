// The fields of an event line: five hexadecimal numbers separated by white
// space, the rest of the line ignored.
#ifndef LOGWELD_RECORDS_EVENT_LINE_H_
#define LOGWELD_RECORDS_EVENT_LINE_H_

#include <cstddef>
#include <cstdint>

// Event codes with a role in recognising starts and saves.
enum EventCode : int32_t {
  kCodeEscapeInventory = 0x000B,
  kCode0050 = 0x0050,
  kCodeSaveOpen = 0x008C,
  kCodeFreshStart = 0x00C8,
  kCodeRestoreOpen = 0x00C9,
  kCodeD2 = 0x00D2,
  kCodeD3 = 0x00D3,
  kCodeD4 = 0x00D4,
  kCodeD5 = 0x00D5,
  kCode0ADD = 0x0ADD,
  kCodeMarker = 0x2224,
  kCode3333 = 0x3333,
  kCode6665 = 0x6665,
  kCode6666 = 0x6666,
  kCode6667 = 0x6667,
  kCodeSaveClose = 0x6668,
  kCode6669 = 0x6669,
  kCode666A = 0x666A,
};

// Parses one hexadecimal field starting at text[*pos], as "%x" does:
// optional white space, an optional sign, an optional 0x or 0X prefix when a
// hex digit follows it, then one or more hex digits. Keeps the low 32 bits
// (a minus sign negates modulo 2^32). On success advances *pos past the
// field; returns false, leaving *pos alone, when no digit is found.
bool parseHexField(const char* text, size_t length, size_t* pos,
                   uint32_t* value);

// Parses up to five fields as the format "%x %x %x %x %x" does on a C string
// and returns how many were converted (0 to 5). `text` need not be
// NUL-terminated; a NUL byte in it ends the parse as the end of the string
// would.
int parseEventFields(const char* text, size_t length, int32_t fields[5]);

// The same by the general rule alone, without the fast path for the
// recorder's layout.
int parseEventFieldsGenerally(const char* text, size_t length,
                              int32_t fields[5]);

#endif  // LOGWELD_RECORDS_EVENT_LINE_H_
