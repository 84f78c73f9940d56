// Marker symbols and texts at the current point.
//
// A marker is a walk of pen strokes starting and ending at the last
// buffered device point: each stroke moves the pen by (dx, dy) symbol-table
// units times SYMFGR pixels (dy downwards), either drawing (pen 1, appended
// to the polyline buffer) or jumping (pen 0, a new polyline starts there).

#include <array>
#include <cmath>
#include <cstdlib>

#include "sketra/kernel/plot_internal.h"

namespace sketra {

namespace {

struct Stroke {
  signed char dx, dy, pen;
};

// Stroke table of the fifteen shapes (index = shape number - 1).
constexpr Stroke kShape1[] = {{0, -4, 1}, {-2, 0, 1}, {-2, 2, 1}, {0, 4, 1},  {2, 2, 1}, {4, 0, 1},
                              {2, -2, 1}, {0, -4, 1}, {-2, -2, 1}, {-2, 0, 1}, {0, 4, 0}};
constexpr Stroke kShape2[] = {{0, -4, 1}, {-4, 0, 1}, {0, 8, 1}, {8, 0, 1},
                              {0, -8, 1}, {-4, 0, 1}, {0, 4, 0}};
constexpr Stroke kShape3[] = {{0, -4, 1}, {-4, 8, 1}, {8, 0, 1}, {-4, -8, 1}, {0, 4, 0}};
constexpr Stroke kShape4[] = {{0, -4, 0}, {0, 8, 1}, {-4, -4, 0}, {8, 0, 1}, {-4, 0, 0}};
constexpr Stroke kShape5[] = {{-4, -4, 0}, {8, 8, 1}, {0, -8, 0}, {-8, 8, 1}, {4, -4, 0}};
constexpr Stroke kShape6[] = {{0, -4, 1}, {-4, 4, 1}, {4, 4, 1}, {4, -4, 1}, {-4, -4, 1}, {0, 4, 0}};
constexpr Stroke kShape7[] = {{0, 4, 0}, {0, -8, 1}, {-4, 4, 1}, {8, 0, 1}, {-4, -4, 1}, {0, 4, 0}};
constexpr Stroke kShape8[] = {{-4, 4, 0}, {8, -8, 1}, {-8, 0, 1}, {8, 8, 1}, {-4, -4, 0}};
constexpr Stroke kShape9[] = {{-4, -4, 0}, {8, 0, 1}, {-8, 8, 1}, {8, 0, 1},
                              {0, -4, 0},  {-8, 0, 1}, {4, 0, 0}};
constexpr Stroke kShape10[] = {{-4, -4, 0}, {4, 4, 1}, {4, -4, 1}, {-4, 4, 0}, {0, 4, 1}, {0, -4, 0}};
constexpr Stroke kShape11[] = {{-4, -4, 0}, {8, 8, 1}, {0, -8, 0}, {-8, 8, 1}, {2, -2, 0},
                               {0, -4, 1},  {4, 0, 1}, {0, 4, 1},  {-4, 0, 1}, {2, -2, 0}};
constexpr Stroke kShape12[] = {{-4, -4, 0}, {8, 8, 1}, {0, -8, 0}, {-8, 8, 1}, {0, -4, 0},
                               {8, 0, 1},   {-4, -4, 0}, {0, 8, 1}, {0, -4, 0}};
constexpr Stroke kShape13[] = {{-4, -4, 1}, {8, 0, 1}, {-8, 8, 1}, {8, 0, 1}, {-4, -4, 1}};
constexpr Stroke kShape14[] = {{0, -4, 0}, {0, 8, 1}, {0, -4, 0}};
constexpr Stroke kShape15[] = {{-2, -4, 0}, {2, 8, 1},  {2, -8, 1}, {-6, 6, 1},
                               {8, 0, 1},   {-6, -6, 1}, {2, 8, 1}, {0, -4, 0}};

constexpr std::array<std::span<const Stroke>, 15> kShapes = {
    kShape1, kShape2,  kShape3,  kShape4,  kShape5,  kShape6,  kShape7, kShape8,
    kShape9, kShape10, kShape11, kShape12, kShape13, kShape14, kShape15};

// Pen position after a stroke, truncated toward zero; a step that would
// leave the representable range (absurd symbol factors) is not taken.
int step_pixel(int from, double delta) {
  const double v = std::trunc(from + delta);
  return v > -1e9 && v < 1e9 ? int(v) : from;
}

void draw_text(std::string_view text, float height) {
  PlotState& c = grcomn;
  if (!c.pen.inside || text.find_first_not_of(' ') == std::string_view::npos) return;
  if (is_file_mode(c.imodgr)) {
    if (FileDevice* dev = detail::file_device()) dev->text(text, {c.pen.x, c.pen.y, c.pen.z}, height);
    return;
  }
  const DisplayText shown = text_for_display(text);
  if (shown.text.empty()) return;
  const PolylineBuffer& b = c.polyline;
  DevicePoint at = b.count > 0 ? b.points[size_t(b.count - 1)] : world_to_device(c.pen.x, c.pen.y);
  if (shown.centred) at.x -= (kFontWidth / 2) * int(shown.text.size());
  grdump();
  if (detail::window_live()) driver().text(at, shown.text);
}

}  // namespace

void grsymb(int code) {
  PlotState& c = grcomn;
  int shape = int(std::llabs((long long)code) % 100);
  if (shape == 0) return;
  if (shape > 15) shape = 15;
  if (is_file_mode(c.imodgr)) {
    if (FileDevice* dev = detail::file_device()) dev->symbol(code, {c.pen.x, c.pen.y, c.pen.z});
    return;
  }
  grcolr(code / 100);
  const PolylineBuffer& b = c.polyline;
  if (!c.pen.inside || b.count == 0) return;
  DevicePoint pen = b.points[size_t(b.count - 1)];
  const double f = c.symfgr;
  for (const Stroke& s : kShapes[size_t(shape - 1)]) {
    pen.x = step_pixel(pen.x, s.dx * f);
    pen.y = step_pixel(pen.y, s.dy * f);
    if (s.pen == 0)
      detail::buffer_restart(pen);
    else
      detail::buffer_append(pen);
  }
}

DisplayText text_for_display(std::string_view text) {
  DisplayText out;
  if (text.starts_with("~~")) {
    text.remove_prefix(2);
    const size_t first = text.find_first_not_of(' ');
    text.remove_prefix(first == std::string_view::npos ? text.size() : first);
    out.centred = true;
  }
  const size_t last = text.find_last_not_of(' ');
  out.text = std::string(text.substr(0, last == std::string_view::npos ? 0 : last + 1));
  return out;
}

void granot(std::string_view text, float angle) { draw_text(text, 3.0f); }

void grano2(std::string_view text, float angle, float size) { draw_text(text, size * 0.25f); }

}  // namespace sketra
