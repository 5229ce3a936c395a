#include "records/event_line.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

struct FieldsCase {
  std::string text;
  int converted;
  std::vector<uint32_t> fields;  // the converted ones
};

TEST(EventLine, ParsesFieldsLikeHexScanf) {
  const FieldsCase cases[] = {
      // The recorder's layout, with and without a trailing comment.
      {"00000206 0000 0000 6668 00000000", 5, {0x206, 0, 0, 0x6668, 0}},
      {"00000000 0000 0000 000b 00000000 Escape inventory",
       5,
       {0, 0, 0, 0xb, 0}},
      {"7fffffff 00AB 00cd 00D2 1234abcd",
       5,
       {0x7fffffff, 0xab, 0xcd, 0xd2, 0x1234abcd}},
      // A fifth field longer than its columns.
      {"00000001 0000 0000 00c8 0000000012", 5, {1, 0, 0, 0xc8, 0x12}},
      // Free spacing: tabs, several spaces, short fields.
      {"1\t2  3 \t 4 5", 5, {1, 2, 3, 4, 5}},
      // Signs and prefixes.
      {"-1 +2 0x3 0X4 -0x10", 5, {0xffffffff, 2, 3, 4, 0xfffffff0}},
      // A prefix without a digit after it: the 0 is the number.
      {"0x 1 2 3 4", 1, {0}},
      // Nine or more digits keep their low 32 bits.
      {"123456789 fffffffff 0 0 0", 5, {0x23456789, 0xffffffff, 0, 0, 0}},
      // Fewer than five fields.
      {"00000206 0000 0000 6668", 4, {0x206, 0, 0, 0x6668}},
      {"hello", 0, {}},
      {"", 0, {}},
      {"1 2 - 3 4", 2, {1, 2}},
      {"1 2 3 4 g", 4, {1, 2, 3, 4}},
      // A NUL byte ends the text, in the layout and outside it.
      {std::string("1 2\0 3 4 5", 10), 2, {1, 2}},
      {std::string("00000206 0\0"
                   "00 0000 6668 00000000",
                   32),
       2,
       {0x206, 0}},
      {std::string("00000206 0000 0000 6668 0000\0"
                   "000",
                   32),
       5,
       {0x206, 0, 0, 0x6668, 0}},
      // Letters in either case, and the highest values, in the layout.
      {"FFFFFFFF AbCd eF09 6668 fFfFfFfF",
       5,
       {0xffffffff, 0xabcd, 0xef09, 0x6668, 0xffffffff}},
      {"0000000: 0000 0000 6668 00000000", 1, {0}},
      {"00000006 000G 0000 6668 00000000", 2, {6, 0}},
      // The layout broken by a non-hex character falls to the general rule.
      {"0000020g 0000 0000 6668 00000000", 1, {0x20}},
  };
  for (const FieldsCase& c : cases) {
    SCOPED_TRACE(c.text);
    int32_t fields[5] = {};
    ASSERT_EQ(c.converted,
              parseEventFields(c.text.data(), c.text.size(), fields));
    for (size_t i = 0; i < c.fields.size(); ++i) {
      EXPECT_EQ(c.fields[i], static_cast<uint32_t>(fields[i])) << "field " << i;
    }
  }
}

}  // namespace
