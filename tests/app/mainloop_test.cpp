// The main program on the menus, seen through the recording driver:
// disabled entries and Escape. A whole scripted session runs in
// tests/e2e/test_scripted_session.sh, a person clicking through File, Load,
// the file browser and the load dialog in tests/e2e/test_broken_file_person.sh.

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "app/mainmenu.h"
#include "app/store.h"
#include "sketra/base/units.h"
#include "sketra/kernel/recording_driver.h"
#include "sketra/ui/dialogs.h"
#include "support/recording.h"

namespace {

using korvel::testing::read_file;
using korvel::testing::write_file;
using sketra::DriverCall;
using namespace korvel;

// The recording driver installed; run() opens the window itself.
class MainLoopTest : public korvel::testing::WithRecordingDriver {
 protected:
  MainLoopTest() : WithRecordingDriver(false) {}
  void TearDown() override {
    unsetenv("SKETRA_SCRIPT");
    WithRecordingDriver::TearDown();
  }
  int run_with(std::vector<std::string> files, const std::string& script) {
    if (!script.empty()) {
      write_file("session", script);
      setenv("SKETRA_SCRIPT", "session", 1);
    }
    std::vector<char*> argv;
    for (auto& f : files) argv.push_back(f.data());
    return run(argv);
  }
  std::string log_text() { return read_file("outp"); }
  int count_text(const std::string& t) {
    int n = 0;
    for (const auto* c : rec().of(DriverCall::Text)) n += c->text == t;
    return n;
  }
};

TEST_F(MainLoopTest, DisabledEntriesWaitForAnotherChoice) {
  // Edit is disabled with an empty store: its hot key chooses nothing and
  // the bar is shown again; Mesh opens its pull-down, where only Open and
  // help are enabled, so its Info key chooses nothing either.
  EXPECT_EQ(run_with({}, "E\nM\nI\nF\nX\n"), 0);
  EXPECT_EQ(log_text().find("not available yet"), std::string::npos);
}

TEST_F(MainLoopTest, EscapeLeavesTheFileMenuWithoutAction) {
  rec().push_key('f');
  rec().push_key(0xFF1B);  // Escape: no entry, back to the bar
  rec().push_key('f');
  rec().push_key('x');
  EXPECT_EQ(run_with({}, ""), 0);
  EXPECT_EQ(cin1.np, 0);
  EXPECT_EQ(count_text("Load"), 2);  // the pull-down, shown twice
}

}  // namespace
