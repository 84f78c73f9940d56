// Translation of plot labels: the name is replaced, the unit kept, and a
// fixed-width label keeps its width.

#include <gtest/gtest.h>

#include "sketra/kernel/plot.h"

namespace {

TEST(LabelTranslation, NameIsReplacedUnitKeptAndWidthHeld) {
  std::string label = sketra::fixed_width("Water Level   [m]", 40);
  sketra::grtrans(2, label);
  EXPECT_EQ(label, sketra::fixed_width("Wasserspiegel [m]", 40));
  std::string tight = "Bed [m]";  // the German name is longer: never cut
  sketra::grtrans(2, tight);
  EXPECT_EQ(tight, "Sohle [m]");
  std::string unknown = "water level [m]";  // case matters
  sketra::grtrans(2, unknown);
  EXPECT_EQ(unknown, "water level [m]");
}

}  // namespace
