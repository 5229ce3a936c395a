#include "driver/report.h"

#include <gtest/gtest.h>

#include <string>

#include "tests/test_util.h"

namespace {

TEST(Report, AddsNothingAndCutsLongMessages) {
  ReportCapture capture;
  report("%02d ", -1);
  report("%08x|%02x\n", 0xffffffffu, 0xc8u);
  report("%s", std::string(600, 'm').c_str());
  EXPECT_EQ("-1 ffffffff|c8\n" + std::string(499, 'm'), capture.text());
}

}  // namespace
