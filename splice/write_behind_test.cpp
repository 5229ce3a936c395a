#include "splice/write_behind.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <string>

#include "platform/platform.h"
#include "tests/test_util.h"

namespace {

namespace fs = std::filesystem;

// Many puts of sizes from one byte to several buffers, with settles between
// some of them: the file holds every byte, in order.
TEST(WriteBehind, KeepsEveryByteInOrder) {
  fs::path path = fs::temp_directory_path() /
                  ("logweld-write-behind-" +
                   std::to_string(platform::processId()) + ".out");
  fs::remove(path);
  std::string expected;
  {
    std::unique_ptr<platform::OutputFile> file =
        platform::OutputFile::createNew(path.string());
    ASSERT_TRUE(file);
    {
      WriteBehind out(*file);
      const size_t sizes[] = {1, 33, 4096, 524287, 524289, 1, 3 << 20, 77};
      for (int round = 0; round < 40; ++round) {
        size_t size = sizes[round % 8];
        std::string bytes(size, '\0');
        for (size_t i = 0; i < size; ++i) {
          bytes[i] = static_cast<char>('a' + (round * 7 + i) % 26);
        }
        out.put(bytes);
        expected += bytes;
        if (round % 11 == 10) {
          ASSERT_TRUE(out.settle());
          ASSERT_EQ(expected.size(), fs::file_size(path));
        }
      }
      EXPECT_TRUE(out.settle());
      EXPECT_TRUE(out.ok());
    }
    ASSERT_TRUE(file->syncAndClose());
  }
  EXPECT_TRUE(readWholeFile(path.string()) == expected);
  EXPECT_EQ(expected.size(), fs::file_size(path));
  fs::remove(path);
}

}  // namespace
