#include "records/event_line.h"

#include <cstring>

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

constexpr uint64_t kOnes = 0x0101010101010101ULL;
constexpr uint64_t kHigh = 0x8080808080808080ULL;

// For bytes below 0x80: the high bit of each byte set where lo <= byte <= hi.
inline uint64_t bytesInRange(uint64_t x, unsigned lo, unsigned hi) {
  uint64_t atLeastLo = x + (0x80 - lo) * kOnes;
  uint64_t aboveHi = x + (0x7f - hi) * kOnes;
  return atLeastLo & ~aboveHi & kHigh;
}

// The value of eight hex digits (the first the most significant), read at
// once; false when any of them is no hex digit.
inline bool hex8(const char* text, uint32_t* value) {
  uint64_t x;
  std::memcpy(&x, text, 8);
#if defined(__BYTE_ORDER__) && __BYTE_ORDER__ == __ORDER_BIG_ENDIAN__
  x = __builtin_bswap64(x);
#endif
  if ((x & kHigh) != 0) {
    return false;
  }
  uint64_t digits = bytesInRange(x, '0', '9');
  uint64_t letters = bytesInRange(x | 0x20 * kOnes, 'a', 'f');
  if ((digits | letters) != kHigh) {
    return false;
  }
  // Each byte becomes its digit's value: the low nibble, plus 9 for letters.
  uint64_t v = (x & 0x0f * kOnes) + (letters >> 7) * 9;
  v = ((v << 4) | (v >> 8)) & 0x00ff00ff00ff00ffULL;
  v = ((v << 8) | (v >> 16)) & 0x0000ffff0000ffffULL;
  v = ((v << 16) | (v >> 32)) & 0xffffffffULL;
  *value = static_cast<uint32_t>(v);
  return true;
}

// The same for four hex digits.
inline bool hex4(const char* text, uint32_t* value) {
  char padded[8] = {'0', '0', '0', '0'};
  std::memcpy(padded + 4, text, 4);
  return hex8(padded, value);
}

// The recorder's own layout, "tttttttt ssss hhhh cccc f...": columns 0-7,
// 9-12, 14-17 and 19-22 hex digits, single spaces at 8, 13, 18 and 23, and a
// hex digit at 24. For such a line the general rule gives exactly these
// fields.
bool parseFixedLayout(const char* text, size_t length, int32_t fields[5]) {
  uint32_t time, second, third, code;
  if (length < 25 || text[8] != ' ' || text[13] != ' ' || text[18] != ' ' ||
      text[23] != ' ' || hexDigit(text[24]) < 0 || !hex8(text, &time) ||
      !hex4(text + 9, &second) || !hex4(text + 14, &third) ||
      !hex4(text + 19, &code)) {
    return false;
  }
  fields[0] = static_cast<int32_t>(time);
  fields[1] = static_cast<int32_t>(second);
  fields[2] = static_cast<int32_t>(third);
  fields[3] = static_cast<int32_t>(code);
  uint32_t fifth = 0;
  if (length >= 32 && (length == 32 || hexDigit(text[32]) < 0) &&
      hex8(text + 24, &fifth)) {
    fields[4] = static_cast<int32_t>(fifth);
  } else {
    size_t pos = 24;
    parseHexField(text, length, &pos, &fifth);
    fields[4] = static_cast<int32_t>(fifth);
  }
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
