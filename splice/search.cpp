#include "splice/search.h"

#include <string>
#include <vector>

#include "driver/paths.h"
#include "driver/report.h"
#include "platform/platform.h"
#include "records/file_table.h"
#include "records/scanner.h"

namespace {

// Reports "\n" before the first line that one pass reports.
class PassLine {
 public:
  void begin() {
    if (!started_) {
      report("\n");
      started_ = true;
    }
  }

 private:
  bool started_ = false;
};

}  // namespace

void searchRecordFiles() {
  report("Searching for files.  This takes a while.\n");
  bool tableFullReported = false;
  std::vector<std::string> names;
  for (int pass = -1; pass <= 99; ++pass) {
    report("%02d ", pass);
    char prefix[16] = "";
    if (pass >= 0) {
      std::snprintf(prefix, sizeof prefix, "Logs%02d%c", pass,
                    platform::kPathSeparator);
    }
    names.clear();
    platform::findFiles(std::string(baseDirectory) + prefix + "Record*.log",
                        names);
    PassLine line;
    for (const std::string& found : names) {
      std::string relative = prefix + found;
      std::unique_ptr<platform::InputFile> file = openInBase(relative.c_str());
      if (!file) {
        continue;
      }
      if (relative.size() > static_cast<size_t>(kMaxNameLength)) {
        line.begin();
        report("Skipped %s: name longer than %d characters\n", relative.c_str(),
               kMaxNameLength);
        continue;
      }
      if (fileCount >= kFileTableSize) {
        if (!tableFullReported) {
          line.begin();
          report("Too many record files; the rest are ignored.\n");
          tableFullReported = true;
        }
        continue;
      }
      line.begin();
      FileTable[fileCount].setName(relative);
      scanRecordFile(*file);
      ++fileCount;
    }
  }
  report("\n");
}
