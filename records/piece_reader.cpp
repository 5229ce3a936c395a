#include "records/piece_reader.h"

#include <cstring>

#include "platform/platform.h"

namespace {

constexpr size_t kBufferSize = 256 * 1024;
// The most raw bytes looked at to find where a piece ends: 77 characters,
// then CR LF.
constexpr size_t kLookahead = kMaxPieceLength + 1;

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

void PieceReader::fill(size_t wanted) {
  if (end_ - pos_ >= wanted || atEof_) {
    return;
  }
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

bool PieceReader::next(Piece& piece) {
  fill(kLookahead);
  if (failed_ || pos_ == end_) {
    return false;
  }
  const char* start = buffer_.get() + pos_;
  size_t available = end_ - pos_;
  size_t window = available < kLookahead ? available : kLookahead;
  const char* lf = static_cast<const char*>(std::memchr(start, '\n', window));
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
  pos_ += piece.size;
  return true;
}
