#include "records/file_table.h"

#include <cstring>
#include <utility>

FileRecord FileTable[kFileTableSize];
int fileCount = 0;
int chainLength = 0;

namespace {

EventSpan makeEmptySavePoint() {
  EventSpan empty;
  empty.time = -1;
  empty.firstLine = 0;
  empty.lastLine = -1;
  empty.code = 0;
  return empty;
}

const EventSpan kEmptySavePoint = makeEmptySavePoint();

}  // namespace

SavePointList::~SavePointList() {
  clear();
}

const EventSpan& SavePointList::at(int position) const {
  const EventSpan* node = head_;
  for (int p = 0; p < position && node != nullptr; ++p) {
    node = node->next;
  }
  if (position < 0 || node == nullptr) {
    return kEmptySavePoint;
  }
  return *node;
}

void SavePointList::pushFront(const EventSpan& span) {
  EventSpan* node = new EventSpan;
  node->time = span.time;
  node->firstLine = span.firstLine;
  node->lastLine = span.lastLine;
  node->code = span.code;
  node->next = head_;
  head_ = node;
  ++count_;
}

void SavePointList::clear() {
  while (head_ != nullptr) {
    EventSpan* next = head_->next;
    delete head_;
    head_ = next;
  }
  count_ = 0;
}

void SavePointList::swapWith(SavePointList& other) {
  std::swap(head_, other.head_);
  std::swap(count_, other.count_);
}

bool FileRecord::setName(const std::string& text) {
  if (text.size() >= sizeof name) {
    return false;
  }
  std::memcpy(name, text.c_str(), text.size() + 1);
  return true;
}

void FileRecord::swapWith(FileRecord& other) {
  if (this == &other) {
    return;
  }
  savePoints.swapWith(other.savePoints);
  std::swap(start, other.start);
  std::swap(name, other.name);
  std::swap(linkIndex, other.linkIndex);
}

void FileRecord::clear() {
  savePoints.clear();
  start = EventSpan();
  name[0] = '\0';
  linkIndex = 0;
}
