// The main menu: the start-up with file names from the command line, and
// the main program on the menus seen through the
// recording driver (disabled entries and Escape). A whole scripted session
// runs in tests/e2e/test_scripted_session.sh, a person clicking through File,
// Load, the file browser and the load dialog in
// tests/e2e/test_broken_file_person.sh.
#include "app/mainmenu.h"

#include <gtest/gtest.h>

#include "support/app_fixture.h"
#include "support/recording.h"

namespace {

using korvel::testing::write_file;
using namespace korvel;

class MainProgramTest : public korvel::testing::AppTest {};

// Names from the command line are used as given: a trailing blank belongs
// to the name, a long name is not cut, and a missing name is reported as
// it was given.
TEST_F(MainProgramTest, StartupTakesFileNamesAsGiven) {
  EXPECT_EQ(file_menu_action(2), FileAction::none);  // Add is disabled while the store is empty
  sketra::unit_close_all();
  std::string blank = "t.xyz ", long_name = std::string(120, 'n') + ".xyz", missing = " missing.xyz ";
  write_file(blank, "100 200 1\n");
  write_file(long_name, "101 201 2\n");
  write_file("session", "D\nD\n\n");  // the last answer leaves the file browser
  setenv("SKETRA_SCRIPT", "session", 1);
  char* files[] = {blank.data(), long_name.data(), missing.data()};
  ASSERT_TRUE(startup(files));
  unsetenv("SKETRA_SCRIPT");
  EXPECT_EQ(cin1.np, 2);
  EXPECT_TRUE(said("File not found:  missing.xyz"));
  shutdown();
}

// The recording driver installed; run() opens the window itself.
class MainLoopTest : public korvel::testing::WithRecordingDriver {
 protected:
  MainLoopTest() : WithRecordingDriver(false) {}
  int count_text(const std::string& t) {
    int n = 0;
    for (const auto* c : rec().of(sketra::DriverCall::Text)) n += c->text == t;
    return n;
  }
};

TEST_F(MainLoopTest, DisabledEntriesWaitForAnotherChoiceAndEscapeLeavesAPullDown) {
  // Edit is disabled with an empty store: its hot key chooses nothing; Mesh
  // opens its pull-down, where only Open and help are enabled, so its Info
  // key chooses nothing either; Escape goes back to the bar.
  for (unsigned long k : std::initializer_list<unsigned long>{'e', 'm', 'i', 0xFF1B, 'f', 0xFF1B, 'f', 'x'})
    rec().push_key(k);
  std::vector<char*> no_files;
  EXPECT_EQ(run(no_files), 0);
  EXPECT_EQ(cin1.np, 0);
  EXPECT_EQ(count_text("Load"), 2);  // the File pull-down, shown twice
}

}  // namespace
