// Writes a file from a second thread, so that the caller can go on reading
// and preparing the next bytes while the system takes the last ones. Bytes
// reach the file in the order they were put.
#ifndef LOGWELD_SPLICE_WRITE_BEHIND_H_
#define LOGWELD_SPLICE_WRITE_BEHIND_H_

#include <atomic>
#include <condition_variable>
#include <cstddef>
#include <memory>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "records/piece_reader.h"

namespace platform {
class OutputFile;
}

class WriteBehind : public ByteSink {
 public:
  // Writes into `file`, which must outlive this. Where no thread can be
  // started, each buffer is written by the caller when it is full.
  explicit WriteBehind(platform::OutputFile& file);
  // Waits for the writes still pending; their outcome is then lost.
  ~WriteBehind() override;
  WriteBehind(const WriteBehind&) = delete;
  WriteBehind& operator=(const WriteBehind&) = delete;

  // Copies the bytes; they are written later, in order. Bytes put after a
  // failed write are dropped.
  void put(const char* data, size_t size) override;
  void put(const std::string& text) { put(text.data(), text.size()); }
  // False once a write has failed. A failure shows here some time after the
  // bytes were put; settle() waits for it.
  bool ok() const { return !failed_.load(std::memory_order_acquire); }
  // Writes everything put so far and waits until it is done: true when all
  // writes succeeded. Putting may go on afterwards.
  bool settle();

 private:
  struct Buffer {
    std::unique_ptr<char[]> bytes;
    size_t used = 0;
  };
  // Hands the current buffer to the writing thread and takes a free one.
  void submit();
  void writeOut(Buffer& buffer);
  void run();

  platform::OutputFile& file_;
  std::vector<Buffer> buffers_;
  size_t current_ = 0;  // the buffer being filled, owned by the caller
  std::atomic<bool> failed_{false};

  std::mutex mutex_;
  std::condition_variable changed_;
  std::vector<size_t> full_;  // buffers waiting to be written, oldest first
  std::vector<size_t> free_;  // buffers ready to be filled
  bool stopping_ = false;
  std::thread thread_;
};

#endif  // LOGWELD_SPLICE_WRITE_BEHIND_H_
