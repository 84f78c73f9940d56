// Time stamps of the driver and the reporting of fatal errors.

#include <gtest/gtest.h>

#include <ctime>

#include "sketra/base/fatal.h"
#include "sketra/kernel/driver.h"

namespace {

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
