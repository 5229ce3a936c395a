#include "records/event_line.h"

#include <cstring>

#ifdef __SSE2__
#include <emmintrin.h>
#endif

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

// The number written by the eight digit values of `v`, the first the most
// significant.
inline uint32_t pack8(uint64_t v) {
  v = ((v << 4) | (v >> 8)) & 0x00ff00ff00ff00ffULL;
  v = ((v << 8) | (v >> 16)) & 0x0000ffff0000ffffULL;
  v = ((v << 16) | (v >> 32)) & 0xffffffffULL;
  return static_cast<uint32_t>(v);
}

// The same for the four digit values in the low bytes of `v`.
inline uint32_t pack4(uint64_t v) {
  v = ((v << 4) | (v >> 8)) & 0x00ff00ffULL;
  v = ((v << 8) | (v >> 16)) & 0x0000ffffULL;
  return static_cast<uint32_t>(v);
}

#ifdef __SSE2__
// Sixteen bytes checked at once: bit masks of which are hex digits and
// which are spaces, and each byte replaced by its digit value.
inline __m128i hexLanes(const char* text, int* hex, int* spaces) {
  __m128i bytes = _mm_loadu_si128(reinterpret_cast<const __m128i*>(text));
  // Signed compares: bytes of 0x80 and above are below every bound.
  __m128i digit = _mm_and_si128(_mm_cmpgt_epi8(bytes, _mm_set1_epi8('0' - 1)),
                                _mm_cmplt_epi8(bytes, _mm_set1_epi8('9' + 1)));
  __m128i folded = _mm_or_si128(bytes, _mm_set1_epi8(0x20));
  __m128i letter =
      _mm_and_si128(_mm_cmpgt_epi8(folded, _mm_set1_epi8('a' - 1)),
                    _mm_cmplt_epi8(folded, _mm_set1_epi8('f' + 1)));
  *hex = _mm_movemask_epi8(_mm_or_si128(digit, letter));
  *spaces = _mm_movemask_epi8(_mm_cmpeq_epi8(bytes, _mm_set1_epi8(' ')));
  return _mm_add_epi8(_mm_and_si128(bytes, _mm_set1_epi8(0x0f)),
                      _mm_and_si128(letter, _mm_set1_epi8(9)));
}

// Checks columns 0-31 against the recorder's layout (see parseFixedLayout)
// and gives the digit values of columns 0-7, 8-15, 16-23 and 24-31, the
// first column in the lowest byte of each word.
bool layoutDigits(const char* text, uint64_t digits[4]) {
  // Bit i stands for column i, or 16 + i in the second half.
  constexpr int kHexFirst = 0xdeff;     // 0-7, 9-12, 14-15
  constexpr int kSpaceFirst = 0x2100;   // 8, 13
  constexpr int kHexSecond = 0xff7b;    // 16-17, 19-22, 24-31
  constexpr int kSpaceSecond = 0x0084;  // 18, 23
  int hex0, spaces0, hex1, spaces1;
  __m128i first = hexLanes(text, &hex0, &spaces0);
  __m128i second = hexLanes(text + 16, &hex1, &spaces1);
  if (hex0 != kHexFirst || spaces0 != kSpaceFirst || hex1 != kHexSecond ||
      spaces1 != kSpaceSecond) {
    return false;
  }
  digits[0] = static_cast<uint64_t>(_mm_cvtsi128_si64(first));
  digits[1] =
      static_cast<uint64_t>(_mm_cvtsi128_si64(_mm_srli_si128(first, 8)));
  digits[2] = static_cast<uint64_t>(_mm_cvtsi128_si64(second));
  digits[3] =
      static_cast<uint64_t>(_mm_cvtsi128_si64(_mm_srli_si128(second, 8)));
  return true;
}
#else
constexpr uint64_t kOnes = 0x0101010101010101ULL;
constexpr uint64_t kHigh = 0x8080808080808080ULL;

// For bytes below 0x80: the high bit of each byte set where lo <= byte <= hi.
inline uint64_t bytesInRange(uint64_t x, unsigned lo, unsigned hi) {
  uint64_t atLeastLo = x + (0x80 - lo) * kOnes;
  uint64_t aboveHi = x + (0x7f - hi) * kOnes;
  return atLeastLo & ~aboveHi & kHigh;
}

