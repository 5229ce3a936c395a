#include "driver/report.h"

#include <cstdarg>
#include <cstring>

std::FILE* traceFile = nullptr;
char reportBuffer[kReportBufferSize];

void report(const char* format, ...) {
  va_list arguments;
  va_start(arguments, format);
  int wanted =
      std::vsnprintf(reportBuffer, sizeof reportBuffer, format, arguments);
  va_end(arguments);
  if (wanted < 0) {
    reportBuffer[0] = '\0';
  }
  size_t length = std::strlen(reportBuffer);
  std::fwrite(reportBuffer, 1, length, stderr);
  if (traceFile != nullptr) {
    std::fwrite(reportBuffer, 1, length, traceFile);
  }
}

void showUsage() {
  report("Usage:\n");
  report("   Logweld <LastRecordFileName>\n");
  report("What we will attempt is:\n");
  report("1 - Look at all files in default directory named Recordnnn.log\n");
  report("    and at all such file in subdirectories named Logsnn\n");
  report("2 - Starting with the filed named on the command line\n");
  report("3 - Find a file that will fit in front of it..\n");
  report("4 - Splice the two together.\n");
  report("5 - Go back to step 3 and try to extend backward\n\n");
  report("      Press 'Enter'\n");
  waitForEnter(98);
}

void waitForEnter(int limit) {
  char line[100];
  if (limit + 1 > static_cast<int>(sizeof line)) {
    limit = static_cast<int>(sizeof line) - 1;
  }
  if (std::fgets(line, limit + 1, stdin) == nullptr) {
    std::clearerr(stdin);
  }
}
