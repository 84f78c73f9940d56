// Key translation, time stamps, the recording driver's scripted input and
// the reporting of fatal errors.

#include <gtest/gtest.h>

#include <ctime>

#include "sketra/base/fatal.h"
#include "sketra/kernel/driver.h"
#include "sketra/kernel/recording_driver.h"

namespace {

TEST(KeyTranslation, SpecialKeysBecomeLibraryCodes) {
  EXPECT_EQ(sketra::translate_keysym(0xFF0D), 11);  // Return
  EXPECT_EQ(sketra::translate_keysym(0xFF8D), 11);  // KP_Enter
  EXPECT_EQ(sketra::translate_keysym(0xFF1B), 12);  // Escape
  EXPECT_EQ(sketra::translate_keysym(0xFFFF), 13);  // Delete
  EXPECT_EQ(sketra::translate_keysym(0xFF08), 14);  // BackSpace
  EXPECT_EQ(sketra::translate_keysym(0xFF51), 15);  // Left
  EXPECT_EQ(sketra::translate_keysym(0xFF52), 16);  // Up
  EXPECT_EQ(sketra::translate_keysym(0xFF53), 17);  // Right
  EXPECT_EQ(sketra::translate_keysym(0xFF54), 18);  // Down
}

TEST(KeyTranslation, KeypadCharactersMatchTheMainKeyboard) {
  EXPECT_EQ(sketra::translate_keysym(0xFFB5), '5');  // KP_5
  EXPECT_EQ(sketra::translate_keysym(0xFFB0), '0');
  EXPECT_EQ(sketra::translate_keysym(0xFFB9), '9');
  EXPECT_EQ(sketra::translate_keysym(0xFFAA), '*');
  EXPECT_EQ(sketra::translate_keysym(0xFFAD), '-');
  EXPECT_EQ(sketra::translate_keysym(0xFFAE), '.');
}

TEST(KeyTranslation, OtherKeysymsPassThrough) {
  EXPECT_EQ(sketra::translate_keysym('f'), 'f');
  EXPECT_EQ(sketra::translate_keysym('F'), 'F');
  EXPECT_EQ(sketra::translate_keysym(0xFFBE), 0xFFBE);  // F1
  EXPECT_EQ(sketra::translate_keysym(0xFFA9), 0xFFA9);  // just below KP_Multiply
}

TEST(TimeStamp, DayMonthYearAndTime) {
  std::tm t{};
  t.tm_year = 2026 - 1900;
  t.tm_mon = 11;
  t.tm_mday = 5;
  t.tm_hour = 5;
  t.tm_min = 22;
  t.tm_sec = 0;
  t.tm_isdst = -1;
  EXPECT_EQ(sketra::format_time_stamp(std::mktime(&t)), "05 Dec 2026 05:22:00");
  t.tm_mday = 31;
  t.tm_hour = 23;
  t.tm_min = 59;
  t.tm_sec = 58;
  EXPECT_EQ(sketra::format_time_stamp(std::mktime(&t)), "31 Dec 2026 23:59:58");
}

TEST(RecordingDriver, DeliversScriptedEventsInOrder) {
  sketra::RecordingDriver d;
  d.push_key(0xFFB5, 3, 4);
  d.push_button(3, 10, 20);
  d.push_resize(800, 600);
  d.push_expose(2);
  sketra::InputEvent ev;
  d.wait_event(ev);
  EXPECT_EQ(ev.type, sketra::kKeyPress);
  EXPECT_EQ(ev.code, 53);
  EXPECT_EQ(ev.x, 3);
  d.wait_event(ev);
  EXPECT_EQ(ev.type, sketra::kButtonPress);
  EXPECT_EQ(ev.code, 3);
  EXPECT_EQ(ev.y, 20);
  d.wait_event(ev);
  EXPECT_EQ(ev.type, sketra::kConfigureNotify);
  EXPECT_EQ(d.width(), 800);
  EXPECT_EQ(d.height(), 600);
  d.wait_event(ev);
  EXPECT_EQ(ev.type, sketra::kExpose);
  EXPECT_EQ(ev.code, 2);
  EXPECT_THROW(d.wait_event(ev), sketra::NoScriptedInput);
}

TEST(RecordingDriver, PollingTakesButtonsThenKeysAndLeavesOtherEvents) {
  sketra::RecordingDriver d;
  sketra::InputEvent ev;
  d.poll_events(ev);
  EXPECT_EQ(ev.type, sketra::kEventNone);
  d.push_key(0xFF0D);
  d.push_expose();
  d.push_button(1, 5, 6);
  d.poll_events(ev);
  EXPECT_EQ(ev.type, sketra::kKeyPress);
  EXPECT_EQ(ev.code, 0xFF0D);  // polling reports the raw keysym
  EXPECT_EQ(d.pending_input(), 1u);
  d.wait_event(ev);
  EXPECT_EQ(ev.type, sketra::kExpose);
}

TEST(FatalErrors, MainReportsTheMessageAndStatus) {
  testing::internal::CaptureStdout();
  const int status = sketra::run_guarded([]() -> int {
    throw sketra::FatalError("grvalu: variable not defined> XYZGR");
  });
  EXPECT_EQ(testing::internal::GetCapturedStdout(), "grvalu: variable not defined> XYZGR\n");
  EXPECT_EQ(status, 1);
  EXPECT_EQ(sketra::run_guarded([] { return 7; }), 7);
}

}  // namespace
