// The Alter entry of the editor: an operation on z inside a polygon, on
// every point or from a file of operations and polygons; random shifts of
// x and y; z from a table of x; moving the point nearest to the cursor.

#include <cctype>
#include <cmath>

#include "sketra/base/textfmt.h"
#include "sketra/base/units.h"
#include "sketra/kernel/linear_table.h"
#include "sketra/kernel/plot.h"
#include "sketra/modes/common/alter.h"
#include "sketra/modes/common/polygons.h"
#include "sketra/modes/editor/editor_internal.h"
#include "sketra/ui/dialogs.h"
#include "sketra/ui/menus.h"

namespace sketra {

namespace {

constexpr std::size_t kTableRows = 8000000;
constexpr int kFunctionMark = -501;

struct Operation {
  int op = kOpNone;
  float a = 0;
};

// The operation of the text `cop`; "unknown operation" when it does not read.
bool parse(std::string_view text, Operation& o) {
  o.op = igetop(text, o.a);
  if (o.op == kOpNone) grmesg("unknown operation: " + std::string(trim(text)));
  return o.op != kOpNone;
}

void apply(EditData& d, std::int32_t i, const Operation& o) {
  int status = 0;
  const float v = valoper(d.pz(i), o.a, o.op, status);
  if (status != 2) d.pz(i) = v;
}

// Applies o to the live points inside p; the number changed.
std::int64_t apply_inside(EditData& d, const Polygon& p, const Operation& o) {
  std::int64_t n = 0;
  if (p.count() < 3) return 0;
  for (std::int32_t i = 1; i <= d.np(); ++i)
    if (d.pcode(i) > 0 && igpoly(p.x, p.y, d.px(i), d.py(i)) == 1) apply(d, i, o), ++n;
  return n;
}

bool ask_operation() {
  std::string text = gredst.cop;
  grinpa("Operation (e.g. +2.0)", text);
  Operation o;
  if (!parse(text, o)) return false;
  gredst.cop = std::string(trim(text)).substr(0, 32);
  return true;
}

bool fill(EditData& d) {
  Operation o;
  if (!parse(gredst.cop, o)) return false;
  Polygon p;
  if (igplyp(p, kPolygonCapacity, grcomn.joutgr) == 0) return false;
  return apply_inside(d, p, o) > 0;
}

bool all(EditData& d) {
  Operation o;
  if (!parse(gredst.cop, o)) return false;
  for (std::int32_t i = 1; i <= d.np(); ++i)
    if (d.pcode(i) > 0) apply(d, i, o);
  return true;
}

// The operation after the first word of a line ("FILL =500"); o is left
// alone when the line holds none.
bool line_operation(std::string_view line, Operation& o) {
  line = trim(line);
  const std::size_t blank = line.find(' ');
  if (blank == std::string_view::npos) return false;
  Operation found;
  found.op = igetop(line.substr(blank), found.a);
  if (found.op == kOpNone) return false;
  o = found;
  return true;
}

// Read: each operation line of the file applies to the polygons after it.
bool read_operations(EditData& d) {
  std::string name, filter;
  if (!gropn(name, filter, kEditorReadUnit)) return false;
  bool changed = false;
  std::string_view line;
  Operation o;
  bool have = false;
  while (unit_read(kEditorReadUnit, line)) {
    if (line_operation(line, o)) {
      have = true;
      continue;
    }
    if (!have) continue;
    unit_backspace(kEditorReadUnit);
    Polygon p;
    const int status = igplyf(kEditorReadUnit, p, kPolygonCapacity);
    if (status == kPolygonFull || (status == kPolygonOtherLine && p.count() == 0)) {
      grmesg(polygon_file_problem(kEditorReadUnit, status, kPolygonCapacity));
      break;
    }
    changed = apply_inside(d, p, o) > 0 || changed;
    if (status == kPolygonEndOfFile) break;
  }
  unit_close(kEditorReadUnit);
  return changed;
}

bool randomise(EditData& d) {
  float dist = gredst.random;
  if (!grinpf("Random distance [m]", dist)) return false;
  if (!std::isfinite(dist) || std::fabs(dist) > detail::kFormLimit) {
    grmesg("bad value for Random distance [m]");
    return false;
  }
  gredst.random = dist;
  int seed = -1;
  for (std::int32_t i = 1; i <= d.np(); ++i) {
    if (d.pcode(i) <= 0) continue;
    d.px(i) += 2 * (rgrand(seed) - 0.5f) * dist;
    d.py(i) += 2 * (rgrand(seed) - 0.5f) * dist;
  }
  return true;
}

bool ends_table(std::string_view line) {
  line = trim(line);
  if (line.empty() || line.front() == '#' || line.substr(0, 2) == ">>") return true;
  std::string w(line.substr(0, 3));
  for (char& c : w) c = char(std::tolower(static_cast<unsigned char>(c)));
  return w == "end";
}

// Function: z from a table of absolute x (first column) and z (second).
bool function(EditData& d) {
  std::string name, filter;
  if (!grfile(name, filter) || trim(name).empty()) return false;
  LineReader r;
  if (!r.open(name)) {
    grmesg("File not found: " + name);
    return false;
  }
  std::vector<float> t, v;
  std::string_view line;
  while (t.size() < kTableRows && r.next(line) && !ends_table(line)) {
    double xy[2] = {};
    if (!read_reals(line, xy).complete(2) || !std::isfinite(xy[0]) || !std::isfinite(xy[1])) break;
    t.push_back(float(xy[0] - grcomn.xorgr));  // relative, as the points are
    v.push_back(float(xy[1]));
  }
  if (t.empty()) {
    grmesg("no table rows in " + name + ": nothing changed");
    return false;
  }
  const LinearTable table(t, v);
  for (std::int32_t i = 1; i <= d.np(); ++i) {
    if (d.pcode(i) <= 0) continue;
    d.pz(i) = table(d.px(i)).value;
    detail::mark_point(d.px(i), d.py(i), kFunctionMark);
  }
  return true;
}

// Move_man / Move_num: the point nearest to (x, y) gets a new position.
bool move_point(EditData& d, float x, float y, bool numeric) {
  grcomn.xcrsgr = x, grcomn.ycrsgr = y;
  grmesg("move cursor to node/vertex");
  const std::int32_t i = igrnear(d, 0);
  if (i == 0) return false;
  if (!numeric) {
    float nx = 0, ny = 0;
    if (!detail::click("move cursor to new location", nx, ny)) return false;
    d.px(i) = nx, d.py(i) = ny;
    return true;
  }
  std::string prompts[] = {"x-coordinate", "y-coordinate", "Height"};
  std::string values[] = {number_field(double(d.px(i)) + grcomn.xorgr, 3), number_field(double(d.py(i)) + grcomn.yorgr, 3),
                          number_field(d.pz(i), 3)};
  if (!grinfo(prompts, values)) return false;
  double n[3] = {};
  for (int k = 0; k < 3; ++k)
    if (!detail::form_number(prompts[k], values[k], n[k])) return false;
  d.px(i) = float(n[0] - grcomn.xorgr), d.py(i) = float(n[1] - grcomn.yorgr), d.pz(i) = float(n[2]);
  return true;
}

}  // namespace

namespace detail {

void alter_menu(ViewContext& v, EditData& d) {
  for (;;) {
    const std::vector<std::string> captions = {" OOperator",  " FFill  ",   " AAll   ",   " RRead  ",
                                               " RRandomize", " SSpline",   "  Function", "<MMove_man",
                                               "<MMove_num",  " DDone  "};
    int sel = kMenuColumn;
    float x = 0, y = 0;
    grcurs(captions, sel, x, y);
    bool changed = false;
    switch (sel) {
      case 1: ask_operation(); break;
      case 2: changed = fill(d); break;
      case 3: changed = all(d); break;
      case 4: changed = read_operations(d); break;
      case 5: changed = randomise(d); break;
      case 6: changed = detail::spline(d); break;
      case 7: changed = function(d); break;
      case 8: changed = move_point(d, x, y, false); break;
      case 9: changed = move_point(d, x, y, true); break;
      case 10: v.request(ViewRequest::replot); return;
      default:
        if (sel == kMenuNothing && nobody_answers()) return;
        break;
    }
    if (changed) {
      v.request(ViewRequest::repeat);
      return;
    }
  }
}

}  // namespace detail

}  // namespace sketra
