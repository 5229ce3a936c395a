#include "driver/run.h"

#include <cstdio>
#include <string>

#include "driver/paths.h"
#include "driver/report.h"
#include "platform/platform.h"
#include "records/file_table.h"
#include "records/scanner.h"
#include "splice/chain.h"
#include "splice/search.h"
#include "splice/writer.h"

namespace {

const char kTraceName[] = "SpliceTrace.txt";

// The ending after a failure, whose message has been reported.
int endWithFailure() {
  showUsage();
  return 1;
}

// Opens the trace beside the program. An empty argument 0 tells no more of
// where the program is than a missing one.
void openTrace(int argc, char** argv) {
  std::string programPath;
  if (argc < 1 || argv[0] == nullptr || argv[0][0] == '\0') {
    std::fputs("Cannot determine my own directory name.\n", stdout);
    std::fflush(stdout);
  } else {
    programPath = argv[0];
  }
  std::string tracePath;
  if (splitPath(programPath) && joinBase(kTraceName, tracePath)) {
    traceFile = platform::openTextForWrite(tracePath);
  }
}

}  // namespace

int runLogweld(int argc, char** argv) {
  platform::setUpConsole();
  openTrace(argc, argv);
  report("Logweld version 2.4\n");
  if (argc != 2) {
    report("No file specified on command line!\n");
    return endWithFailure();
  }

  fileCount = 0;
  const char* argument = argv[1];
  std::unique_ptr<platform::InputFile> named =
      platform::InputFile::openRegular(argument);
  if (!named) {
    report("Cannot open specified file: %s\n", argument);
    return endWithFailure();
  }
  std::string name = argument;
  if (!splitPath(name)) {
    report("Path too long: %s\n", argument);
    return endWithFailure();
  }
  report("Path = %s\n", baseDirectory);
  if (!FileTable[0].setName(name)) {
    report("File name too long: %s\n", name.c_str());
    return endWithFailure();
  }
  scanRecordFile(*named);
  named.reset();

  std::string guardPath;
  if (joinBase(kPlayfileName, guardPath) && platform::pathExists(guardPath)) {
    report("I refuse to overwrite PLAYFILE.LOG\n");
    report("You must delete it yourself!\n");
    return endWithFailure();
  }

  fileCount = 1;
  searchRecordFiles();
  buildChain();
  if (!writePlayfile()) {
    return endWithFailure();
  }

  report("Press ENTER");
  waitForEnter(9);
  if (traceFile != nullptr) {
    std::fclose(traceFile);
    traceFile = nullptr;
  }
  return 0;
}
