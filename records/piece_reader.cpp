#include "records/piece_reader.h"

#include <cstdint>
#include <cstring>

#ifdef __SSE2__
#include <emmintrin.h>
#endif

#include "platform/platform.h"

namespace {

constexpr size_t kBufferSize = size_t{256} * 1024;
// The most raw bytes looked at to find where a piece ends: 77 characters,
// then CR LF.
constexpr size_t kLookahead = kMaxPieceLength + 1;

// Bit i set where p[i] is '\n', for the 64 bytes at p.
inline uint64_t newlineMask(const char* p) {
#ifdef __SSE2__
  const __m128i newline = _mm_set1_epi8('\n');
  uint64_t mask = 0;
  for (size_t i = 0; i < 4; ++i) {
    __m128i bytes =
        _mm_loadu_si128(reinterpret_cast<const __m128i*>(p + 16 * i));
    mask |= static_cast<uint64_t>(static_cast<unsigned>(
                _mm_movemask_epi8(_mm_cmpeq_epi8(bytes, newline))))
            << (16 * i);
  }
  return mask;
#else
  uint64_t mask = 0;
  for (int i = 0; i < 64; ++i) {
    mask |= static_cast<uint64_t>(p[i] == '\n') << i;
  }
  return mask;
#endif
}

// The first '\n' in [p, end), or end. Sixteen (or eight) bytes at a time:
// cheaper than a library call for the short distances between line ends.
inline const char* findNewline(const char* p, const char* end) {
#ifdef __SSE2__
  const __m128i newline = _mm_set1_epi8('\n');
  while (end - p >= 16) {
    __m128i bytes = _mm_loadu_si128(reinterpret_cast<const __m128i*>(p));
    int found = _mm_movemask_epi8(_mm_cmpeq_epi8(bytes, newline));
    if (found != 0) {
      return p + __builtin_ctz(static_cast<unsigned>(found));
    }
    p += 16;
  }
#endif
  constexpr uint64_t kLow7 = 0x7f7f7f7f7f7f7f7fULL;
  while (end - p >= 8) {
    uint64_t word;
    std::memcpy(&word, p, 8);
    uint64_t t = word ^ 0x0a0a0a0a0a0a0a0aULL;
    // The high bit of each byte of t that is zero, and of no other.
    uint64_t zero = ~(((t & kLow7) + kLow7) | t | kLow7);
    if (zero != 0) {
#if defined(__BYTE_ORDER__) && __BYTE_ORDER__ == __ORDER_BIG_ENDIAN__
      return p + (__builtin_clzll(zero) >> 3);
#else
      return p + (__builtin_ctzll(zero) >> 3);
#endif
    }
    p += 8;
  }
  while (p < end && *p != '\n') {
    ++p;
  }
  return p;
}

// The first '\n' among the `window` bytes at `start`, or null. Most lines
// end within 64 bytes, where one mask finds the end.
inline const char* lineEndWithin(const char* start, size_t window) {
  const char* from = start;
  if (window >= 64) {
    uint64_t ends = newlineMask(start);
    if (ends != 0) {
      return start + __builtin_ctzll(ends);
    }
    from = start + 64;
  }
  const char* lf = findNewline(from, start + window);
  return lf == start + window ? nullptr : lf;
}

}  // namespace

size_t Piece::stringLength() const {
  const void* nul = std::memchr(bytes, '\0', contentSize);
  if (nul != nullptr) {
    return static_cast<size_t>(static_cast<const char*>(nul) - bytes);
  }
  return textLength();
}

void Piece::copyString(char* out) const {
  size_t length = stringLength();
  size_t fromBytes = length < contentSize ? length : contentSize;
  std::memcpy(out, bytes, fromBytes);
  if (length > contentSize) {
    out[contentSize] = '\n';
  }
  out[length] = '\0';
}

PieceReader::PieceReader(platform::ByteSource& file)
    : file_(file), buffer_(new char[kBufferSize]) {}

PieceReader::~PieceReader() = default;