// Eight bytes as one number, the first byte the lowest.
inline uint64_t load8(const char* text) {
  uint64_t x;
  std::memcpy(&x, text, 8);
#if defined(__BYTE_ORDER__) && __BYTE_ORDER__ == __ORDER_BIG_ENDIAN__
  x = __builtin_bswap64(x);
#endif
  return x;
}

// The high bit of each byte that is a hex digit; `letters` gets those of the
// digits a to f (either case).
inline uint64_t hexBytes(uint64_t x, uint64_t* letters) {
  if ((x & kHigh) != 0) {
    // Bytes of 0x80 and above are no digits; clear them for the range test.
    uint64_t ascii = ~(x & kHigh) >> 7 & kOnes;  // 1 where the byte is ASCII
    x &= ascii * 0xff;
  }
  uint64_t digits = bytesInRange(x, '0', '9');
  *letters = bytesInRange(x | 0x20 * kOnes, 'a', 'f');
  return digits | *letters;
}

// Each byte of eight hex digits replaced by its value.
inline uint64_t nibbles(uint64_t x, uint64_t letters) {
  return (x & 0x0f * kOnes) + (letters >> 7) * 9;
}

// Where the recorder's layout has hex digits and spaces in columns 8-15
// ("_ssss_hh") and 16-23 ("hh_cccc_"), as masks of the bytes' high bits.
constexpr uint64_t kHex8to15 = 0x8080008080808000ULL;
constexpr uint64_t kSpaces8to15 = 0x0000200000000020ULL;
constexpr uint64_t kHex16to23 = 0x0080808080008080ULL;
constexpr uint64_t kSpaces16to23 = 0x2000000000200000ULL;

// Checks columns 0-31 against the recorder's layout (see parseFixedLayout)
// and gives the digit values of columns 0-7, 8-15, 16-23 and 24-31, the
// first column in the lowest byte of each word. Eight columns at a time.
bool layoutDigits(const char* text, uint64_t digits[4]) {
  uint64_t w0 = load8(text), w1 = load8(text + 8), w2 = load8(text + 16),
           w3 = load8(text + 24);
  uint64_t l0, l1, l2, l3;
  if (hexBytes(w0, &l0) != kHigh || hexBytes(w3, &l3) != kHigh ||
      (hexBytes(w1, &l1) & kHex8to15) != kHex8to15 ||
      (hexBytes(w2, &l2) & kHex16to23) != kHex16to23) {
    return false;
  }
  // The spaces: the bytes that are not digits must be exactly 0x20.
  constexpr uint64_t kByteMask8to15 = 0x0000ff00000000ffULL;
  constexpr uint64_t kByteMask16to23 = 0xff00000000ff0000ULL;
  if ((w1 & kByteMask8to15) != kSpaces8to15 ||
      (w2 & kByteMask16to23) != kSpaces16to23) {
    return false;
  }
  digits[0] = nibbles(w0, l0);
  digits[1] = nibbles(w1, l1);
  digits[2] = nibbles(w2, l2);
  digits[3] = nibbles(w3, l3);
  return true;
}
#endif  // __SSE2__

// The recorder's own layout, "tttttttt ssss hhhh cccc ffffffff": columns
// 0-7, 9-12, 14-17, 19-22 and 24-31 hex digits, single spaces at 8, 13, 18
// and 23, and no hex digit at 32. For such a line the general rule gives
// exactly these fields.
bool parseFixedLayout(const char* text, size_t length, int32_t fields[5]) {
  uint64_t d[4];
  if (length < 32 || (length > 32 && hexDigit(text[32]) >= 0) ||
      !layoutDigits(text, d)) {
    return false;
  }
  fields[0] = static_cast<int32_t>(pack8(d[0]));
  fields[1] = static_cast<int32_t>(pack4(d[1] >> 8));
  fields[2] = static_cast<int32_t>(pack4((d[1] >> 48) | (d[2] << 16)));
  fields[3] = static_cast<int32_t>(pack4(d[2] >> 24));
  fields[4] = static_cast<int32_t>(pack8(d[3]));
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

int parseEventFieldsGenerally(const char* text, size_t length,
                              int32_t fields[5]) {
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

int parseEventFields(const char* text, size_t length, int32_t fields[5]) {
  if (parseFixedLayout(text, length, fields)) {
    return 5;
  }
  return parseEventFieldsGenerally(text, length, fields);
}
