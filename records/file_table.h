// The table of record files: for every file read, its name, how it starts
// and where another file may continue it.
#ifndef LOGWELD_RECORDS_FILE_TABLE_H_
#define LOGWELD_RECORDS_FILE_TABLE_H_

#include <cstdint>
#include <string>

// One recognised sequence of event lines: a file's start, or a save point.
// While a start or a save sequence is still incomplete, `time` holds the
// recogniser's state (-1 to -4) instead of a time.
struct EventSpan {
  EventSpan* next = nullptr;  // next node in a SavePointList
  int32_t time = 0;
  int32_t pendingTime = 0;  // held while a save waits for its closing event
  int32_t firstLine = 0;    // 1-based line that opened the sequence
  int32_t lastLine = 0;     // line that closed it
  int32_t pendingLine = 0;  // held while a save waits for its closing event
  int32_t code = 0;         // event code that types the sequence
};

// A singly linked list of save points that owns its nodes. Position 0 is the
// node added last, which for a file is the save point that lies last in it.
class SavePointList {
 public:
  SavePointList() = default;
  ~SavePointList();
  SavePointList(const SavePointList&) = delete;
  SavePointList& operator=(const SavePointList&) = delete;

  // Number of nodes.
  int count() const { return count_; }
  // The node at a 0-based position, or the empty save point (time -1,
  // firstLine 0, lastLine -1, code 0) for a position past the end.
  const EventSpan& at(int position) const;
  // Adds a node in front holding `time`, `firstLine`, `lastLine` and `code`
  // of `span`.
  void pushFront(const EventSpan& span);
  // First node, for walking the list through `next`; null when empty.
  const EventSpan* head() const { return head_; }
  // Releases every node.
  void clear();
  // Exchanges the nodes of two lists.
  void swapWith(SavePointList& other);

 private:
  EventSpan* head_ = nullptr;
  int count_ = 0;
};

// One record file.
struct FileRecord {
  SavePointList savePoints;  // the last save point in the file at position 0
  EventSpan start;           // how the file starts; time -1..-3 while unknown
  char name[24] = {};        // relative to baseDirectory, NUL-terminated
  int32_t linkIndex = 0;     // save point matching the next file's start

  // Stores `text` as the name; false, and the name unchanged, when it is
  // longer than a record holds.
  bool setName(const std::string& text);
  // Exchanges the entire contents of two records; lists move with them.
  void swapWith(FileRecord& other);
  // Makes the record as new: empty list, all numbers 0, empty name.
  void clear();
};

// Room for this many record files.
constexpr int kFileTableSize = 10000;
// Longest name a record holds.
constexpr int kMaxNameLength = sizeof(FileRecord::name) - 1;

// Record 0 is the named file, records 1 to fileCount - 1 those the search
// found, in the order found.
extern FileRecord FileTable[kFileTableSize];
// Records in use.
extern int fileCount;
// Records 0 (latest) to chainLength (earliest) hold the chain.
extern int chainLength;

#endif  // LOGWELD_RECORDS_FILE_TABLE_H_
