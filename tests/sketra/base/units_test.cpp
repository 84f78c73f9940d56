#include "sketra/base/units.h"

#include <gtest/gtest.h>

#include <cerrno>
#include <filesystem>

#include "support/fresh.h"
#include "support/testdir.h"

namespace {

using korvel::testing::read_file;
using korvel::testing::write_file;
using namespace sketra;

class UnitsTest : public korvel::testing::FreshState {
 protected:
  std::vector<std::string> read_all(int unit) {
    std::vector<std::string> lines;
    std::string_view l;
    while (unit_read(unit, l)) lines.emplace_back(l);
    return lines;
  }
};

// Records come without their line ends (the last line needs none);
// backspace steps back one record each time, and nothing at the start.
TEST_F(UnitsTest, RecordsComeWithoutLineEndsAndBackspaceStepsBackOneEach) {
  write_file("a.txt", "one\ntwo\r\n\nlast");
  ASSERT_TRUE(unit_open(3, "a.txt", FileStatus::old_file));
  EXPECT_EQ(read_all(3), (std::vector<std::string>{"one", "two\r", "", "last"}));
  std::string_view l;
  EXPECT_FALSE(unit_read(3, l));
  for (int i = 0; i < 3; ++i) unit_backspace(3);
  ASSERT_TRUE(unit_read(3, l));
  EXPECT_EQ(l, "two\r");
  for (int i = 0; i < 3; ++i) unit_backspace(3);
  ASSERT_TRUE(unit_read(3, l));
  EXPECT_EQ(l, "one");
  EXPECT_FALSE(unit_open(4, "nope.txt", FileStatus::old_file));
  EXPECT_FALSE(unit_is_open(4));
}

TEST_F(UnitsTest, RecordsLongerThanTheBufferAndAcrossBlocksStayWhole) {
  std::string big(3 << 20, 'x');
  std::string text;
  for (int i = 0; i < 200000; ++i) text += std::to_string(i) + " 1.5 2.5\n";
  text += big + "\nend\n";
  write_file("c.txt", text);
  ASSERT_TRUE(unit_open(3, "c.txt", FileStatus::old_file));
  auto lines = read_all(3);
  ASSERT_EQ(lines.size(), 200002u);
  EXPECT_EQ(lines[123456], "123456 1.5 2.5");
  EXPECT_EQ(lines[200000].size(), big.size());
  EXPECT_EQ(lines[200001], "end");
  unit_backspace(3);
  unit_backspace(3);
  std::string_view l;
  ASSERT_TRUE(unit_read(3, l));
  EXPECT_EQ(l.size(), big.size());
}

// A failed write is remembered and returned by the close; close-or-remove
// drops an incomplete regular file but never a device.
TEST_F(UnitsTest, FailedWritesAreReturnedByCloseAndOnlyIncompleteFilesRemoved) {
  ASSERT_TRUE(unit_open(3, "kept", FileStatus::unknown));
  unit_write(3, "text");
  EXPECT_EQ(unit_close_or_remove(3), 0);
  EXPECT_EQ(read_file("kept"), "text\n");
  if (!std::filesystem::exists("/dev/full")) GTEST_SKIP() << "no /dev/full on this system";
  ASSERT_TRUE(unit_open(3, "/dev/full", FileStatus::unknown));
  unit_write_part(3, std::string(1 << 20, 'x'));  // larger than the buffer: written at once
  EXPECT_EQ(unit_error(3), ENOSPC);
  unit_write(3, "more");
  EXPECT_EQ(unit_close(3), ENOSPC);
  EXPECT_EQ(unit_error(3), 0);  // a closed unit has no error
  ASSERT_TRUE(unit_open(3, "/dev/full", FileStatus::unknown));
  unit_write(3, "short");  // stays in the buffer until the close
  EXPECT_EQ(unit_close(3), ENOSPC);
  ASSERT_TRUE(unit_open(3, "/dev/full", FileStatus::unknown));
  unit_write(3, "short");
  EXPECT_EQ(unit_close_or_remove(3), ENOSPC);
  EXPECT_TRUE(std::filesystem::exists("/dev/full"));  // a device is never removed
}

}  // namespace
