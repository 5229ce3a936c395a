// Tuning benchmarks for the piece reader, the event line parser and the
// scanner's reading loop. Not a test: it prints figures only.
#include <benchmark/benchmark.h>

#include <cstdio>
#include <cstring>
#include <string>

#include "driver/report.h"
#include "records/event_line.h"
#include "records/file_table.h"
#include "records/piece_reader.h"
#include "records/scanner.h"
#include "tests/test_util.h"

namespace {

// About 3 MB of event lines in the recorder's layout.
const std::string& recording() {
  static const std::string text = [] {
    std::string out;
    char line[64];
    for (unsigned i = 0; i < 100000; ++i) {
      std::snprintf(line, sizeof line, "%08x %04x %04x %04x %08x\n", i + 1,
                    i & 0xffff, (i * 7) & 0xffff, i % 5 + 1, i * 2654435761u);
      out += line;
    }
    return out;
  }();
  return text;
}

void BM_PieceReader(benchmark::State& state) {
  for (auto _ : state) {
    MemorySource source(recording());
    PieceReader reader(source);
    Piece piece;
    size_t count = 0;
    while (reader.next(piece)) {
      ++count;
    }
    benchmark::DoNotOptimize(count);
  }
  state.SetBytesProcessed(static_cast<int64_t>(state.iterations()) *
                          static_cast<int64_t>(recording().size()));
}
BENCHMARK(BM_PieceReader);

// One line in the recorder's layout, and one that takes the general rule.
const char* const kLines[] = {"0001a2b3 0010 0020 0001 deadbeef",
                              "1a2b3  10 20  1 deadbeef"};

void BM_ParseEventFields(benchmark::State& state) {
  const char* line = kLines[state.range(0)];
  size_t length = std::strlen(line);
  int32_t fields[5];
  for (auto _ : state) {
    benchmark::DoNotOptimize(parseEventFields(line, length, fields));
    benchmark::DoNotOptimize(fields);
  }
}
BENCHMARK(BM_ParseEventFields)->Arg(0)->Arg(1);

// Each scan reports its file's line on the standard error stream; run the
// program with that stream sent elsewhere (2>/dev/null).
void BM_ScanRecordFile(benchmark::State& state) {
  for (auto _ : state) {
    FileTable[0].clear();
    fileCount = 0;
    MemorySource source(recording());
    scanRecordFile(source);
  }
  state.SetBytesProcessed(static_cast<int64_t>(state.iterations()) *
                          static_cast<int64_t>(recording().size()));
}
BENCHMARK(BM_ScanRecordFile);

}  // namespace

BENCHMARK_MAIN();
