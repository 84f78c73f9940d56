// Library start-up (grinit) and the settings file ".grset" (grwset,
// read_settings).
//
// The file is written and read in one fixed order of lines (see
// settings_lines). Reading walks the same order; each line is read in free
// format into temporaries and taken over only when the whole line could be
// read, so the first unreadable line leaves itself and everything after it
// at the defaults. Texts are written between apostrophes and read back as
// everything between the first and the last apostrophe of their line.

#include "sketra/control/settings.h"

#include <algorithm>
#include <cmath>
#include <fstream>
#include <system_error>

#include "sketra/base/replace_file.h"
#include "sketra/base/textfmt.h"
#include "sketra/base/units.h"
#include "sketra/control/keeplist.h"
#include "sketra/devices/devices.h"
#include "sketra/control/state.h"
#include "sketra/kernel/plot.h"
#include "sketra/ui/dialogs.h"

namespace sketra {

LibraryStart library_start;

namespace {

constexpr float kDefaultScale = 0.7865f;
constexpr double kWindowLimit = 9e10;  // absolute window values in the file
constexpr int kUnusedLines = 10;

// A fixed-point field of width w that always starts with a blank, so that
// it can follow another value on the same line: when the value fills the
// field, fewer decimals are written, and when even none leave a blank, the
// exponent form. Ordinary values get exactly fmt_f(v, w, d).
std::string field_f(double v, int w, int d) {
  for (int dd = d; dd >= 0; --dd) {
    std::string s = fmt_f(v, w, dd);
    if (s[0] == ' ') return s;
  }
  return fmt_e(v, w, std::max(1, w - 8));
}

std::string in_apostrophes(std::string_view text) { return "'" + std::string(trim_right(text)) + "'"; }

// Reads all targets from one line; true when every one was read (a "/"
// before the end leaves the rest as they were, as free-format reading does).
bool read_line(const std::string& line, std::initializer_list<FreeTarget> targets) {
  FreeResult r = read_free(line, std::span<const FreeTarget>(targets.begin(), targets.size()));
  return r.complete(targets.size());
}

bool finite_all(std::initializer_list<double> values) {
  return std::all_of(values.begin(), values.end(), [](double v) { return std::isfinite(v); });
}

// The lines of the file with a read position.
class LineCursor {
 public:
  explicit LineCursor(std::vector<std::string> lines) : lines_(std::move(lines)) {}
  bool next(std::string& line) {
    if (pos_ >= lines_.size()) return false;
    line = lines_[pos_++];
    return true;
  }
  std::vector<std::string>& lines() { return lines_; }
  std::size_t& pos() { return pos_; }

