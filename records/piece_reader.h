// Reads a record file piece by piece. The scanner and the writer both read
// through this, so that they count lines the same way.
//
// A piece is a line of at most 78 characters, its line end counting as one;
// a longer line is read as several pieces. The bytes are read as the Windows
// text mode presents them: a CR LF pair is one line end and reads as "\n", a
// lone CR is an ordinary character. Each piece keeps the exact bytes it came
// from, so that it can be copied byte for byte.
#ifndef LOGWELD_RECORDS_PIECE_READER_H_
#define LOGWELD_RECORDS_PIECE_READER_H_

#include <cstddef>
#include <cstdint>
#include <memory>

namespace platform {
class ByteSource;
}

// Most characters in a piece, its line end counting as one.
constexpr size_t kMaxPieceLength = 78;

enum class LineEnd { kNone, kLf, kCrLf };

// One piece, pointing into the reader's buffer; valid until the next read.
struct Piece {
  const char* bytes = "";  // the raw bytes, line end included
  size_t size = 0;         // number of raw bytes
  size_t contentSize = 0;  // raw bytes before the line end
  LineEnd end = LineEnd::kNone;

  // Characters as text mode gives them: the content, then "\n" if the piece
  // has a line end.
  size_t textLength() const {
    return contentSize + (end == LineEnd::kNone ? 0 : 1);
  }
  // The character at a 0-based column of the text (column < textLength()).
  char textAt(size_t column) const {
    return column < contentSize ? bytes[column] : '\n';
  }
  // Length of the text up to its first NUL byte, as a C string holds it.
  size_t stringLength() const;
  // Copies the text as a C string (up to its first NUL byte) into `out`,
  // which has room for kMaxPieceLength + 1 characters.
  void copyString(char* out) const;
  // The line end's own bytes: "\r\n" for a CR LF piece, "\n" otherwise.
  const char* lineEndBytes() const {
    return end == LineEnd::kCrLf ? "\r\n" : "\n";
  }
};

// Takes raw bytes handed out in blocks.
class ByteSink {
 public:
  virtual ~ByteSink() = default;
  virtual void put(const char* data, size_t size) = 0;
};

class PieceReader {
 public:
  explicit PieceReader(platform::ByteSource& file);
  ~PieceReader();
  PieceReader(const PieceReader&) = delete;
  PieceReader& operator=(const PieceReader&) = delete;

  // Reads the next piece. False at the end of the file or on a reading
  // error; failed() tells the two apart.
  bool next(Piece& piece);
  // Reads up to `count` pieces as next() would, but hands their raw bytes to
  // `sink` in blocks instead of one by one. Returns how many were read:
  // fewer than `count` at the end of the file or on a reading error.
  int64_t passPieces(int64_t count, ByteSink& sink);
  // Hands out everything not yet read as blocks of raw bytes, for copying
  // the rest of a file unchanged: false at the end or on a reading error.
  // Pieces are not counted any more once this has been called.
  bool nextBlock(const char*& data, size_t& size);
  // True once a read has failed.
  bool failed() const { return failed_; }

 private:
  // Makes at least `wanted` bytes available from pos_ unless the file ends
  // first.
  void fill(size_t wanted) {
    if (end_ - pos_ < wanted && !atEof_) {
      refill(wanted);
    }
  }
  void refill(size_t wanted);
  // Passes whole lines that are one piece each (a line end within their
  // first 78 characters), 64 bytes at a time, while the buffer holds them:
  // stops before a line that may not be, or once `passed` reaches `count`.
  void passShortLines(int64_t& passed, int64_t count);
  // Cuts the piece that starts at pos_ (bytes are available up to end_).
  void measure(Piece& piece) const;

  platform::ByteSource& file_;
  std::unique_ptr<char[]> buffer_;
  size_t pos_ = 0;
  size_t end_ = 0;
  bool atEof_ = false;
  bool failed_ = false;
};

#endif  // LOGWELD_RECORDS_PIECE_READER_H_
