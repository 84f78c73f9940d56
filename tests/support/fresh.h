#pragma once
// Test support: the one fixture for tests that touch the state of sketra or
// korvel.
//
// A FreshState test runs in its own temporary working directory and starts
// and ends at a fresh start: app_reset() (every state block of the library
// and the application at its start-up value, every unit closed, nothing
// queued, no window). The installed display driver stays; fixtures that
// need the recording driver derive from WithRecordingDriver (recording.h),
// application tests with the log open from AppTest (app_fixture.h).
//
//   class MyTest : public korvel::testing::FreshState {};
//   TEST_F(MyTest, ...) { ... }   // state as in a new process

#include "support/testdir.h"

namespace korvel::testing {

// Everything back to a fresh start (app_reset): library and application.
void fresh_start();

class FreshState : public InTempDir {
 protected:
  void SetUp() override { fresh_start(); }
  void TearDown() override { fresh_start(); }
};

}  // namespace korvel::testing
