#include "support/person.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <cstdlib>
#include <fstream>
#include <sstream>

namespace korvel::testing {

Person::Person(sketra::RecordingDriver& rec)
    : rec_(rec),
      log_(std::filesystem::temp_directory_path() / ("korvel-layout-" + std::to_string(::getpid()) + ".log")) {
  std::filesystem::remove(log_);
  setenv("SKETRA_LAYOUT_LOG", log_.c_str(), 1);
  rec_.set_on_idle([this] { act(); });
}

Person::~Person() {
  rec_.set_on_idle(nullptr);
  unsetenv("SKETRA_LAYOUT_LOG");
  std::error_code ec;
  std::filesystem::remove(log_, ec);
}

Person& Person::click(std::string label, int button) {
  plan_.push_back({std::move(label), button, 0, {}, {}});
  return *this;
}

Person& Person::click_at(sketra::DevicePoint at, int button) {
  plan_.push_back({"", button, 0, at, {}});
  return *this;
}

Person& Person::key(unsigned long keysym) {
  plan_.push_back({"", 0, keysym, {}, {}});
  return *this;
}

Person& Person::then(std::function<void()> f) {
  plan_.push_back({"", 0, 0, {}, std::move(f)});
  return *this;
}

Person& Person::type(std::string_view text) {
  for (char c : text) key(static_cast<unsigned char>(c));
  return *this;
}

std::optional<sketra::DevicePoint> Person::centre(std::string_view label) const {
  std::ifstream in(log_);
  std::optional<sketra::DevicePoint> found;
  for (std::string line; std::getline(in, line);) {
    std::istringstream fields(line);
    int x = 0, y = 0, w = 0, h = 0;
    fields >> x >> y >> w >> h;
    fields.get();  // the blank before the label
    std::string shown;
    std::getline(fields, shown);
    if (fields && shown == label) found = sketra::DevicePoint{x + w / 2, y + h / 2};
  }
  return found;
}

void Person::act() {
  if (plan_.empty()) return;
  const Action a = plan_.front();
  plan_.pop_front();
  if (a.f) {
    a.f();
    return;
  }
  if (a.button == 0) {
    rec_.push_key(a.keysym);
    return;
  }
  if (a.label.empty()) {
    rec_.push_button(a.button, a.at.x, a.at.y);
    return;
  }
  const auto at = centre(a.label);
  if (!at) {
    ADD_FAILURE() << "\"" << a.label << "\" is not on the screen";
    return;
  }
  rec_.push_button(a.button, at->x, at->y);
}

}  // namespace korvel::testing
