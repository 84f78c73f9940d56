// Operations on values, the random number generator and the Alter dialog.

#include "sketra/modes/common/alter.h"

#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <vector>

#include "sketra/base/textfmt.h"
#include "sketra/base/units.h"
#include "sketra/kernel/plot.h"
#include "sketra/modes/common/polygons.h"
#include "sketra/ui/dialogs.h"
#include "sketra/ui/menus.h"

namespace sketra {

AlterState gralt;

void alter_reset() {
  if (unit_is_open(kAlterUnit)) unit_close(kAlterUnit);
  gralt = AlterState{};
}

int igetop(std::string_view text, float& operand) {
  operand = 0;
  const size_t first = text.find_first_not_of(' ');
  if (first == std::string_view::npos) return kOpNone;
  static constexpr std::string_view kOps = "=+-*/<>";
  const size_t op = kOps.find(text[first]);
  if (op == std::string_view::npos) return kOpNone;
  double v = 0;
  const FreeTarget t[] = {&v};
  const FreeResult r = read_free(text.substr(first + 1), t);
  if (r.error || r.filled != 1 || !std::isfinite(v)) return kOpNone;
  operand = float(v);
  return int(op) + 1;
}

float valoper(float v, float a, int op, int& status) {
  status = 0;
  switch (op) {
    case kOpSet: return a;
    case kOpAdd: return v + a;
    case kOpSubtract: return v - a;
    case kOpMultiply: return v * a;
    case kOpDivide:
      if (std::fabs(a) < 1e-30f) {
        status = 1;
        return 0;
      }
      return v / a;
    case kOpMinimum: return std::min(v, a);
    case kOpMaximum: return std::max(v, a);
    default: status = 2; return v;
  }
}

int rgrand_seed(std::string_view stamp) {
  auto digit = [&](size_t k) { return k < stamp.size() && stamp[k] >= '0' && stamp[k] <= '9' ? stamp[k] - '0' : 0; };
  return 8 * digit(16) + digit(18) + digit(19) + 1;
}

float rgrand(int& seed) {
  if (seed == -1) seed = rgrand_seed(grtime());
  const std::int64_t next = (std::int64_t(seed) * 16807) % 2147483647;
  seed = int(next);
  return float(std::llabs(next)) * 4.656613e-10f;
}

// ---------------------------------------------------------------- the dialog

namespace {

constexpr int kMark = -502;  // marker of an altered node

struct Nodes {
  std::span<const float> x, y;
  std::span<float> values, second;
  float empty;
};

void apply_at(const Nodes& n, size_t k) {
  int status = 0;
  if (n.values[k] > n.empty + 0.1f) n.values[k] = valoper(n.values[k], gralt.sval, gralt.iop, status);
  if (k < n.second.size() && n.second[k] > n.empty + 0.1f)
    n.second[k] = valoper(n.second[k], gralt.sval, gralt.iop, status);
}

bool operation_defined() {
  if (gralt.iop != kOpNone) return true;
  grmesg("Operation not defined");
  return false;
}

void apply_inside(const Nodes& n, const Polygon& p) {
  if (p.x.empty()) return;
  const size_t count = std::min({n.x.size(), n.y.size(), n.values.size()});
  for (size_t k = 0; k < count; ++k) {
    if (!p.box.contains(n.x[k], n.y[k]) || igpoly(p.x, p.y, n.x[k], n.y[k]) != 1) continue;
    apply_at(n, k);
    grmov2(n.x[k], n.y[k]);
    grsymb(kMark);
  }
  grdump();
}

void ask_operation() {
  if (!gralt.cop.empty() && gralt.cop.find_first_not_of(' ') != std::string::npos &&
      gralt.cop[gralt.cop.find_first_not_of(' ')] == '/')
    gralt.cop = "+2.0";
  std::string text = gralt.cop;
  grinpa("Operation (e.g. +2.0)", text);
  gralt.cop = fixed_width(text, 32);
  while (!gralt.cop.empty() && gralt.cop.back() == ' ') gralt.cop.pop_back();
  gralt.iop = igetop(gralt.cop, gralt.sval);
  if (gralt.iop == kOpNone) {
    grmesg("Operation not defined");
    return;
  }
  const char op = "=+-*/<>"[gralt.iop - 1];
  const float a = gralt.sval;
  grmesg(std::string("Operation: ") + op + (std::fabs(a) > 0.01f ? fmt_f(a, 12, 4) : fmt_e(a, 12, 4)));
}

// The operation a line of the Alter file carries after its first word
// (kOpNone when it carries none).
int line_operation(std::string_view line, float& operand) {
  const std::string_view t = trim_right(line);
  const size_t w = t.find_first_not_of(' ');
  if (w == std::string_view::npos) return kOpNone;
  const size_t end = t.find(' ', w);
  if (end == std::string_view::npos) return kOpNone;
  return igetop(t.substr(end), operand);
}

// True when the next line of the Alter file, left unread, carries an
// operation: the start of the next Fill, where a polygon may end.
bool next_line_is_operation() {
  std::string_view line;
  if (!unit_read(kAlterUnit, line)) return false;
  float a = 0;
  const bool op = line_operation(line, a) != kOpNone;
  unit_backspace(kAlterUnit);
  return op;
}

void end_file_mode() {
  unit_close(kAlterUnit);
  gralt.lfile = false;
}

// Fill from the file: the next line that carries an operation after its
// first word, then its polygons up to a line that is not a vertex. A
// polygon broken by a bad line, or too long, ends the file mode: nothing
// of it is applied, and what follows in the file is not trusted either.
void fill_from_file(const Nodes& n) {
  std::string_view line;
  for (;;) {
    if (!unit_read(kAlterUnit, line)) {
      end_file_mode();
      grmesg("end of file " + gralt.file);
      return;
    }
    float a = 0;
    const int op = line_operation(line, a);
    if (op == kOpNone) continue;
    gralt.iop = op;
    gralt.sval = a;
    break;
  }
  Polygon p;
  int status = kPolygonSeparator;
  while (status == kPolygonSeparator) {
    status = igplyf(kAlterUnit, p, kPolygonCapacity);
    const bool bad_line = status == kPolygonOtherLine && !next_line_is_operation();
    if (bad_line || status == kPolygonFull) {
      grmesg(polygon_file_problem(kAlterUnit, status, kPolygonCapacity));
      end_file_mode();
      return;
    }
    apply_inside(n, p);
  }
}

void fill(const Nodes& n) {
  if (gralt.lfile && unit_is_open(kAlterUnit)) {
    fill_from_file(n);
    return;
  }
  if (!operation_defined()) return;
  const int out = grcomn.joutgr;
  unit_write(out, "FILL " + gralt.cop);
  Polygon p;
  if (igplyp(p, kPolygonCapacity, out) == 0) return;
  apply_inside(n, p);
}

void read_file() {
  std::string name, filter;
  if (!gropn(name, filter, kAlterUnit)) return;
  gralt.lfile = true;
  gralt.file = name;
}

void randomise(const Nodes& n) {
  float d = 0;
  if (!grinpf("size of data range", d)) return;
  int seed = -1;
  const size_t count = n.values.size();
  for (size_t k = 0; k < count; ++k) {
    const float r = rgrand(seed);
    if (n.values[k] > n.empty + 0.1f) n.values[k] += (r - 0.5f) * d;
  }
}

void help() {
  const std::vector<std::string> lines = {
      "ALTER options:",
      "  Operator  defines the point operation; valid operations:",
      "            =1.0 (set), +1.0 (add), -1.0 (subtract),",
      "            *1.0 (multiply), /1.0 (divide), where 1.0",
      "            stands for an arbitrary real number",
      "  Fill      applies the operator to points in a polygon",
      "  All       applies the operator to all points",
      "  Read      reads operator and polygon from file",
      "  Random    moves values within a given range",
      "  Replot    replots the picture",
      "  Done      back to the display options"};
  grtext(lines);
}

}  // namespace

int gralter(std::span<const float> x, std::span<const float> y, std::span<float> values,
            std::span<float> second, float empty) {
  const Nodes n{x, y, values, second, empty};
  const std::vector<std::string> captions = {" OOperator", " FFill",   " AAll", "  Read",
                                             " RRandom",   " RReplot", " ??",   " DDone"};
  for (;;) {
    int sel = kMenuColumn;
    float cx = 0, cy = 0;
    grcurs(captions, sel, cx, cy);
    switch (sel) {
      case 1: ask_operation(); break;
      case 2: fill(n); break;
      case 3:
        if (operation_defined())
          for (size_t k = 0; k < values.size(); ++k) apply_at(n, k);
        break;
      case 4: read_file(); break;
      case 5: randomise(n); break;
      case kAlterReplot: return kAlterReplot;
      case 7: help(); break;
      case kAlterDone: return kAlterDone;
      default: break;
    }
  }
}

}  // namespace sketra
