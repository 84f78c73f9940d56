// The display buffer: lines collected until "/disp" or until it is full,
// then shown on one text page and forgotten.

#include <gtest/gtest.h>

#include "sketra/ui/dialogs.h"
#include "sketra/ui/display_buffer.h"
#include "support/answer_ui.h"
#include "support/fresh.h"

namespace {

using namespace sketra;

class DisplayBufferTest : public korvel::testing::FreshState {};

TEST_F(DisplayBufferTest, ShowsOnDispOrWhenFullAndNeverHoldsMore) {
  korvel::testing::AnswerUi ui;
  set_dialog_ui(&ui);
  grdisp("/Nodes");
  grdisp(std::string(70, 'x'));
  grdisp("/disp");
  ASSERT_EQ(ui.pages.size(), 1u);
  EXPECT_EQ(ui.pages[0], (std::vector<std::string>{"/Nodes", std::string(64, 'x')}));
  EXPECT_TRUE(display_buffer.lines.empty());
  for (int k = 0; k < kDisplayLines + 3; ++k) grdisp(std::to_string(k));
  ASSERT_EQ(ui.pages.size(), 2u);
  EXPECT_EQ(ui.pages[1].size(), std::size_t(kDisplayLines));
  EXPECT_EQ(display_buffer.lines, (std::vector<std::string>{"50000", "50001", "50002"}));
  grdisp("/disp ");
  EXPECT_EQ(ui.pages.size(), 3u);
  set_dialog_ui(nullptr);
}

}  // namespace
