// The legend through the recording driver: its palettes per scale type,
// clicks on the pin, the title band and the boxes, and the settings dialog
// answered from the script queue.

#include <gtest/gtest.h>

#include <map>
#include <set>
#include <string>
#include <vector>

#include "sketra/base/script.h"
#include "sketra/kernel/plot.h"
#include "sketra/modes/common/classes.h"
#include "sketra/ui/dialogs.h"
#include "sketra/ui/menus.h"
#include "support/answer_ui.h"
#include "support/recording.h"

namespace {

using namespace sketra;
using Entries = std::vector<std::string>;

class LegendTest : public korvel::testing::WithRecordingDriver {
 protected:
  void SetUp() override {
    WithRecordingDriver::SetUp();
    set_dialog_ui(nullptr);  // nobody at the screen: unanswered dialogs cancel
    grsset(0, 100, 0, 100);
    grsfac();
    grcomt.titlgr = fixed_width("Ground", kTitleWidth);
    grcomt.subtitle = fixed_width("Level [m]", kTitleWidth);
    levels_ = {400, 402, 404, 406};
    set_class_count(4);
  }
  // Fill colours of the class boxes of a drawn key, lowest class first.
  std::vector<unsigned long> box_fills() {
    rec().clear_calls();
    int imcol = 5;
    grkey2(levels_, 1, imcol);
    std::vector<unsigned long> fills;
    for (const auto* c : rec().of(DriverCall::Polygon))
      if (c->points.size() == 4) fills.push_back(c->pixel);
    // The first four-cornered polygon is the key's white background.
    if (!fills.empty()) fills.erase(fills.begin());
    return fills;
  }
  // A click at pixel-mode position (x, y), handed over in world units.
  KeyClick click(float x, float y) {
    grcomn.xcrsgr = float(x / grcomn.xfacgr + grcomn.xmingr);
    grcomn.ycrsgr = float(-y / grcomn.yfacgr + grcomn.ymingr);
    int imcol = 3;
    return grkey2(levels_, -1, imcol);
  }
  std::vector<float> levels_;
};

bool grey(unsigned long p) { return (p & 0xFF) == ((p >> 8) & 0xFF) && (p & 0xFF) == ((p >> 16) & 0xFF); }

TEST_F(LegendTest, ScaleTypesGiveDistinctPalettes) {
  std::map<ScaleType, std::vector<unsigned long>> fills;
  for (ScaleType t : {ScaleType::grey, ScaleType::rainbow, ScaleType::uniform}) {
    grclass.scale = t;
    fills[t] = box_fills();
    ASSERT_EQ(fills[t].size(), 5u);
    EXPECT_EQ(std::set<unsigned long>(fills[t].begin(), fills[t].end()).size(), 5u);
  }
  for (unsigned long p : fills[ScaleType::grey]) EXPECT_TRUE(grey(p)) << std::hex << p;
  EXPECT_FALSE(grey(fills[ScaleType::rainbow][0]));
  EXPECT_NE(fills[ScaleType::uniform], fills[ScaleType::rainbow]);
  EXPECT_NE(fills[ScaleType::uniform], fills[ScaleType::grey]);
  grclass.scale = ScaleType::none;
  for (unsigned long p : box_fills()) EXPECT_EQ(p, 0xFFFFFFu);
  // The user's colour mode and bank come back afterwards.
  EXPECT_EQ(grcomn.colour.mode, 2);
  EXPECT_EQ(grcomn.colour.bank, 5);
}

TEST_F(LegendTest, TransparentBelowLeavesTheFirstBoxWhite) {
  grclass.transparent_below = 1;
  const auto fills = box_fills();
  ASSERT_EQ(fills.size(), 5u);
  EXPECT_EQ(fills[0], 0xFFFFFFu);
  EXPECT_NE(fills[1], 0xFFFFFFu);
}

TEST_F(LegendTest, PinPicksTheKeyUpAndTheNextClickPutsItDown) {
  const KeyBox k = key_box();
  const float pin_x = k.x + k.w - 11, pin_y = k.y + k.h - 8;  // inside the pin button
  EXPECT_EQ(click(pin_x, pin_y), KeyClick::claimed);
  EXPECT_TRUE(grclass.key_pinned);
  EXPECT_EQ(click(pin_x + 200, pin_y + 100), KeyClick::claimed);
  EXPECT_FALSE(grclass.key_pinned);
  EXPECT_FLOAT_EQ(grcomn.display.key_x, k.x + 200);
  EXPECT_FLOAT_EQ(grcomn.display.key_y, k.y + 100);
  // Dropped left of the frame: held at 0.
  click(pin_x + 200, pin_y + 100);
  click(5, 5);
  EXPECT_FLOAT_EQ(grcomn.display.key_x, 0);
  EXPECT_FLOAT_EQ(grcomn.display.key_y, 0);
}

TEST_F(LegendTest, SettingsRebuildTheLevelsFromOriginAndIncrement) {
  const KeyBox k = key_box();
  grscpt(Entries{"1 5", "2 10", "3 2.5", "4 x", "5 x", "8 1", "9 2", "10 1.5", "12 0", "D"});
  EXPECT_EQ(click(k.x + 10, k.y + 10), KeyClick::claimed);
  EXPECT_EQ(class_count(), 5);
  EXPECT_EQ(levels_, (std::vector<float>{10, 12.5f, 15, 17.5f, 20}));
  EXPECT_TRUE(contour_lines_on());
  EXPECT_TRUE(contour_labels_on());
  EXPECT_EQ(grclass.scale, ScaleType::grey);
  EXPECT_EQ(grcomn.ikeygr, kKeyVertical);
  EXPECT_FLOAT_EQ(grcomn.display.key_size, 1.5f);
  EXPECT_FLOAT_EQ(grcomn.hatch_spacing, 1.0f);  // fill distance at least 1
}

TEST_F(LegendTest, UnreadableFieldKeepsTheDialogOpen) {
  korvel::testing::AnswerUi person;  // types a word for the origin, then 7
  person.form_answers = {{"", "abc"}, {"", "7"}};
  set_dialog_ui(&person);
  EXPECT_TRUE(key_settings(levels_));
  set_dialog_ui(nullptr);
  EXPECT_EQ(dialogs.messages.front(), "not a valid number: Origin");
  EXPECT_EQ(levels_, (std::vector<float>{7, 9, 11, 13}));
}

TEST_F(LegendTest, KeyStaysInsideThePlotArea) {
  grcomn.display.key_x = 1e6f;
  grcomn.display.key_y = 1e6f;
  const KeyBox k = key_box();
  EXPECT_LE(k.x + k.w, float(grcomn.nxingr) * 50 * grcomn.xsclgr + 0.01f);
  EXPECT_LE(k.y + k.h, float(grcomn.nyingr) * 50 * grcomn.ysclgr + 0.01f);
  // A longer title widens the key by 6.5 units per character.
  const float w = k.w;
  grcomt.titlgr = fixed_width(std::string(60, 'T'), kTitleWidth);
  EXPECT_GT(key_box().w, w);
  EXPECT_GE(key_box().w, 6.5f * 60);
}

}  // namespace
