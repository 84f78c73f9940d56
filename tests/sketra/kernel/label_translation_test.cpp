// Translation of plot labels.

#include <gtest/gtest.h>

#include "sketra/kernel/plot.h"

namespace {

// The translated label without the blanks that keep its former width.
std::string translated(int language, std::string label) {
  sketra::grtrans(language, label);
  label.erase(label.find_last_not_of(' ') + 1);
  return label;
}

TEST(LabelTranslation, GermanReplacesTheNameAndKeepsTheUnit) {
  EXPECT_EQ(translated(2, "Water Level [m a.s.l.]"), "Wasserspiegel [m a.s.l.]");
  EXPECT_EQ(translated(2, "Water Level   [m]"), "Wasserspiegel [m]");
  EXPECT_EQ(translated(2, "Velocity"), "Fliessgeschwindigkeit");
  EXPECT_EQ(translated(2, "Froude Number [-]"), "Froude Zahl [-]");
  EXPECT_EQ(translated(2, "Right Wall"), "Ufer rechts");
  EXPECT_EQ(translated(2, "Pressurized Flow [m3/s]"), "Druckabfluss [m3/s]");
}

TEST(LabelTranslation, UnknownNamesAndEnglishStay) {
  EXPECT_EQ(translated(2, "Chainage [km]"), "Chainage [km]");
  EXPECT_EQ(translated(2, "water level [m]"), "water level [m]");  // case matters
  EXPECT_EQ(translated(1, "Water Level   [m]"), "Water Level   [m]");
}

TEST(LabelTranslation, OtherLanguagesOnlyTidyTheLabel) {
  EXPECT_EQ(translated(3, "Depth    [m]"), "Depth [m]");
  EXPECT_EQ(translated(2, "   [m]"), "[m]");
}

TEST(LabelTranslation, FixedWidthLabelsKeepTheirWidth) {
  std::string label = sketra::fixed_width("Depth [m]", 40);
  sketra::grtrans(2, label);
  EXPECT_EQ(label, sketra::fixed_width("Tiefe [m]", 40));
  std::string tight = "Bed [m]";  // the German name is longer: never cut
  sketra::grtrans(2, tight);
  EXPECT_EQ(tight, "Sohle [m]");
}

TEST(LabelTranslation, LongUnitsAreCutToTwentyCharacters) {
  EXPECT_EQ(translated(2, "Discharge [cubic metres per second]"), "Abfluss [cubic metres per se");
}

}  // namespace
