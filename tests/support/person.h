#pragma once
// Test support: a person at the screen who clicks by label.
//
// The person switches on the widgets' layout log (SKETRA_LAYOUT_LOG, see
// sketra/ui/menus.h) and answers the recording driver whenever the program
// waits with no input queued: each wait takes the next planned action. A
// click looks up where its label was drawn last and presses the centre of
// that box, so the test does not depend on the layout.
//
//   korvel::testing::Person person(rec());
//   person.click("File").click("Load").click("points.xyz").key('x');
//
// A click whose label was never drawn fails the test and leaves the queue
// empty, so the driver throws NoScriptedInput.

#include <deque>
#include <filesystem>
#include <functional>
#include <optional>
#include <string>
#include <string_view>

#include "sketra/kernel/recording_driver.h"

namespace korvel::testing {

class Person {
 public:
  explicit Person(sketra::RecordingDriver& rec);
  ~Person();
  Person(const Person&) = delete;
  Person& operator=(const Person&) = delete;

  Person& click(std::string label, int button = 1);
  Person& click_at(sketra::DevicePoint at, int button = 1);  // e.g. into the plot
  Person& key(unsigned long keysym);
  Person& type(std::string_view text);  // one key per character
  // Any answer that depends on what is on the screen: `f` runs at that
  // wait and pushes the events itself.
  Person& then(std::function<void()> f);

  // Centre of the box drawn last with `label` (window pixels).
  std::optional<sketra::DevicePoint> centre(std::string_view label) const;
  // Actions not yet taken.
  std::size_t planned() const { return plan_.size(); }

 private:
  struct Action {
    std::string label;  // a click on it; empty: a click at `at`, or a key
    int button = 0;     // 0: a key
    unsigned long keysym = 0;
    sketra::DevicePoint at{};
    std::function<void()> f;  // set: runs instead
  };
  void act();

  sketra::RecordingDriver& rec_;
  std::filesystem::path log_;
  std::deque<Action> plan_;
};

}  // namespace korvel::testing
