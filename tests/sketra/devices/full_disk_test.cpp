// Keep files and hard copies on a full disk: a child process whose files
// may not grow past a few kilobytes writes a view over an existing file,
// then, with room again, another one. The failure must show on the message
// line and in the log, leave no partial file and the old file as it was,
// and the program must go on.

#include <gtest/gtest.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <csignal>
#include <filesystem>
#include <functional>

#include "sketra/base/script.h"
#include "sketra/base/units.h"
#include "sketra/devices/devices.h"
#include "sketra/kernel/plot.h"
#include "sketra/ui/dialogs.h"
#include "support/recording.h"
#include "support/testdir.h"

namespace {

using korvel::testing::read_file;
using korvel::testing::write_file;
using namespace sketra;

struct FullDiskCase {
  const char* name;
  int mode;
  std::vector<std::string> answers;  // the name follows the first
  std::vector<std::string> files;    // what a good copy named "plan" writes
  const char* done;                  // the closing message of a good copy
};

// The answers to the name prompt or dialog, the name after the first.
std::vector<std::string> answers_for(const FullDiskCase& c, const std::string& name) {
  std::vector<std::string> out = c.answers;
  out[0] += name;
  return out;
}

// Lines, texts and squares in forty colours: far more than the room left.
void view() {
  for (int k = 0; k < 400; ++k) {
    const float x0 = float(10 * (k % 20)), y0 = float(10 * (k / 20));
    const float x[] = {x0, x0 + 10, x0 + 10, x0}, y[] = {y0, y0, y0 + 10, y0 + 10};
    grfil2(x, y, 1 + k % 40);
    grmov2(x0, y0);
    grdrw2(x0 + 10, y0 + 10);
    granot("gauge", 0);
  }
}

// Runs `body` in a child process with SIGXFSZ ignored; `limit(bytes)`
// caps the size a file may grow to (0: no cap). Returns the exit status.
int in_child(const std::function<int(const std::function<void(rlim_t)>&)>& body) {
  const pid_t pid = fork();
  if (pid == 0) {
    std::signal(SIGXFSZ, SIG_IGN);
    rlimit open{};
    getrlimit(RLIMIT_FSIZE, &open);
    const auto limit = [open](rlim_t bytes) {
      rlimit r = open;
      if (bytes > 0) r.rlim_cur = bytes;
      setrlimit(RLIMIT_FSIZE, &r);
    };
    std::_Exit(body(limit));
  }
  int status = 0;
  waitpid(pid, &status, 0);
  return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

class FullDiskTest : public korvel::testing::WithRecordingDriver,
                     public ::testing::WithParamInterface<FullDiskCase> {
 protected:
  void SetUp() override {
    WithRecordingDriver::SetUp();
    install_file_devices();
    use_unit_mapping();
  }
};

TEST_P(FullDiskTest, FailedWriteIsReportedAndLeavesTheOldFile) {
  const FullDiskCase& c = GetParam();
  for (const std::string& f : c.files) write_file(f, "the old " + f + "\n");
  const int status = in_child([&](const std::function<void(rlim_t)>& limit) {
    unit_open(4, "outp", FileStatus::unknown);
    set_log_unit(4);
    limit(4096);
    grscpt(answers_for(c, "plan"));
    if (grmode(c.mode) != c.mode) return 10;
    view();
    grmode(0);
    const std::string failed = dialogs.message_line;
    limit(0);
    grscpt(answers_for(c, "next"));
    if (grmode(c.mode) != c.mode) return 11;
    view();
    grmode(0);
    write_file("lines", failed + "\n" + dialogs.message_line + "\n");
    unit_close(4);
    return grcomn.imodgr == 2 ? 0 : 12;
  });
  ASSERT_EQ(status, 0);
  const std::string failed = "Error writing: " + c.files[0];
  EXPECT_EQ(read_file("lines"), failed + "\n" + c.done + "\n");
  EXPECT_NE(read_file("outp").find(failed), std::string::npos);
  std::vector<std::string> left;
  for (const auto& entry : std::filesystem::directory_iterator(".")) left.push_back(entry.path().filename());
  std::sort(left.begin(), left.end());
  std::vector<std::string> expected{"lines", "outp"};
  for (const std::string& f : c.files) {
    EXPECT_TRUE(read_file(f) == "the old " + f + "\n") << f << " was changed";
    expected.push_back(f);
    expected.push_back("next" + f.substr(4));  // the second copy
  }
  std::sort(expected.begin(), expected.end());
  EXPECT_EQ(left, expected);  // nothing partial left behind
}

INSTANTIATE_TEST_SUITE_P(
    Devices, FullDiskTest,
    ::testing::Values(FullDiskCase{"keep", kModeRecord, {""}, {"plan.kep"}, "saved on keep file"},
                      FullDiskCase{"dxf", kModeDxf, {""}, {"plan.dxf"}, "DXF File done"},
                      FullDiskCase{"shape", kModeShape, {"1 ", "2 level", "3 3", "D"},
                                   {"plan.shp", "plan.shx", "plan.dbf"}, "Shapefile done"}),
    [](const auto& param_info) { return std::string(param_info.param.name); });

}  // namespace
