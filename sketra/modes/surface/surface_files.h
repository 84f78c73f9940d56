#pragma once
// The surface viewer's Map and Write entries: mapping node and unstruct
// files onto the surface, and writing the surface as XYZ, polygon records
// (Attrib, Slope), a TRIANGLE area file, Node/Ele and 2DM. The formats are
// written by app/formats; these routines ask for the files, hand over the
// surface with the plot origin, and say what became of it.

#include <functional>
#include <string>
#include <utility>

#include "app/formats/format_io.h"
#include "sketra/modes/surface/surface_viewer.h"

namespace sketra::detail {

// Units of the files that Map reads and Map and Write write.
inline constexpr int kSurfaceReadUnit = 16;
inline constexpr int kSurfaceWriteUnit = 17;

// The Map and Write submenus (entries 5 and 7 of the viewer).
void map_menu(SurfaceView& s, ViewContext& v);
void write_menu(const SurfaceData& s);

// The gradient of the plane through three corners, as a ratio (rise over
// run): with n the cross product of the edges from corner 1 to corners 2
// and 3, tan(arccos(|n_z| / |n|)); a degenerate triangle (|n| < 1e-10)
// gives tan(arccos(0)), a huge number.
float slopegr(const float x[3], const float y[3], const float z[3]);

// Writes `name` through a file beside it that replaces it only when
// complete: `write` gets a TextOut on that file (whose messages name
// `name`) and must finish it. Returns the outcome; on a failure `name` is
// as it was and the message says why.
korvel::FileResult write_beside(const std::string& name, const std::function<korvel::FileResult(korvel::TextOut&)>& write);

// True when a submenu's wait for a choice got no answer and none can come:
// nothing queued and no window (a submenu then ends as by Done).
bool nobody_answers(int sel);

// The progress bar of the viewer's long reads and writes: "%1" and the
// text of the step, or one text for every step.
class SurfaceBar : public korvel::Progress {
 public:
  SurfaceBar() = default;
  explicit SurfaceBar(std::string text) : text_(std::move(text)) {}
  void percent(int p, std::string_view what) override;

 private:
  std::string text_;
};

}  // namespace sketra::detail
