// The one channel for the program's messages, and the console's waits.
#ifndef LOGWELD_DRIVER_REPORT_H_
#define LOGWELD_DRIVER_REPORT_H_

#include <cstddef>
#include <cstdio>

// Room for one message; a longer one is cut to its first 499 characters.
constexpr size_t kReportBufferSize = 500;

// The trace file "SpliceTrace.txt", or null when it could not be created.
extern std::FILE* traceFile;
// The text of the message being reported.
extern char reportBuffer[kReportBufferSize];

// Formats a message into reportBuffer, then writes it to the standard error
// stream and to traceFile. Adds nothing: messages carry their own newlines.
void report(const char* format, ...)
#if defined(__GNUC__)
    __attribute__((format(printf, 1, 2)))
#endif
    ;

// Reports the usage text, then waits for Enter.
void showUsage();

// Reads one line from standard input, taking at most `limit` characters of
// it; returns at once at the end of the input.
void waitForEnter(int limit);

#endif  // LOGWELD_DRIVER_REPORT_H_
