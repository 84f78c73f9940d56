#pragma once
// The point editor on a small store of the test's own: the columns, the
// edges and the EditData over them, the recording driver with the window
// open, and a way to run one of the mode's entries with script answers.
//
// A test sets its capacities and options in its constructor, adds points
// with `point` and runs entry k (1-based) with `entry`.

#include <array>
#include <cstdint>
#include <string>
#include <vector>

#include "sketra/base/script.h"
#include "sketra/base/units.h"
#include "sketra/kernel/plot.h"
#include "sketra/modes/editor/editor_viewer.h"
#include "sketra/ui/dialogs.h"
#include "support/recording.h"
#include "support/testdir.h"

namespace korvel::testing {

// What differs between editor tests: capacities, origin, output.
struct EditorOptions {
  std::int32_t capacity = 1000;   // points and edges the store may hold
  double origin_x = 2600000.0;    // the store origin
  double origin_y = 1200000.0;
  bool output_unit = true;        // the editor's output goes to out.txt
  bool unit_mapping = true;       // world = device co-ordinates
};

class EditorFixture : public WithRecordingDriver {
 protected:
  // Short names for the columns' types in the tests.
  using Edge = korvel::Edge;
  using Edges = std::vector<Edge>;
  using Codes = std::vector<std::int32_t>;
  using V = std::vector<float>;
  using Entries = std::vector<std::string>;

  EditorFixture() : EditorFixture(EditorOptions{}) {}
  explicit EditorFixture(EditorOptions o) : options_(o), d{x, y, z, code, seg, o.capacity, o.capacity} {}

  void SetUp() override {
    WithRecordingDriver::SetUp();
    sketra::set_dialog_ui(nullptr);
    if (options_.output_unit) {
      ASSERT_TRUE(sketra::unit_open(40, "out.txt", sketra::FileStatus::unknown));
      sketra::grcomn.joutgr = 40;
    }
    sketra::grvalu8("XORGR", options_.origin_x);
    sketra::grvalu8("YORGR", options_.origin_y);
    if (options_.unit_mapping) use_unit_mapping();
  }

  void point(float px, float py, float pz = 0, std::int32_t c = 101) {
    x.push_back(px), y.push_back(py), z.push_back(pz), code.push_back(c);
  }
  void clear() { x.clear(), y.clear(), z.clear(), code.clear(), seg.clear(); }

  // Runs entry k (1-based) with the cursor at (cx, cy) after queueing
  // `script`; returns what the entry asked of the loop.
  sketra::ViewRequest entry(int k, const std::vector<std::string>& script = {}, float cx = 0, float cy = 0) {
    sketra::grscpt(script);
    sketra::grcomn.xcrsgr = cx, sketra::grcomn.ycrsgr = cy;
    sketra::ViewContext v{-k, w, cx, cy};
    sketra::editor_entries(d)[std::size_t(k - 1)].run(v);
    return v.requested();
  }

  // What the editor wrote to its output unit.
  std::string output() {
    sketra::unit_close(40);
    return read_file("out.txt");
  }

 private:
  EditorOptions options_;

 protected:
  std::vector<float> x, y, z;
  std::vector<std::int32_t> code;
  std::vector<Edge> seg;
  sketra::EditData d;
  std::array<double, 4> w{};
};

}  // namespace korvel::testing
