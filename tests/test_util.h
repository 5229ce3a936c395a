// Helpers shared by the unit tests.
#ifndef LOGWELD_TESTS_TEST_UTIL_H_
#define LOGWELD_TESTS_TEST_UTIL_H_

#include <cstdio>
#include <string>

#include "platform/platform.h"
#include "records/piece_reader.h"

// Delivers a string's bytes, at most `chunk` at a time, then the end; or a
// reading error after them when `failAtEnd` is set.
class MemorySource : public platform::ByteSource {
 public:
  explicit MemorySource(std::string data, size_t chunk = 1 << 20,
                        bool failAtEnd = false)
      : data_(std::move(data)), chunk_(chunk), failAtEnd_(failAtEnd) {}
  long read(char* buffer, size_t size) override;

 private:
  std::string data_;
  size_t chunk_;
  bool failAtEnd_;
  size_t pos_ = 0;
};

// Keeps every byte handed to it, as passPieces hands them out.
struct CollectBytes : ByteSink {
  std::string bytes;
  void put(const char* data, size_t size) override { bytes.append(data, size); }
};

// Catches what report() writes to the trace while it lives.
class ReportCapture {
 public:
  ReportCapture();
  ~ReportCapture();
  std::string text();

 private:
  std::FILE* file_;
  std::FILE* saved_;
};

// A whole file's bytes (empty if it cannot be read), and a file made to
// hold exactly `bytes`.
std::string readWholeFile(const std::string& path);
void writeWholeFile(const std::string& path, const std::string& bytes);

// Empties the whole file table and its counters.
void resetFileTable();

#endif  // LOGWELD_TESTS_TEST_UTIL_H_
