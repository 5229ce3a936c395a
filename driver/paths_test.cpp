#include "driver/paths.h"

#include <gtest/gtest.h>

#include <string>

namespace {

TEST(Paths, SplitPathKeepsTheSeparatorInTheDirectory) {
  const std::string sep(1, platform::kPathSeparator);
  struct Case {
    std::string path;
    std::string directory;
    std::string name;
  };
  const Case cases[] = {
      {"Record007.log", "", "Record007.log"},
      {"rec" + sep + "Record007.log", "rec" + sep, "Record007.log"},
      {sep + "a" + sep + "b" + sep + "R.log", sep + "a" + sep + "b" + sep,
       "R.log"},
      {"dir" + sep, "dir" + sep, ""},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.path);
    std::string path = c.path;
    ASSERT_TRUE(splitPath(path));
    EXPECT_EQ(c.directory, baseDirectory);
    EXPECT_EQ(c.name, path);
  }
}

TEST(Paths, LongPathsAreRefusedNotCut) {
  const std::string sep(1, platform::kPathSeparator);
  std::string fits = std::string(998, 'd') + sep + "R.log";
  ASSERT_TRUE(splitPath(fits));
  EXPECT_EQ(999u, std::string(baseDirectory).size());

  std::string tooLong = std::string(999, 'd') + sep + "R.log";
  EXPECT_FALSE(splitPath(tooLong));
  EXPECT_EQ(std::string(999, 'd') + sep + "R.log", tooLong);

  std::string joined;
  std::string base = std::string(990, 'b') + sep;
  ASSERT_TRUE(splitPath(base));
  EXPECT_TRUE(joinBase("12345678", joined));  // 999 characters
  EXPECT_EQ(999u, joined.size());
  EXPECT_FALSE(joinBase("123456789", joined));
  EXPECT_EQ(nullptr, openInBase("123456789"));
}

}  // namespace