 private:
  std::vector<std::string> lines_;
  std::size_t pos_ = 0;
};

std::vector<std::string> read_all_lines(const std::filesystem::path& path) {
  std::vector<std::string> out;
  std::ifstream in(path, std::ios::binary);
  std::string line;
  while (std::getline(in, line)) {
    if (!line.empty() && line.back() == '\r') line.pop_back();
    out.push_back(std::move(line));
  }
  return out;
}

// Lines 2 ... 17: switches, colour modes, interval counts.
bool read_switches(LineCursor& in) {
  PlotState& c = grcomn;
  std::string line;
  if (!in.next(line)) return false;  // the heading
  int ignored = 0;
  if (!in.next(line) || !read_line(line, {&ignored})) return false;  // IN01GR is not restored
  for (int k = 2; k <= 7; ++k) {
    int v = c.in[size_t(k - 1)];
    if (!in.next(line) || !read_line(line, {&v})) return false;
    c.in[size_t(k - 1)] = v;
  }
  int mode = c.colour.mode, bank = c.colour.bank, ncol = c.colour.ncolgr;
  if (!in.next(line) || !read_line(line, {&mode, &bank, &ncol})) return false;
  c.colour.mode = mode;
  c.colour.bank = bank;
  c.colour.ncolgr = ncol;
  for (int k = 9; k <= 12; ++k) {
    int v = c.in[size_t(k - 1)];
    if (!in.next(line) || !read_line(line, {&v})) return false;
    c.in[size_t(k - 1)] = v;
  }
  if (!in.next(line)) return false;  // "REDRAW KEEP FILES" is always on
  int s14 = c.in[13];
  auto cs = c.display.contour_switches;
  if (!in.next(line) || !read_line(line, {&s14, &cs[0], &cs[1]})) return false;
  c.in[13] = s14;
  c.display.contour_switches = cs;
  int nx = c.nxingr, ny = c.nyingr;
  if (!in.next(line) || !read_line(line, {&nx})) return false;
  c.nxingr = nx;
  if (!in.next(line) || !read_line(line, {&ny})) return false;
  c.nyingr = ny;
  return true;
}

// Lines 18 ... 27: window, factors, key, vectors, shading.
bool read_window_and_factors(LineCursor& in) {
  PlotState& c = grcomn;
  std::string line;
  double w[4] = {c.xmingr + c.xorgr, c.xmaxgr + c.xorgr, c.ymingr + c.yorgr, c.ymaxgr + c.yorgr};
  for (double& v : w) {
    if (!in.next(line) || !read_line(line, {&v}) || !std::isfinite(v)) return false;
  }
  grsset(w[0] - c.xorgr, w[1] - c.xorgr, w[2] - c.yorgr, w[3] - c.yorgr);
  float symf = c.symfgr, zoom = c.zoom, scaling = c.scaling;
  if (!in.next(line) || !read_line(line, {&symf})) return false;
  c.symfgr = symf;
  if (!in.next(line) || !read_line(line, {&zoom})) return false;
  c.zoom = zoom;
  if (!in.next(line) || !read_line(line, {&scaling})) return false;
  c.scaling = scaling;
  DisplaySettings d = c.display;
  int ikey = c.ikeygr;
  if (!in.next(line) || !read_line(line, {&ikey, &d.key_x, &d.key_y, &d.key_size, &d.language}))
    return false;
  c.ikeygr = ikey;
  if (!in.next(line) ||
      !read_line(line, {&d.vector_scale, &d.vector_count, &d.vector_option, &d.vector_factor}))
    return false;
  c.display = d;
  int shading = c.display.shading;
  if (!in.next(line) || !read_line(line, {&shading})) return false;
  c.display.shading = shading;
  return true;
}

// Lines 28 ... 31: file name, firm line, title and subtitle.
bool read_texts(LineCursor& in) {
  std::string* fields[] = {&grcomt.filngr, &grcomt.firmgr, &grcomt.titlgr, &grcomt.subtitle};
  const int widths[] = {kFileNameWidth, kFirmWidth, kTitleWidth, kTitleWidth};
  std::string line, text, rest;
  for (int i = 0; i < 4; ++i) {
    if (!in.next(line) || !split_quoted(line, text, rest)) return false;
    *fields[i] = fixed_width(text, widths[i]);
  }
  return true;
}

// The views: a count, then one line per view.
bool read_views(LineCursor& in) {
  PlotState& c = grcomn;
  std::string line;
  int n = 0;
  if (!in.next(line) || !read_line(line, {&n})) return false;
  c.views.clear();
  for (int k = 0; k < std::min(n, kMaxViews); ++k) {
    NamedView v;
    std::string name, rest;
    if (!in.next(line) || !split_quoted(line, name, rest)) return false;
    if (!read_line(rest, {&v.nxingr, &v.nyingr, &v.xmin, &v.xmax, &v.ymin, &v.ymax}) ||
        !finite_all({v.xmin, v.xmax, v.ymin, v.ymax}))
      return false;
    v.name = fixed_width(name, 16);
    c.views.push_back(std::move(v));
  }
  return true;
}

// Corrections of values that cannot be used as read.
void check_after_reading() {
  PlotState& c = grcomn;
  ColourState& col = c.colour;
  // Colour modes are 1 ... 4, negative through the user colour map; the
  // bank picks one of 20 rows or columns. Anything else is not a setting.
  if (col.mode == 0 || col.mode < -4 || col.mode > 4) col.mode = 2;
  if (col.bank < 0 || col.bank > 20) col.bank = 5;
  if (col.mode < 4) col.ncolgr = std::min(col.ncolgr, 19);
  col.ncolgr = std::clamp(col.ncolgr, 1, kPaletteSize - 1);
  c.nxingr = std::clamp(c.nxingr, 6, kMaxIntervals);
  c.nyingr = std::clamp(c.nyingr, 6, kMaxIntervals);
  if (!(c.zoom >= 0.1f)) c.zoom = 0.1f;
  c.symfgr = c.symfgr >= 0.1f ? std::min(c.symfgr, kMaxSymbolFactor) : 0.1f;
  if (!(c.scaling >= 0.001f) || c.scaling > kMaxScaling) c.scaling = 1.0f;
  c.xsclgr = kDefaultScale * c.scaling;
  c.ysclgr = kDefaultScale * c.scaling;
  DisplaySettings& d = c.display;
  if (!(d.key_x >= 0)) d.key_x = 0;
  if (!(d.key_y >= 0)) d.key_y = 0;
  if (!std::isfinite(d.key_size)) d.key_size = 1;
  d.key_size = std::min(d.key_size, kMaxKeySize);
  if (!(d.vector_scale >= 0.1f)) d.vector_scale = 0.1f;
  if (!std::isfinite(d.vector_factor)) d.vector_factor = 0.01f;
  d.vector_count = std::clamp(d.vector_count, 1, 10);
  if (c.views.size() > std::size_t(kMaxViews)) c.views.resize(std::size_t(kMaxViews));
  for (NamedView& v : c.views) {
    v.nxingr = std::clamp(v.nxingr, 6, kMaxIntervals);
    v.nyingr = std::clamp(v.nyingr, 6, kMaxIntervals);
  }
  grsfac();
}

void first_start() {
  reset_plot_state();
  grcomt.dategr = fixed_width(grtime(), kDateWidth);
  dialogs.messages.clear();
  keeplist_reset();
  read_settings(kSettingsFile);
  PlotState& c = grcomn;
  c.xmaxgr = std::max(c.xmaxgr, c.xmingr + 1);
  c.ymaxgr = std::max(c.ymaxgr, c.ymingr + 1);
  library_start.started = true;
}

// The small window keeps the interval counts of the normal one, which come
// back with the next normal start.
void choose_window(bool small) {
  PlotState& c = grcomn;
  if (small && !c.small_window) {
    c.saved_nxingr = c.nxingr;
    c.saved_nyingr = c.nyingr;
    c.nxingr = 4;
    c.nyingr = 3;
    c.small_window = true;
  } else if (!small && c.small_window) {
    c.nxingr = c.saved_nxingr;
    c.nyingr = c.saved_nyingr;
    c.small_window = false;
  }
  compute_window_size();
  grsfac();
}

}  // namespace

void grinit(int jin, int jout, std::string_view program_name, bool small_window) {
  PlotState& c = grcomn;
  for (int i = 0; i < 3 && c.imodgr != kModeNone; ++i) grmode(kModeNone);
  c.imodgr = kModeNone;
  if (!library_start.started) first_start();
  install_file_devices();
  c.in[7] = 0;   // IN08GR
  c.in[14] = 0;  // IN15GR
  c.jingr = jin;
  c.joutgr = jout;
  const std::string_view name = program_name.substr(0, program_name.find('\0'));
  grcomt.progname = fixed_width(name, kProgramNameWidth);
  std::string icon(trim_right(grcomt.progname));
  icon.push_back('\0');
  grcomt.wnabgr = fixed_width(icon, kIconNameWidth);
  choose_window(small_window);
  if (jout != kStdoutUnit) {
    grmode(2);
    grcler(0);
  }
  grmesg("");
}

void grinit_forget() { library_start = LibraryStart{}; }

bool grinit_done() { return library_start.started; }

std::vector<std::string> settings_lines() {
  const PlotState& c = grcomn;
  const DisplaySettings& d = c.display;
  auto sw = [&](int k, const char* label) { return fmt_i(c.in[size_t(k - 1)], 2) + label; };
  auto absolute = [](double v) { return fmt_f(std::clamp(v, -kWindowLimit, kWindowLimit), 15, 2); };
  const int nx = c.small_window ? c.saved_nxingr : c.nxingr;
  const int ny = c.small_window ? c.saved_nyingr : c.nyingr;
  std::vector<std::string> l;
  l.push_back("/GRAPHIC ATTRIBUTES");
  l.push_back(sw(1, " /CALC SCALES"));
  l.push_back(sw(2, " /DEP SCALING"));
  l.push_back(sw(3, " /DRAW AXES"));
  l.push_back(sw(4, " /DRAW GRID"));
  l.push_back(sw(5, " /INTERACTIVE MODE"));
  l.push_back(sw(6, " /TIC SPACING CENTIMETERS"));
  l.push_back(sw(7, " /DRAW NO-DATA VALUES"));
  l.push_back(fmt_i(c.colour.mode, 2) + fmt_i(c.colour.bank, 4) + fmt_i(c.colour.ncolgr, 4) +
              " /COLOR MODES");
  l.push_back(sw(9, " /SINGLE BUFFERED"));
  l.push_back(sw(10, " /SAVE HARDCOPY FILE"));
  l.push_back(sw(11, " /COLOR POSTSCRIPT"));
  l.push_back(sw(12, " /DOMAIN BOUNDARY"));
  l.push_back(" 1 /REDRAW KEEP FILES");
  l.push_back(fmt_i(c.in[13], 2) + fmt_i(d.contour_switches[0], 2) + fmt_i(d.contour_switches[1], 2) +
              " /MONO CONTOURS WITH LABELS, PAPER-SIZE");
  l.push_back(fmt_i(nx, 4) + " /NUMBER OF X-AXIS INTERVALS");
  l.push_back(fmt_i(ny, 4) + " /NUMBER OF Y-AXIS INTERVALS");
  l.push_back(absolute(c.xmingr + c.xorgr) + " /XMIN");
  l.push_back(absolute(c.xmaxgr + c.xorgr) + " /XMAX");
  l.push_back(absolute(c.ymingr + c.yorgr) + " /YMIN");
  l.push_back(absolute(c.ymaxgr + c.yorgr) + " /YMAX");
  l.push_back(fmt_f(c.symfgr, 12, 2) + " /SYMBOL FACTOR");
  l.push_back(fmt_f(c.zoom, 12, 2) + " /ZOOM FACTOR");
  l.push_back(fmt_f(c.scaling, 12, 2) + " /SCALING FACTOR");
  l.push_back(fmt_i(c.ikeygr, 2) + field_f(d.key_x, 12, 2) + field_f(d.key_y, 12, 2) +
              field_f(d.key_size, 6, 1) + fmt_i(d.language, 2) + " /KEY");
  l.push_back(field_f(d.vector_scale, 12, 2) + fmt_i(d.vector_count, 5) + fmt_i(d.vector_option, 5) +
              field_f(d.vector_factor, 10, 3) + " /VECTORS");
  l.push_back(fmt_i(d.shading, 2) + " /SHADING");
  for (const std::string* t : {&grcomt.filngr, &grcomt.firmgr, &grcomt.titlgr, &grcomt.subtitle})
    l.push_back(in_apostrophes(*t) + " /");
  for (std::string& k : keep_list_lines()) l.push_back(std::move(k));
  l.push_back(fmt_i(long(c.views.size()), 3) + " /NUMBER OF VIEWS");
  for (const NamedView& v : c.views)
    l.push_back(in_apostrophes(v.name) + fmt_i(v.nxingr, 4) + fmt_i(v.nyingr, 4) + field_f(v.xmin, 12, 3) +
                field_f(v.xmax, 12, 3) + field_f(v.ymin, 12, 3) + field_f(v.ymax, 12, 3));
  for (int i = 0; i < kUnusedLines; ++i) l.push_back("0 /not used");
  return l;
}

bool grwset() { return write_lines_replacing(kSettingsFile, settings_lines()); }

int read_settings(const std::filesystem::path& path) {
  std::error_code ec;
  if (!std::filesystem::is_regular_file(path, ec)) return 0;
  LineCursor in(read_all_lines(path));
  if (read_switches(in) && read_window_and_factors(in) && read_texts(in) &&
      read_keep_list(in.lines(), in.pos()))
    read_views(in);
  check_after_reading();
  return int(in.pos());
}

}  // namespace sketra
