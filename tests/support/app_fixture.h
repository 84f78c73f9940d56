#pragma once
// Fixture for application tests: a fresh start (FreshState: a fresh working
// directory, every state block at its start-up state), and the log "outp"
// open on unit 4.

#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "app/formats/keyword_parser.h"
#include "app/loader.h"
#include "app/mainmenu.h"
#include "app/store.h"
#include "sketra/base/script.h"
#include "sketra/base/units.h"
#include "sketra/control/settings.h"
#include "sketra/kernel/plot.h"
#include "sketra/kernel/recording_driver.h"
#include "sketra/ui/dialogs.h"
#include "support/fresh.h"
#include "support/testdir.h"

namespace korvel::testing {

class AppTest : public FreshState {
 protected:
  // No window: dialogs get no answer from a person.
  void SetUp() override { restart(); }

  // A fresh start again within a test (between the cases of a table).
  void restart() {
    fresh_start();
    ASSERT_TRUE(sketra::unit_open(cunit.log, "outp", sketra::FileStatus::unknown));
    sketra::set_log_unit(cunit.log);
  }

  // Writes `text` to `name` and loads it; the load dialog is answered with
  // the given script entries (default: apply as preset).
  LoadOutcome load_text(const std::string& name, const std::string& text, int mode = kLoad,
                        std::vector<std::string> answers = {"D"}) {
    write_file(name, text);
    return load_file(name, mode, std::move(answers));
  }

  LoadOutcome load_file(const std::string& name, int mode = kLoad, std::vector<std::string> answers = {"D"}) {
    sketra::scriptq.reset();
    if (!answers.empty()) sketra::grscpt(answers);
    cpch.file_name.set(name);
    return load(mode);
  }

  // The log written so far.
  std::string log() {
    sketra::unit_flush(cunit.log);
    return read_file("outp");
  }

  // A message shown so far starts with `start`.
  static bool said(std::string_view start) {
    for (const auto& m : sketra::dialogs.messages)
      if (m.starts_with(start)) return true;
    return false;
  }

  static double ax(int i) { return abs_x(i); }
  static double ay(int i) { return abs_y(i); }
  static float z(int i) { return cin.z[std::size_t(i - 1)]; }
  static int code(int i) { return cin.code[std::size_t(i - 1)]; }
  static Edge edge(int k) { return cin.seg[std::size_t(k - 1)]; }
};

// AppTest with the window open on the recording driver (screen mode 2)
// and no window layer for dialogs: the display modes run, answered from
// the script queue (and from keys pushed to rec()).
class AppWindowTest : public AppTest {
 protected:
  void SetUp() override {
    AppTest::SetUp();
    auto rec = std::make_unique<sketra::RecordingDriver>();
    rec_ = rec.get();
    previous_ = sketra::set_driver(std::move(rec));
    sketra::grmode(2);
    sketra::set_dialog_ui(nullptr);
  }
  void TearDown() override {
    sketra::grmode(0);
    sketra::set_dialog_ui(nullptr);
    sketra::set_driver(std::move(previous_));
    AppTest::TearDown();
  }
  sketra::RecordingDriver& rec() { return *rec_; }

 private:
  sketra::RecordingDriver* rec_ = nullptr;
  std::unique_ptr<sketra::Driver> previous_;
};

}  // namespace korvel::testing
