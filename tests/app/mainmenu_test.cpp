#include "app/mainmenu.h"

#include <gtest/gtest.h>

#include "support/app_fixture.h"

namespace {

using korvel::testing::write_file;
using namespace korvel;

std::string flags(std::span<const MenuCell> cells) {
  std::string s;
  for (const auto& c : cells) s += c[0] == '-' ? '-' : '+';
  return s;
}

TEST(MainMenu, EntriesAreEnabledByPointsAndSets) {
  EXPECT_EQ(flags(main_menu_cells(0, 0)), "+---+-+");
  EXPECT_EQ(flags(main_menu_cells(5, 0)), "+++++++");
  EXPECT_EQ(flags(main_menu_cells(0, 1)), "++--+++");  // a grid alone: Edit and eXport only
  EXPECT_EQ(flags(file_menu_cells(0)), "+-++");      // Add needs points, whatever the sets
  EXPECT_EQ(flags(file_menu_cells(3)), "++++");
}

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

}  // namespace
