// Library start-up and the settings file: layout, round trips, broken and
// out-of-range files, and what every grinit call does.

#include "sketra/control/settings.h"

#include <gtest/gtest.h>

#include <filesystem>

#include "sketra/control/keeplist.h"
#include "sketra/kernel/plot.h"
#include "support/fresh.h"
#include "support/recording.h"
#include "support/testdir.h"

namespace {

using korvel::testing::read_file;
using korvel::testing::write_file;
using namespace sketra;

class SettingsTest : public korvel::testing::WithRecordingDriver {
 protected:
  SettingsTest() : WithRecordingDriver(false) {}
  void SetUp() override {
    WithRecordingDriver::SetUp();
    rec().set_time(0);
  }
  // A new run of the program: everything back to what a fresh process has.
  static void fresh_run() { korvel::testing::fresh_start(); }
  // The lines of a settings file written from the defaults.
  static std::vector<std::string> default_lines() {
    fresh_run();
    return settings_lines();
  }
  static void write_lines(const std::vector<std::string>& lines) {
    std::string text;
    for (const auto& l : lines) text += l + "\n";
    write_file(kSettingsFile, text);
  }
};

TEST_F(SettingsTest, FreshFileHasTheDocumentedLayout) {
  grinit(5, 6, "Korvel_4.01", false);
  ASSERT_TRUE(grwset());
  EXPECT_EQ(read_file(kSettingsFile),
            "/GRAPHIC ATTRIBUTES\n"
            " 1 /CALC SCALES\n"
            " 1 /DEP SCALING\n"
            " 1 /DRAW AXES\n"
            " 0 /DRAW GRID\n"
            " 1 /INTERACTIVE MODE\n"
            " 1 /TIC SPACING CENTIMETERS\n"
            " 1 /DRAW NO-DATA VALUES\n"
            " 2   5  12 /COLOR MODES\n"
            " 0 /SINGLE BUFFERED\n"
            " 1 /SAVE HARDCOPY FILE\n"
            " 1 /COLOR POSTSCRIPT\n"
            " 1 /DOMAIN BOUNDARY\n"
            " 1 /REDRAW KEEP FILES\n"
            " 0 0 0 /MONO CONTOURS WITH LABELS, PAPER-SIZE\n"
            "  24 /NUMBER OF X-AXIS INTERVALS\n"
            "  18 /NUMBER OF Y-AXIS INTERVALS\n"
            "           0.00 /XMIN\n"
            "           1.00 /XMAX\n"
            "           0.00 /YMIN\n"
            "           1.00 /YMAX\n"
            "        0.50 /SYMBOL FACTOR\n"
            "        0.71 /ZOOM FACTOR\n"
            "        1.00 /SCALING FACTOR\n"
            " 1        0.00       10.00   1.0 1 /KEY\n"
            "       10.00    1  103     0.010 /VECTORS\n"
            " 0 /SHADING\n"
            "'' /\n"
            "'[]' /\n"
            "'Title' /\n"
            "'' /\n"
            "   0 /NUMBER OF KEEP FILES\n"
            "  0 /NUMBER OF VIEWS\n"
            "0 /not used\n0 /not used\n0 /not used\n0 /not used\n0 /not used\n"
            "0 /not used\n0 /not used\n0 /not used\n0 /not used\n0 /not used\n");
}

TEST_F(SettingsTest, WrittenReadBackAndWrittenAgainIsIdentical) {
  write_file("survey.kep", "MCOL\n  2\n");
  grinit(5, 6, "Korvel_4.01", false);
  PlotState& c = grcomn;
  c.in = {1, 0, 0, 1, 0, 1, 0, 0, 1, 0, 1, 0, 1, 1, 0};
  c.colour.mode = 3;
  c.colour.bank = 7;
  c.colour.ncolgr = 15;
  c.nxingr = 30;
  c.nyingr = 20;
  grvalu8("XORGR", 2600000.0);
  grvalu8("YORGR", 1200000.0);
  grsset(123.456, 987.654, -20.5, 400.251);
  c.symfgr = 0.75f;
  c.zoom = 0.5f;
  c.scaling = 1.25f;
  c.ikeygr = 2;
  c.display = {12.5f, 3.25f, 1.5f, 2, 20.0f, 4, 101, 0.125f, 1, {1, 0}};
  grcomt.filngr = fixed_width("river.xyz", 80);
  grcomt.firmgr = fixed_width("[Survey & Co]", 80);
  grcomt.titlgr = fixed_width("Bob's river", 80);
  grcomt.subtitle = fixed_width("Bed Level [m]", 80);
  keeplist.entries = {{"survey.kep", kKeepForeground}};
  c.views = {{fixed_width("bridge", 16), 24, 18, 2600100.0, 2600350.5, 1200020.0, 1200200.25},
             {fixed_width("zone 32", 16), 30, 20, 32512345.128, 32512400.0, 5801234.5, 5801300.0}};
  ASSERT_TRUE(grwset());
  const std::string first = read_file(kSettingsFile);

  fresh_run();
  grinit(5, 6, "Korvel_4.01", false);
  // The new run starts at origin 0: the absolute window is back, to two
  // decimals.
  EXPECT_NEAR(grcomn.xmingr, 2600123.46, 1e-6);
  EXPECT_NEAR(grcomn.xmaxgr, 2600987.65, 1e-6);
  EXPECT_NEAR(grcomn.ymingr, 1199979.50, 1e-6);
  EXPECT_NEAR(grcomn.ymaxgr, 1200400.25, 1e-6);
  // Every other setting (the title, the colour modes, the views with their
  // wide co-ordinates, the keep list) was read if it is written again as
  // it was: none of them is the default.
  ASSERT_TRUE(grwset());
  EXPECT_EQ(read_file(kSettingsFile), first);
  // Moving the origin afterwards keeps the same absolute area in view.
  grvalu8("XORGR", 2600000.0);
  EXPECT_NEAR(grcomn.xmingr + grcomn.xorgr, 2600123.46, 1e-6);
}

TEST_F(SettingsTest, OutOfRangeValuesAreCorrectedAfterReading) {
  std::vector<std::string> l = default_lines();
  l[8] = " 0   5  40 /COLOR MODES";
  l[15] = "   3 /NUMBER OF X-AXIS INTERVALS";
  l[16] = "1000 /NUMBER OF Y-AXIS INTERVALS";
  l[21] = "        0.02 /SYMBOL FACTOR";
  l[23] = "        0.00 /SCALING FACTOR";
  l[24] = " 1       -3.00         NaN   1.0 1 /KEY";
  l[25] = "        0.01   25  103     0.010 /VECTORS";
  l[32] = "  1 /NUMBER OF VIEWS";
  l.insert(l.begin() + 33, "'narrow'   3   4     0.000   100.000     0.000   100.000");
  write_lines(l);
  grinit(5, 6, "Korvel_4.01", false);
  const PlotState& c = grcomn;
  ASSERT_EQ(c.views.size(), 1u);
  const DisplaySettings& d = c.display;
  EXPECT_EQ((std::vector<double>{double(c.colour.mode), double(c.colour.ncolgr), double(c.nxingr), double(c.nyingr),
                                 c.symfgr, c.scaling, d.key_x, d.key_y, d.vector_scale, double(d.vector_count),
                                 double(c.views[0].nxingr), double(c.views[0].nyingr)}),
            (std::vector<double>{2, 19, 6, kMaxIntervals, 0.1f, 1, 0, 0, 0.1f, 10, 6, 6}));
  // Colour modes and banks far outside their ranges (the magnitude of the
  // most negative integer has no int) are replaced before any colour is
  // looked up through them.
  for (const char* modes : {"-2147483648 5  12 /COLOR MODES", " 7 2147483647  12 /COLOR MODES"}) {
    l[8] = modes;
    write_lines(l);
    fresh_run();
    grinit(5, 6, "Korvel_4.01", false);
    EXPECT_EQ(grcomn.colour.mode, 2) << modes;
    EXPECT_EQ(grcomn.colour.bank, 5) << modes;
    const int k = palette_index(7);
    EXPECT_TRUE(k >= 0 && k < kPaletteSize) << modes;
  }
}

TEST_F(SettingsTest, BrokenOrShortFilesKeepTheDefaultsTheyLack) {
  std::vector<std::string> base = default_lines();
  base[3] = " 0 /DRAW AXES";                            // read before every break below
  base[15] = "  30 /NUMBER OF X-AXIS INTERVALS";
  base[29] = "'My title' /";
  base[32] = "  1 /NUMBER OF VIEWS";
  base.insert(base.begin() + 33, "'v1'  24  18     0.000   100.000     0.000   100.000");

  struct Case {
    const char* what;
    std::size_t cut_at;       // lines kept (from the start)
    std::size_t garbage_at;   // line replaced by garbage (or npos)
    bool axes, intervals, title, view;
  };
  const std::size_t none = std::string::npos;
  const Case cases[] = {
      {"empty file", 0, none, false, false, false, false},
      {"ends after the interval counts", 17, none, true, true, false, false},
      {"letters for the colour modes", base.size(), 8, true, false, false, false},
      {"asterisks in a window line", base.size(), 18, true, true, false, false},
      {"title without its apostrophes", base.size(), 29, true, true, false, false},
      {"keep count unreadable", base.size(), 31, true, true, true, false},
      {"complete", base.size(), none, true, true, true, true},
  };
  for (const Case& k : cases) {
    SCOPED_TRACE(k.what);
    std::vector<std::string> l(base.begin(), base.begin() + long(k.cut_at));
    if (k.garbage_at != none) l[k.garbage_at] = k.garbage_at == 18 ? "***************" : "xx yy /";
    write_lines(l);
    fresh_run();
    grinit(5, 6, "Korvel_4.01", false);
    EXPECT_EQ(grcomn.in[2], k.axes ? 0 : 1);
    EXPECT_EQ(grcomn.nxingr, k.intervals ? 30 : 24);
    EXPECT_EQ(grcomt.titlgr, fixed_width(k.title ? "My title" : "Title", 80));
    EXPECT_EQ(grcomn.views.size(), k.view ? 1u : 0u);
    // Whatever was read, the window is usable.
    EXPECT_GE(grcomn.xmaxgr, grcomn.xmingr + 1);
    EXPECT_GE(grcomn.ymaxgr, grcomn.ymingr + 1);
  }
}

TEST_F(SettingsTest, KeepListDropsMissingFilesAndMendsStates) {
  write_file("a.kep", "x\n");
  write_file("b.pgm", "x\n");
  std::vector<std::string> l = default_lines();
  l[31] = "   3 /NUMBER OF KEEP FILES";
  l.insert(l.begin() + 32, {"'a.kep'  2 /", "'gone.kep'  3 /", "'b.pgm'  0 /"});
  write_lines(l);
  grinit(5, 6, "Korvel_4.01", false);
  ASSERT_EQ(keeplist.entries.size(), 2u);
  EXPECT_EQ(keeplist.entries[0].state, kKeepBackground);
  EXPECT_EQ(keeplist.entries[1].name, "b.pgm");
  EXPECT_EQ(keeplist.entries[1].state, kKeepForeground);
  // An entry line that cannot be read empties the list.
  l[33] = "gone.kep 3";
  write_lines(l);
  fresh_run();
  grinit(5, 6, "Korvel_4.01", false);
  EXPECT_TRUE(keeplist.entries.empty());
}

TEST_F(SettingsTest, FailedWriteKeepsTheOldFile) {
  grinit(5, 6, "Korvel_4.01", false);
  ASSERT_TRUE(grwset());
  const std::string before = read_file(kSettingsFile);
  std::filesystem::create_directory(std::string(kSettingsFile) + ".new");
  write_file(std::string(kSettingsFile) + ".new/x", "blocks the scratch name");
  grcomn.nxingr = 40;
  EXPECT_FALSE(grwset());
  EXPECT_EQ(read_file(kSettingsFile), before);
}

}  // namespace
