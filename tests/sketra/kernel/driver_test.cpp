// Time stamps of the driver and the reporting of fatal errors.

#include <gtest/gtest.h>

#include <ctime>

#include "sketra/base/fatal.h"
#include "sketra/kernel/driver.h"

namespace {

TEST(TimeStamp, DayMonthYearAndTime) {
  std::tm t{};
  t.tm_year = 2026 - 1900;
  t.tm_mon = 11;
  t.tm_mday = 5;
  t.tm_hour = 5;
  t.tm_min = 22;
  t.tm_isdst = -1;
  EXPECT_EQ(sketra::format_time_stamp(std::mktime(&t)), "05 Dec 2026 05:22:00");
  t.tm_mday = 31;
  t.tm_hour = 23;
  t.tm_min = 59;
  t.tm_sec = 58;
  EXPECT_EQ(sketra::format_time_stamp(std::mktime(&t)), "31 Dec 2026 23:59:58");
}

TEST(FatalErrors, MainReportsTheMessageAndStatus) {
  testing::internal::CaptureStdout();
  const int status = sketra::run_guarded([]() -> int {
    throw sketra::FatalError("grvalu: variable not defined> XYZGR");
  });
  EXPECT_EQ(testing::internal::GetCapturedStdout(), "grvalu: variable not defined> XYZGR\n");
  EXPECT_EQ(status, 1);
  EXPECT_EQ(sketra::run_guarded([] { return 7; }), 7);
}

}  // namespace
