#include "records/event_line.h"

namespace {

// Value of each byte as a hex digit, or -1.
struct HexTable {
  signed char value[256];
  constexpr HexTable() : value() {
    for (int c = 0; c < 256; ++c) {
      value[c] = -1;
    }
    for (int c = '0'; c <= '9'; ++c) {
      value[c] = static_cast<signed char>(c - '0');
    }
    for (int c = 'a'; c <= 'f'; ++c) {
      value[c] = static_cast<signed char>(c - 'a' + 10);
      value[c - 'a' + 'A'] = static_cast<signed char>(c - 'a' + 10);
    }
  }
};
constexpr HexTable kHex;

inline int hexDigit(char c) {
  return kHex.value[static_cast<unsigned char>(c)];
}

inline bool isSpace(char c) {
  return c == ' ' || c == '\t' || c == '\n' || c == '\v' || c == '\f' ||
         c == '\r';
}

// The value of `count` hex digits known to be valid.
inline uint32_t fixedHex(const char* text, int count) {
  uint32_t value = 0;
  for (int i = 0; i < count; ++i) {
    value = (value << 4) | static_cast<uint32_t>(hexDigit(text[i]));
  }
  return value;
}

inline bool allHex(const char* text, int count) {
  for (int i = 0; i < count; ++i) {
    if (hexDigit(text[i]) < 0) {
      return false;
    }
  }
  return true;
}

// The recorder's own layout, "tttttttt ssss hhhh cccc f...": columns 0-7,
// 9-12, 14-17 and 19-22 hex digits, single spaces at 8, 13, 18 and 23, and a
// hex digit at 24. For such a line the general rule gives exactly these
// fields.
bool parseFixedLayout(const char* text, size_t length, int32_t fields[5]) {
  if (length < 25 || text[8] != ' ' || text[13] != ' ' || text[18] != ' ' ||
      text[23] != ' ' || !allHex(text, 8) || !allHex(text + 9, 4) ||
      !allHex(text + 14, 4) || !allHex(text + 19, 4) ||
      hexDigit(text[24]) < 0) {
    return false;
  }
  fields[0] = static_cast<int32_t>(fixedHex(text, 8));
  fields[1] = static_cast<int32_t>(fixedHex(text + 9, 4));
  fields[2] = static_cast<int32_t>(fixedHex(text + 14, 4));
  fields[3] = static_cast<int32_t>(fixedHex(text + 19, 4));
  size_t pos = 24;
  uint32_t fifth = 0;
  parseHexField(text, length, &pos, &fifth);
  fields[4] = static_cast<int32_t>(fifth);
  return true;
}

}  // namespace

bool parseHexField(const char* text, size_t length, size_t* pos,
                   uint32_t* value) {
  size_t at = *pos;
  while (at < length && isSpace(text[at])) {
    ++at;
  }
  bool negative = false;
  if (at < length && (text[at] == '+' || text[at] == '-')) {
    negative = text[at] == '-';
    ++at;
  }
  if (at + 2 < length && text[at] == '0' &&
      (text[at + 1] == 'x' || text[at + 1] == 'X') &&
      hexDigit(text[at + 2]) >= 0) {
    at += 2;
  }
  if (at >= length || hexDigit(text[at]) < 0) {
    return false;
  }
  uint32_t result = 0;
  while (at < length && hexDigit(text[at]) >= 0) {
    result = (result << 4) | static_cast<uint32_t>(hexDigit(text[at]));
    ++at;
  }
  *value = negative ? 0u - result : result;
  *pos = at;
  return true;
}

int parseEventFields(const char* text, size_t length, int32_t fields[5]) {
  if (parseFixedLayout(text, length, fields)) {
    return 5;
  }
  size_t pos = 0;
  for (int converted = 0; converted < 5; ++converted) {
    uint32_t value = 0;
    if (!parseHexField(text, length, &pos, &value)) {
      return converted;
    }
    fields[converted] = static_cast<int32_t>(value);
  }
  return 5;
}
