// Writes a deterministic recording of `files` chained record files of
// `lines` event lines each: the first starts fresh, every later one
// restores the save point that ends the one before. The files are spread
// over Logs00 to Logs09 below `dir`; the last one, the one to name on the
// command line, lies in `dir` itself.
//
//   make_recording DIR FILES LINES
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <vector>

namespace {

// A small fixed generator, so that every run writes the same bytes.
struct Random {
  unsigned long long state = 0x2545F4914F6CDD1DULL;
  unsigned next() {
    state ^= state << 13;
    state ^= state >> 7;
    state ^= state << 17;
    return static_cast<unsigned>(state);
  }
};

void event(std::string& out, unsigned time, unsigned code, Random& random) {
  char line[64];
  std::snprintf(line, sizeof line, "%08x %04x %04x %04x %08x\n", time,
                random.next() & 0xffff, random.next() & 0xffff, code,
                random.next());
  out += line;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 4) {
    std::fprintf(stderr, "usage: make_recording DIR FILES LINES\n");
    return 2;
  }
  std::string dir = argv[1];
  int files = std::atoi(argv[2]);
  long lines = std::atol(argv[3]);
  const unsigned codes[] = {0x0001, 0x0002, 0x0003, 0x0010, 0x0021, 0x0add};
  for (int i = 0; i < 10; ++i) {
    char sub[16];
    std::snprintf(sub, sizeof sub, "/Logs%02d", i);
    std::filesystem::create_directories(dir + sub);
  }
  Random random;
  unsigned time = 0x100;
  std::string out;
  for (int i = 0; i < files; ++i) {
    char name[64];
    if (i == files - 1) {
      std::snprintf(name, sizeof name, "Record%04d.log", i);
    } else {
      std::snprintf(name, sizeof name, "Logs%02d/Record%04d.log", i % 10, i);
    }
    std::string path = dir + "/" + name;
    std::FILE* file = std::fopen(path.c_str(), "wb");
    if (file == nullptr) {
      std::perror(path.c_str());
      return 1;
    }
    out.clear();
    if (i == 0) {
      event(out, 0, 0x00c8, random);
    } else {
      event(out, 0, 0x00c9, random);
      event(out, 0, 0x00d4, random);
      event(out, time, 0x00d2, random);  // restores the save at `time`
    }
    for (long n = 0; n < lines; ++n) {
      time += 1 + random.next() % 4;
      event(out, time, codes[random.next() % 6], random);
      if (out.size() > (1 << 20)) {
        std::fwrite(out.data(), 1, out.size(), file);
        out.clear();
      }
    }
    if (i != files - 1) {
      time += 2;
      event(out, time, 0x008c, random);
      event(out, time, 0x00d2, random);
      event(out, time, 0x00d3, random);
      event(out, time, 0x6668, random);
      event(out, time + 1, 0x0001, random);
    }
    std::fwrite(out.data(), 1, out.size(), file);
    if (std::fclose(file) != 0) {
      std::perror(path.c_str());
      return 1;
    }
  }
  return 0;
}
