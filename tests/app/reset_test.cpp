// app_reset is a fresh start: after a session that leaves state behind in
// every part of korvel and sketra, app_reset, and a short session logs,
// writes and draws exactly what it does from a fresh start.

#include <gtest/gtest.h>

#include <cstdlib>
#include <memory>
#include <regex>
#include <string>
#include <vector>

#include "app/export.h"
#include "app/formats/keyword_parser.h"
#include "app/loader.h"
#include "app/mainmenu.h"
#include "app/store.h"
#include "sketra/base/script.h"
#include "sketra/base/units.h"
#include "sketra/control/state.h"
#include "sketra/kernel/device.h"
#include "sketra/kernel/plot.h"
#include "sketra/kernel/recording_driver.h"
#include "sketra/modes/common/alter.h"
#include "sketra/modes/common/classes.h"
#include "sketra/modes/common/polygons.h"
#include "sketra/modes/grid/grid_viewer.h"
#include "sketra/ui/state.h"
#include "support/fresh.h"

namespace {

using namespace korvel;
using Entries = std::vector<std::string>;

// 4 x 3 nodes; an ESRI grid is loaded without a dialog.
constexpr const char* kGrid =
    "ncols 4\nnrows 3\nxllcorner 2600000\nyllcorner 1200000\ncellsize 10\nNODATA_value -9999\n"
    "1 2 3 4\n5 6 7 8\n9 10 11 12\n";

// The log without the time of day that the parser writes into it.
std::string without_clock(const std::string& log) {
  return std::regex_replace(log, std::regex("(^|\n)/OUTPUT [^\n]*"), "$1/OUTPUT");
}

std::string describe(const sketra::DriverCall& c) {
  std::string s = std::to_string(c.kind) + " " + c.text + " " + std::to_string(c.value) + " " +
                  std::to_string(c.pixel) + (c.to_pixmap ? " p" : " w");
  for (const auto& p : c.points) s += " " + std::to_string(p.x) + "," + std::to_string(p.y);
  return s;
}

// korvel on the grid with `script` as SKETRA_SCRIPT, in a new working
// directory through a new recording driver: the exit status, the log, the
// settings file, the exported points and every call of the driver.
Entries session(const Entries& script) {
  korvel::testing::ScopedTempDir dir;
  korvel::testing::write_file("g.asc", kGrid);
  std::string text;
  for (const auto& s : script) text += s + "\n";
  korvel::testing::write_file("session", text);
  setenv("SKETRA_SCRIPT", "session", 1);
  auto rec = std::make_unique<sketra::RecordingDriver>();
  rec->set_time(0);
  const sketra::RecordingDriver* r = rec.get();
  auto previous = sketra::set_driver(std::move(rec));
  std::string grid = "g.asc";
  char* argv[] = {grid.data()};
  const int status = run(argv);
  Entries seen = {"status " + std::to_string(status), without_clock(korvel::testing::read_file("outp")),
                  korvel::testing::read_file(".grset"), korvel::testing::read_file("g.xyz")};
  for (const auto& c : r->calls()) seen.push_back(describe(c));
  sketra::set_driver(std::move(previous));
  unsetenv("SKETRA_SCRIPT");
  return seen;
}

// What a start shows: state that the short session cannot see, then the
// short session itself (the grid in the viewer, exported as points).
Entries observe() {
  std::string units;
  for (int u = 0; u <= sketra::kMaxUnit; ++u)
    if (u != sketra::kStdoutUnit && sketra::unit_is_open(u)) units += " " + std::to_string(u);
  std::string openers;
  for (int m = sketra::kModeRecord; m <= sketra::kModeArcPolygon; ++m)
    openers += sketra::has_file_device_opener(m) ? "1" : "0";
  Entries seen = {"units" + units,
                  "queued " + std::to_string(sketra::scriptq.length - sketra::scriptq.pos),
                  "openers " + openers,
                  "runner " + std::to_string(bool(sketra::command_runner)),
                  "window layer " + std::to_string(sketra::dialogs.ui == sketra::default_dialog_ui()),
                  "polygons " + std::to_string(sketra::polygon_history().size()),
                  "alter " + sketra::gralt.cop,
                  "menu " + std::to_string(sketra::menus.highlighted),
                  "keep " + std::to_string(sketra::keeplist.entries.size()),
                  "plot list " + std::to_string(sketra::grplst.items.size()),
                  "store " + std::to_string(cin1.np) + " " + std::to_string(cplot.nsets),
                  "parser " + std::to_string(parser.ncall) + " " + std::to_string(parser.errors),
                  "reader " + std::to_string(reader.zfac) + " " + std::to_string(tables.size()),
                  "export " + std::to_string(export_settings.tol)};
  for (auto& s : session({"E", "2", "X", "X", "X", "g.xyz", "F", "X"})) seen.push_back(std::move(s));
  return seen;
}

// A longer session (the viewer turned to a top view), then state left
// behind by hand in each folder of sketra and in the application.
void leave_state_everywhere() {
  session({"E", "2", "Y", "T", "X", "X", "F", "X", "left", "over"});
  sketra::grscpt(Entries{"P 10 20", "P 30 20", "P 30 40", "D"});
  sketra::Polygon p;
  sketra::igplyp(p, 20, -1);
  sketra::grscpt("stale answer");
  sketra::unit_open(40, "left_open.txt", sketra::FileStatus::unknown);
  sketra::grcomn.zoom = 0.3f;
  sketra::grcomt.titlgr = sketra::fixed_width("stale title", sketra::kTitleWidth);
  sketra::set_file_device_opener(sketra::kModeDxf, [] { return std::unique_ptr<sketra::FileDevice>(); });
  sketra::menus.highlighted = 3;
  sketra::dialogs.errors = 2;
  sketra::set_dialog_ui(nullptr);
  sketra::message_paint = {5, 90};
  sketra::keeplist.entries.push_back({"old.kep", sketra::kKeepForeground});
  sketra::grplst.items.push_back({1, 1, 0, sketra::PlotItemType::text, 0, "note"});
  sketra::set_command_runner([](const Entries&) { return 0; });
  sketra::grclass.scale = sketra::ScaleType::grey;
  sketra::gralt.cop = "=500";
  sketra::grcnt.iopt9 = 1;
  export_settings.tol = 100;
  reader.zfac = 3;
  tables.emplace_back();
  parser.errors = 1;
  cpch.item.set("stale");
}

class AppResetTest : public korvel::testing::FreshState {};

TEST_F(AppResetTest, BringsBackWhatAFreshStartShows) {
  const Entries fresh = observe();
  app_reset();
  leave_state_everywhere();
  app_reset();
  const Entries again = observe();
  ASSERT_EQ(again.size(), fresh.size());
  for (std::size_t i = 0; i < fresh.size(); ++i) ASSERT_EQ(again[i], fresh[i]) << "entry " << i;
}

}  // namespace