void PieceReader::refill(size_t wanted) {
  std::memmove(buffer_.get(), buffer_.get() + pos_, end_ - pos_);
  end_ -= pos_;
  pos_ = 0;
  while (end_ < wanted && !atEof_) {
    long got = file_.read(buffer_.get() + end_, kBufferSize - end_);
    if (got < 0) {
      failed_ = true;
      atEof_ = true;
    } else if (got == 0) {
      atEof_ = true;
    } else {
      end_ += static_cast<size_t>(got);
    }
  }
}

inline void PieceReader::measure(Piece& piece) const {
  const char* start = buffer_.get() + pos_;
  size_t available = end_ - pos_;
  size_t window = available < kLookahead ? available : kLookahead;
  const char* lf = lineEndWithin(start, window);
  piece.bytes = start;
  size_t at = lf == nullptr ? window : static_cast<size_t>(lf - start);
  if (lf != nullptr && at >= 1 && start[at - 1] == '\r') {
    // CR LF: one line end after at - 1 characters.
    piece.end = LineEnd::kCrLf;
    piece.contentSize = at - 1;
    piece.size = at + 1;
  } else if (lf != nullptr && at < kMaxPieceLength) {
    piece.end = LineEnd::kLf;
    piece.contentSize = at;
    piece.size = at + 1;
  } else {
    // No line end within the limit: the piece is cut.
    piece.end = LineEnd::kNone;
    piece.contentSize = window < kMaxPieceLength ? window : kMaxPieceLength;
    piece.size = piece.contentSize;
  }
}

bool PieceReader::next(Piece& piece) {
  fill(kLookahead);
  if (failed_ || pos_ == end_) {
    return false;
  }
  measure(piece);
  pos_ += piece.size;
  return true;
}

int64_t PieceReader::passPieces(int64_t count, ByteSink& sink) {
  int64_t passed = 0;
  Piece piece;
  while (passed < count) {
    fill(kLookahead);
    if (failed_ || pos_ == end_) {
      break;
    }
    const char* buffer = buffer_.get();
    size_t blockStart = pos_;
    while (passed < count && pos_ < end_) {
      passShortLines(passed, count);
      if (passed == count || pos_ == end_) {
        break;
      }
      // A line end within the first 78 characters ends the piece there,
      // whatever follows: such a line needs no lookahead.
      const char* start = buffer + pos_;
      size_t window = end_ - pos_ < kLookahead ? end_ - pos_ : kLookahead;
      const char* lf = lineEndWithin(start, window);
      if (lf != nullptr && static_cast<size_t>(lf - start) < kMaxPieceLength) {
        pos_ += static_cast<size_t>(lf - start) + 1;
      } else if (end_ - pos_ >= kLookahead || atEof_) {
        measure(piece);
        pos_ += piece.size;
      } else {
        break;  // the buffer must be refilled to cut this piece
      }
      ++passed;
    }
    sink.put(buffer + blockStart, pos_ - blockStart);
  }
  return passed;
}

void PieceReader::passShortLines(int64_t& passed, int64_t count) {
  const char* buffer = buffer_.get();
  size_t lineStart = pos_;
  for (size_t block = pos_; end_ - block >= 64 && passed < count; block += 64) {
    uint64_t ends = newlineMask(buffer + block);
    // Every line end in the block after the first is fewer than 64
    // characters after the one before it, so only the first can end a line
    // that is too long to be one piece.
    if (ends == 0 ||
        block + static_cast<size_t>(__builtin_ctzll(ends)) - lineStart >=
            kMaxPieceLength) {
      break;
    }
    do {
      lineStart = block + static_cast<size_t>(__builtin_ctzll(ends)) + 1;
      ends &= ends - 1;
    } while (++passed < count && ends != 0);
  }
  pos_ = lineStart;
}

bool PieceReader::nextBlock(const char*& data, size_t& size) {
  if (pos_ == end_ && !atEof_) {
    pos_ = end_ = 0;
    fill(1);
  }
  if (failed_ || pos_ == end_) {
    return false;
  }
  data = buffer_.get() + pos_;
  size = end_ - pos_;
  pos_ = end_;
  return true;
}
