#pragma once
// Test support: a tiny display mode for the control loop.
//
// It reports fixed data extents (absolute co-ordinates), draws a filled
// square and a diagonal, declares its own menu entries (each handler
// records code -k), and records every view code it is called with and the
// point handed to it, so tests can drive grctrl through the script queue
// and check the protocol.
//
//   TestMode mode;
//   mode.entries = {" AAlpha", " BBeta"};
//   sketra::grscpt(std::vector<std::string>{"A", "X"});
//   sketra::PlotTitles titles;
//   sketra::grctrl(mode.callback(), 0, titles);
//   // mode.codes == {0, 1, 3, 3, -1, 3}

#include <array>
#include <functional>
#include <string>
#include <vector>

#include "sketra/control/control.h"

namespace korvel::testing {

struct TestMode {
  std::array<double, 4> extents{2600000.0, 2601000.0, 1200000.0, 1200750.0};
  std::vector<std::string> entries;  // captions of the mode's menu entries
  bool claim_clicks = false;         // code 4 asks for a redraw
  int draw_rows = 0;                 // code 1 draws this many rows, asking interrupted() before each
  int rows_drawn = 0;                // rows the last code 1 drew
  std::vector<int> codes;            // every code, entries' -k included, in order
  std::vector<std::array<float, 2>> points;  // (x, y) of codes 2, 4 and -k
  std::vector<std::array<double, 4>> w_seen;  // W at each code 2
  std::function<void(sketra::ViewContext&)> extra;  // more behaviour, after the recording

  sketra::ViewCallback callback();
  // Codes seen since the last call of take_codes, which empties the list.
  std::vector<int> take_codes();

 private:
  void record(sketra::ViewContext& v);
};

}  // namespace korvel::testing
