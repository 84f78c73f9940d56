#include "app/formats/file_kind.h"

#include <gtest/gtest.h>

namespace {

using namespace korvel;

TEST(FileKind, TheFirstLineOverridesTheSuffixTakenAfterTheLastDot) {
  EXPECT_EQ(ccsfx("river.bank.xyzi  "), "xyzi");
  EXPECT_EQ(ccsfx("noext"), "");
  EXPECT_EQ(file_kind(0, ccsfx("dem.asc")), FileKind::grid);
  EXPECT_EQ(file_kind(0, ccsfx("dem.ASC")), FileKind::plain);  // suffixes are compared case-sensitively
  EXPECT_EQ(file_kind(2, "asc"), FileKind::unstruct);
  EXPECT_EQ(file_kind(1, "node"), FileKind::grid);
}

}  // namespace
