#include "tests/test_util.h"

#include <algorithm>
#include <cstring>
#include <fstream>
#include <iterator>

#include "driver/report.h"
#include "records/file_table.h"

long MemorySource::read(char* buffer, size_t size) {
  if (pos_ == data_.size() && failAtEnd_) {
    return -1;
  }
  size_t count = std::min({size, chunk_, data_.size() - pos_});
  std::memcpy(buffer, data_.data() + pos_, count);
  pos_ += count;
  return static_cast<long>(count);
}

ReportCapture::ReportCapture() : file_(std::tmpfile()), saved_(traceFile) {
  traceFile = file_;
}

ReportCapture::~ReportCapture() {
  traceFile = saved_;
  std::fclose(file_);
}

std::string ReportCapture::text() {
  std::fflush(file_);
  std::rewind(file_);
  std::string result;
  char chunk[4096];
  size_t got;
  while ((got = std::fread(chunk, 1, sizeof chunk, file_)) > 0) {
    result.append(chunk, got);
  }
  std::fseek(file_, 0, SEEK_END);
  return result;
}

void resetFileTable() {
  for (FileRecord& record : FileTable) {
    record.clear();
  }
  fileCount = 0;
  chainLength = 0;
}

std::string readWholeFile(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), {});
}

void writeWholeFile(const std::string& path, const std::string& bytes) {
  std::ofstream(path, std::ios::binary | std::ios::trunc) << bytes;
}
