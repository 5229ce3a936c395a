#include "splice/write_behind.h"

#include <cstring>
#include <system_error>

#include "platform/platform.h"

namespace {

// Four buffers: one being filled, up to three written or waiting.
constexpr size_t kBufferCount = 4;
constexpr size_t kBufferSize = size_t{512} * 1024;

}  // namespace

WriteBehind::WriteBehind(platform::OutputFile& file) : file_(file) {
  buffers_.resize(kBufferCount);
  for (size_t i = 0; i < kBufferCount; ++i) {
    buffers_[i].bytes.reset(new char[kBufferSize]);
    if (i != current_) {
      free_.push_back(i);
    }
  }
  full_.reserve(kBufferCount);
  try {
    thread_ = std::thread(&WriteBehind::run, this);
  } catch (const std::system_error&) {
    // No second thread: submit() writes each buffer itself.
  }
}

WriteBehind::~WriteBehind() {
  if (thread_.joinable()) {
    {
      std::lock_guard<std::mutex> lock(mutex_);
      stopping_ = true;
    }
    changed_.notify_all();
    thread_.join();
  }
}

void WriteBehind::put(const char* data, size_t size) {
  while (size > 0) {
    Buffer& buffer = buffers_[current_];
    size_t room = kBufferSize - buffer.used;
    size_t part = size < room ? size : room;
    std::memcpy(buffer.bytes.get() + buffer.used, data, part);
    buffer.used += part;
    data += part;
    size -= part;
    if (buffer.used == kBufferSize) {
      submit();
    }
  }
}

bool WriteBehind::settle() {
  if (buffers_[current_].used > 0) {
    submit();
  }
  if (thread_.joinable()) {
    std::unique_lock<std::mutex> lock(mutex_);
    // Every buffer but the current one is free once all are written.
    changed_.wait(lock, [this] { return free_.size() == buffers_.size() - 1; });
  }
  return ok();
}

void WriteBehind::submit() {
  if (!thread_.joinable()) {
    writeOut(buffers_[current_]);
    return;
  }
  std::unique_lock<std::mutex> lock(mutex_);
  full_.push_back(current_);
  changed_.notify_all();
  changed_.wait(lock, [this] { return !free_.empty(); });
  current_ = free_.back();
  free_.pop_back();
}

void WriteBehind::writeOut(Buffer& buffer) {
  if (ok() && !file_.write(buffer.bytes.get(), buffer.used)) {
    failed_.store(true, std::memory_order_release);
  }
  buffer.used = 0;
}

void WriteBehind::run() {
  std::unique_lock<std::mutex> lock(mutex_);
  for (;;) {
    changed_.wait(lock, [this] { return stopping_ || !full_.empty(); });
    if (full_.empty()) {
      return;  // stopping, and nothing left
    }
    size_t index = full_.front();
    full_.erase(full_.begin());
    lock.unlock();
    writeOut(buffers_[index]);
    lock.lock();
    free_.push_back(index);
    changed_.notify_all();
  }
}
