#pragma once
// The display buffer (grdisp): text lines collected one by one and shown
// together in a text page (grtext, with Save and Done).
//
// A routine that produces a listing line by line sends each line to grdisp;
// the line "/disp" shows what was collected and empties the buffer. When
// the buffer is full (50000 lines) the page is shown at once and the
// buffer emptied, so nothing is lost and nothing is written past its end.
//
//   sketra::grdisp("/Nodes");
//   sketra::grdisp("  2600010.00  1200020.00    412.30");
//   sketra::grdisp("/disp");   // a text page with both lines

#include <string>
#include <string_view>
#include <vector>

namespace sketra {

inline constexpr int kDisplayLines = 50000;  // lines the buffer holds
inline constexpr int kDisplayWidth = 64;     // characters kept of a line

// The lines collected so far (each at most kDisplayWidth characters).
struct DisplayBuffer {
  std::vector<std::string> lines;
};
extern DisplayBuffer display_buffer;
void display_buffer_reset();

// Adds a line, or shows the buffer for the line "/disp" (see above).
void grdisp(std::string_view line);

}  // namespace sketra
