// The display buffer: lines collected until "/disp" or until it is full,
// then shown on one text page and forgotten.

#include <gtest/gtest.h>

#include "sketra/ui/display_buffer.h"
#include "support/answer_ui.h"
#include "support/fresh.h"

namespace {

class DisplayBufferTest : public korvel::testing::FreshState {};

TEST_F(DisplayBufferTest, ShowsOnDispOrWhenFullAndNeverHoldsMore) {
  korvel::testing::AnswerUi ui;
  sketra::set_dialog_ui(&ui);
  sketra::grdisp(std::string(70, 'x'));
  sketra::grdisp("/disp");
  EXPECT_EQ(ui.pages.at(0), std::vector<std::string>{std::string(64, 'x')});
  for (int k = 0; k < sketra::kDisplayLines + 2; ++k) sketra::grdisp(std::to_string(k));
  EXPECT_EQ(ui.pages.at(1).size(), std::size_t(sketra::kDisplayLines));
  EXPECT_EQ(sketra::display_buffer.lines, (std::vector<std::string>{"50000", "50001"}));
  sketra::set_dialog_ui(nullptr);
}

}  // namespace
