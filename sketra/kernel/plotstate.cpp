// The plot state and its named variables.
//
// grcomn and grcomt are the kernel's only state. The application reaches the
// variables by name through grvalu / grvalu8; the name table below maps
// each name onto its field together with the rule for assignment (integers
// rounded or truncated, texts cut or padded, the origin shifting the
// window, NSCRGR setting the script queue's length).

#include <cmath>
#include <limits>
#include <map>

#include "sketra/base/fatal.h"
#include "sketra/base/script.h"
#include "sketra/base/textfmt.h"
#include "sketra/kernel/plot_internal.h"

namespace sketra {

PlotState grcomn;
PlotText grcomt;

namespace detail {
void drop_file_device();
}

namespace {

enum class Kind { Double, Float, IntRound, IntTrunc, Text, Origin, ScriptLength };

struct VarRef {
  Kind kind = Kind::Float;
  void* field = nullptr;
  int width = 0;  // text fields; for Origin the axis (0 x, 1 y)
};

PlotText default_text() {
  PlotText t;
  t.titlgr = fixed_width("Title", kTitleWidth);
  t.subtitle = fixed_width("", kTitleWidth);
  t.dategr = fixed_width("", kDateWidth);
  t.auxcgr = fixed_width("", kAuxCaptionWidth);
  t.wnabgr = fixed_width("", kIconNameWidth);
  t.prntgr = fixed_width("$SKETRA_PRINT ", kPrintCommandWidth);
  t.firmgr = fixed_width("[]", kFirmWidth);
  t.filngr = fixed_width("", kFileNameWidth);
  t.xlabel = fixed_width("", kAxisLabelWidth);
  t.ylabel = fixed_width("", kAxisLabelWidth);
  t.shape_base = fixed_width("", kShapeBaseWidth);
  t.progname = fixed_width("", kProgramNameWidth);
  return t;
}

using Table = std::map<std::string, VarRef, std::less<>>;

Table build_table() {
  PlotState& c = grcomn;
  PlotText& t = grcomt;
  Table m;
  m["XORGR"] = {Kind::Origin, &c.xorgr, 0};
  m["YORGR"] = {Kind::Origin, &c.yorgr, 1};
  m["XMINGR"] = {Kind::Double, &c.xmingr};
  m["XMAXGR"] = {Kind::Double, &c.xmaxgr};
  m["YMINGR"] = {Kind::Double, &c.ymingr};
  m["YMAXGR"] = {Kind::Double, &c.ymaxgr};
  m["XMNCGR"] = {Kind::Double, &c.xmncgr};
  m["XMXCGR"] = {Kind::Double, &c.xmxcgr};
  m["YMNCGR"] = {Kind::Double, &c.ymncgr};
  m["YMXCGR"] = {Kind::Double, &c.ymxcgr};
  m["INDSGR"] = {Kind::IntRound, &c.indsgr};
  for (int k = 1; k <= 12; ++k) {
    std::string name = std::string("IN") + char('0' + k / 10) + char('0' + k % 10) + "GR";
    m[name] = {Kind::IntRound, &c.in[size_t(k - 1)]};
  }
  m["IN15GR"] = {Kind::IntRound, &c.in[14]};
  m["JINGR"] = {Kind::IntRound, &c.jingr};
  m["JOUTGR"] = {Kind::IntRound, &c.joutgr};
  m["JDV1GR"] = {Kind::IntRound, &c.jdv1gr};
  m["JDV2GR"] = {Kind::IntRound, &c.jdv2gr};
  m["JDV3GR"] = {Kind::IntRound, &c.jdv3gr};
  m["IMODGR"] = {Kind::IntRound, &c.imodgr};
  m["IKEYGR"] = {Kind::IntRound, &c.ikeygr};
  m["XCRSGR"] = {Kind::Float, &c.xcrsgr};
  m["YCRSGR"] = {Kind::Float, &c.ycrsgr};
  m["SYMFGR"] = {Kind::Float, &c.symfgr};
  m["XPSGR"] = {Kind::Float, &c.xpsgr};
  m["YPSGR"] = {Kind::Float, &c.ypsgr};
  m["XSCLGR"] = {Kind::Float, &c.xsclgr};
  m["YSCLGR"] = {Kind::Float, &c.ysclgr};
  m["NXINGR"] = {Kind::IntRound, &c.nxingr};
  m["NYINGR"] = {Kind::IntRound, &c.nyingr};
  m["YBEAMGR"] = {Kind::Float, &c.ybeamgr};
  m["XORGGR"] = {Kind::Float, &c.xorggr};
  m["YORGGR"] = {Kind::Float, &c.yorggr};
  m["XFACGR"] = {Kind::Float, &c.xfacgr};
  m["YFACGR"] = {Kind::Float, &c.yfacgr};
  for (int i = 1; i <= 4; ++i) {
    for (int j = 1; j <= 4; ++j) {
      std::string name = "TRANGR(" + std::to_string(i) + "," + std::to_string(j) + ")";
      m[name] = {Kind::Float, &c.trangr[size_t(i - 1)][size_t(j - 1)]};
    }
    m["WNDWGR(" + std::to_string(i) + ")"] = {Kind::IntTrunc, &c.wndwgr[size_t(i - 1)]};
  }
  m["NSCRGR"] = {Kind::ScriptLength, nullptr};
  m["NCOLGR"] = {Kind::IntTrunc, &c.colour.ncolgr};
  m["TITLGR"] = {Kind::Text, &t.titlgr, kTitleWidth};
  m["DATEGR"] = {Kind::Text, &t.dategr, kDateWidth};
  m["AUXCGR"] = {Kind::Text, &t.auxcgr, kAuxCaptionWidth};
  m["WNABGR"] = {Kind::Text, &t.wnabgr, kIconNameWidth};
  m["PRNTGR"] = {Kind::Text, &t.prntgr, kPrintCommandWidth};
  m["FIRMGR"] = {Kind::Text, &t.firmgr, kFirmWidth};
  m["FILNGR"] = {Kind::Text, &t.filngr, kFileNameWidth};
  return m;
}

const VarRef* lookup(std::string_view name) {
  static const Table table = build_table();
  auto it = table.find(trim_right(name));
  return it == table.end() ? nullptr : &it->second;
}

// Float to int without undefined behaviour: NaN gives 0, values beyond the
// int range are clamped.
int to_int(double v) {
  if (std::isnan(v)) return 0;
  constexpr double lo = std::numeric_limits<int>::min();
  constexpr double hi = std::numeric_limits<int>::max();
  return int(std::clamp(v, lo, hi));
}

// New origin o' on one axis: the window and clip bounds of that axis move by
// (o - o') so that the same absolute area stays in view. In pixel mode the
// saved world bounds move instead of the live pixel ones.
void shift_origin(int axis, double value) {
  PlotState& c = grcomn;
  PixelModeSave& s = c.pixel_save;
  if (axis == 0) {
    const double d = value - c.xorgr;
    c.xmaxgr -= d;
    double& xmin = s.live ? s.xmingr : c.xmingr;
    double& xmnc = s.live ? s.xmncgr : c.xmncgr;
    double& xmxc = s.live ? s.xmxcgr : c.xmxcgr;
    xmin -= d;
    xmnc -= d;
    xmxc -= d;
    c.xorgr = value;
  } else {
    const double d = value - c.yorgr;
    c.ymaxgr -= d;
    double& ymin = s.live ? s.ymingr : c.ymingr;
    double& ymnc = s.live ? s.ymncgr : c.ymncgr;
    double& ymxc = s.live ? s.ymxcgr : c.ymxcgr;
    ymin -= d;
    ymnc -= d;
    ymxc -= d;
    c.yorgr = value;
  }
}

void assign_number(const VarRef& r, double v) {
  switch (r.kind) {
    case Kind::Double: *static_cast<double*>(r.field) = v; break;
    case Kind::Float: *static_cast<float*>(r.field) = float(v); break;
    case Kind::IntRound: {
      int* field = static_cast<int*>(r.field);
      const int n = to_int(std::round(v));
      if (field == &grcomn.in[1] && n != *field) grcomn.indsgr = 1;
      *field = n;
      break;
    }
    case Kind::IntTrunc: *static_cast<int*>(r.field) = to_int(std::trunc(v)); break;
    case Kind::Origin: shift_origin(r.width, v); break;
    case Kind::ScriptLength: script_set_length(to_int(std::round(v))); break;
    case Kind::Text: break;
  }
}

double read_number(const VarRef& r) {
  switch (r.kind) {
    case Kind::Double:
    case Kind::Origin: return *static_cast<double*>(r.field);
    case Kind::Float: return *static_cast<float*>(r.field);
    case Kind::IntRound:
    case Kind::IntTrunc: return *static_cast<int*>(r.field);
    case Kind::ScriptLength: return scriptq.length;
    case Kind::Text: return 0;
  }
  return 0;
}

const VarRef& must_find(std::string_view name) {
  const VarRef* r = lookup(name);
  if (!r) throw FatalError("grvalu: variable not defined> " + std::string(trim_right(name)));
  return *r;
}

const VarRef& must_find_origin(std::string_view name) {
  const VarRef* r = lookup(name);
  if (!r || r->kind != Kind::Origin)
    throw FatalError("grvalu8: variable not defined> " + std::string(trim_right(name)));
  return *r;
}

}  // namespace

std::string fixed_width(std::string_view text, int width) {
  std::string s(text.substr(0, std::min<size_t>(text.size(), size_t(std::max(width, 0)))));
  s.resize(size_t(std::max(width, 0)), ' ');
  return s;
}

void reset_plot_state() {
  detail::drop_file_device();
  grcomn = PlotState{};
  grcomt = default_text();
  grmcol();
  compute_window_size();
  grsfac();
}

void grvalu(std::string_view name, int set, float& value, std::string& text) {
  const VarRef& r = must_find(name);
  if (r.kind == Kind::Text) {
    std::string& field = *static_cast<std::string*>(r.field);
    if (set != 0)
      field = fixed_width(text, r.width);
    else
      text = fixed_width(field, text.empty() ? r.width : int(text.size()));
    return;
  }
  if (set != 0)
    assign_number(r, value);
  else
    value = float(read_number(r));
}

float grvalu(std::string_view name) {
  const VarRef& r = must_find(name);
  return r.kind == Kind::Text ? 0.0f : float(read_number(r));
}

void grvalu(std::string_view name, float value) {
  const VarRef& r = must_find(name);
  if (r.kind != Kind::Text) assign_number(r, value);
}

std::string grvalu_text(std::string_view name) {
  const VarRef& r = must_find(name);
  return r.kind == Kind::Text ? *static_cast<const std::string*>(r.field) : std::string();
}

void grvalu_text(std::string_view name, std::string_view text) {
  const VarRef& r = must_find(name);
  if (r.kind == Kind::Text) *static_cast<std::string*>(r.field) = fixed_width(text, r.width);
}

void grvalu8(std::string_view name, int set, double& value) {
  const VarRef& r = must_find_origin(name);
  if (set != 0)
    shift_origin(r.width, value);
  else
    value = *static_cast<const double*>(r.field);
}

double grvalu8(std::string_view name) {
  double v = 0;
  grvalu8(name, 0, v);
  return v;
}

void grvalu8(std::string_view name, double value) { grvalu8(name, 1, value); }

}  // namespace sketra
