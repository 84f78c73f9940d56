#include "app/formats/grid_files.h"

#include <algorithm>
#include <cmath>

#include "sketra/base/textfmt.h"
#include "sketra/base/units.h"

namespace korvel {

namespace {

constexpr std::string_view kGridHeader[] = {"nx",        "ncols",    "ny",     "nrows",        "xllcorner",   "xllcenter",
                                            "yllcorner", "yllcenter", "dx",     "dy",           "item",        "rotate",
                                            "cellsize",  ">>grid",    "NODATA_value", "nodata_value"};

// Where a header keyword or value line is: "line 3 of dem.asc".
std::string place(int unit) {
  const sketra::LineReader* r = sketra::unit_reader(unit);
  return "line " + std::to_string(r ? r->record() : 0) + " of " + sketra::unit_name(unit);
}

void bad_grid_input(ParserState& p, GridBlock& g, int unit) {
  sketra::unit_write(sketra::kStdoutUnit, " -->error in input file");
  g.error = "bad grid value at " + place(unit);
  p.aborted = true;
}

// v in general form with `digits` significant digits (9 single, 15
// double precision) after a blank: " 0.340282347E+39".
std::string general(double v, int digits) {
  return " " + std::string(sketra::trim(sketra::fmt_g(v, digits + 10, digits)));
}

// v in the field (w, d), or in general form when it is too wide for it, so
// that no value turns into asterisks.
std::string fitted_f(double v, int w, int d, int digits) {
  std::string f = sketra::fmt_f(v, w, d);
  return f.find('*') == std::string::npos ? f : general(v, digits);
}

// One header value from the rest of the keyword's line; false when unreadable.
bool header_value(std::string_view rest, sketra::FreeTarget target) {
  sketra::FreeTarget t[] = {target};
  sketra::FreeResult r = sketra::read_free(rest, t);
  return !r.error && (r.slash || r.filled == 1);
}

// Where the header gave the grid's size, for the message on a bad one.
struct SizeLines {
  std::string nx_word = "ncols", ny_word = "nrows";
  std::string nx_at, ny_at;  // "line 1 of dem.asc"; empty when not given
};

// iigrid_head: keywords up to the first numeric line. False on a bad value.
bool grid_head(ParserState& p, GridBlock& g, int& unit, int logunit, SizeLines& size) {
  std::string line;
  for (;;) {
    int status = kNumericLine;
    int k = iicmd(p, kGridHeader, line, unit, logunit, status);
    if (k <= 0) return !p.aborted;
    std::string_view kw = kGridHeader[std::size_t(k - 1)];
    bool ok = true;
    std::string echo;
    float f = 0;
    if (kw == "nx" || kw == "ncols") {
      ok = header_value(line, &g.nx);
      echo = sketra::fmt_i(g.nx, 8);
      size.nx_word = kw;
      size.nx_at = place(unit);
    } else if (kw == "ny" || kw == "nrows") {
      ok = header_value(line, &g.ny);
      echo = sketra::fmt_i(g.ny, 8);
      size.ny_word = kw;
      size.ny_at = place(unit);
    } else if (kw == "xllcorner" || kw == "xllcenter") {
      ok = header_value(line, &g.x0) && std::isfinite(g.x0);
      echo = fitted_f(g.x0, 10, 2, 15);
    } else if (kw == "yllcorner" || kw == "yllcenter") {
      ok = header_value(line, &g.y0) && std::isfinite(g.y0);
      echo = fitted_f(g.y0, 10, 2, 15);
    } else if (kw == "dx") {
      ok = header_value(line, &g.dx) && std::isfinite(g.dx);
      echo = fitted_f(g.dx, 10, 3, 9);
    } else if (kw == "dy") {
      ok = header_value(line, &g.dy) && std::isfinite(g.dy);
      echo = fitted_f(g.dy, 10, 3, 9);
    } else if (kw == "item") {
      header_value(line, sketra::TextTarget{&g.name, 32});
      echo = " " + g.name;
    } else if (kw == "rotate") {
      ok = header_value(line, &f);
      echo = fitted_f(f, 10, 2, 9);
    } else if (kw == "cellsize") {
      ok = header_value(line, &g.dx) && std::isfinite(g.dx);
      g.dy = g.dx;
      g.flipped = true;
      echo = fitted_f(g.dx, 10, 2, 9);
    } else if (kw == ">>grid") {
      echo = "";
    } else {  // NODATA_value, truncated to a whole number when it fits
      ok = header_value(line, &g.nodata) && std::isfinite(g.nodata);
      echo = std::fabs(g.nodata) < 1e9f ? sketra::fmt_i((long long)g.nodata, 10) : general(g.nodata, 9);
    }
    sketra::unit_write(logunit, echo);
    if (!ok) {
      bad_grid_input(p, g, unit);
      return false;
    }
  }
}

// The header's size as a verdict: empty when both are above 0.
std::string size_error(const GridBlock& g, const SizeLines& s) {
  auto bad = [](const std::string& word, int n, const std::string& at) {
    if (at.empty()) return "grid header without " + word;
    return "grid size " + word + " " + std::to_string(n) + " at " + at;
  };
  if (g.nx <= 0) return bad(s.nx_word, g.nx, s.nx_at);
  if (g.ny <= 0) return bad(s.ny_word, g.ny, s.ny_at);
  return {};
}

// iigrid_body: values in free format, line by line, until nx*ny are in or
// the end of the file; blank lines are passed over, and a line that does
// not begin with a number ends the values (it is left for the caller). A
// value of the file's NODATA becomes kEmptyValue. False on a bad value.
bool grid_body(ParserState& p, GridBlock& g, int unit) {
  const std::size_t total = g.values.size();
  std::size_t filled = 0;
  std::vector<double> buf;
  std::string_view l;
  while (filled < total && sketra::unit_read(unit, l)) {
    if (blank_line(l)) continue;
    if (sketra::count_reals(l, 1) == 0) {
      sketra::unit_backspace(unit);
      break;
    }
    // A line of n characters holds at most n + 1 values (",," between
    // null values); a null value is empty.
    buf.assign(std::min(total - filled, l.size() + 1), double(g.nodata));
    const sketra::FreeResult r = sketra::read_reals(l, buf);
    if (r.error) {
      bad_grid_input(p, g, unit);
      return false;
    }
    for (std::size_t i = 0; i < std::size_t(r.filled); ++i) {
      const float v = float(buf[i]);
      if (v == g.nodata) {
        g.values[filled + i] = kEmptyValue;
      } else if (std::isfinite(v)) {
        g.values[filled + i] = v;
      } else {
        bad_grid_input(p, g, unit);
        return false;
      }
    }
    filled += std::size_t(r.filled);
  }
  g.read = std::int64_t(filled);
  return true;
}

}  // namespace

GridBlock iigrid(ParserState& p, int& unit, int logunit, std::int64_t maxnodes) {
  GridBlock g;
  SizeLines size;
  if (!grid_head(p, g, unit, logunit, size)) return g;
  std::int64_t nxy = std::int64_t(std::max(g.nx, 0)) * std::int64_t(std::max(g.ny, 0));
  if (nxy > maxnodes) {
    sketra::unit_write(sketra::kStdoutUnit, sketra::ListLine().text("iigrid nxy ").i(nxy).text(" maximum is ").i(maxnodes).str());
    g.nx = g.ny = 0;
    g.too_large = true;
    g.error = "grid of " + std::to_string(nxy) + " nodes, more than the" + sketra::fmt_i(maxnodes, 10) + " the store holds";
    return g;
  }
  g.error = size_error(g, size);
  if (!g.error.empty()) {
    g.nx = g.ny = 0;
    return g;
  }
  g.values.assign(std::size_t(g.nx) * std::size_t(g.ny), kEmptyValue);
  if (!grid_body(p, g, unit)) return g;
  if (g.flipped) {
    auto row = [&](int j) { return g.values.begin() + std::ptrdiff_t(j) * g.nx; };
    for (int j = 0; j < g.ny / 2; ++j) std::swap_ranges(row(j), row(j) + g.nx, row(g.ny - 1 - j));
  }
  return g;
}

// ---- Writers -------------------------------------------------------------------

FileResult write_keyword_grid(TextOut& out, const GridGeometry& g, Origin origin, std::string_view name,
                              std::span<const float> values, Progress& progress) {
  using sketra::append_f;
  using sketra::append_i;
  Gauge gauge(progress);
  out.line(">>grid");
  out.text += "nx";
  append_i(out.text, g.nx, 8);
  out.end();
  out.text += "ny";
  append_i(out.text, g.ny, 8);
  out.end();
  out.text += "xllcorner";
  append_f(out.text, double(g.x0) + origin.x, 12, 2);
  out.end();
  out.text += "yllcorner";
  append_f(out.text, double(g.y0) + origin.y, 12, 2);
  out.end();
  out.text += "dx";
  append_f(out.text, double(g.dx), 12, 4);
  out.end();
  out.text += "dy";
  append_f(out.text, double(g.dy), 12, 4);
  out.end();
  out.line("item '" + std::string(name) + "'");
  std::string cformat = "(" + sketra::fmt_i(g.nx, 6) + "f10.3)";
  sketra::unit_write(sketra::kStdoutUnit, "fsave cformat " + sketra::fmt_a(cformat, 32));
  for (std::int32_t j = 0; j < g.ny && out.ok(); ++j) {
    const std::size_t row = std::size_t(j) * std::size_t(g.nx);
    for (std::int32_t i = 0; i < g.nx; ++i) append_f(out.text, double(values[row + std::size_t(i)]), 10, 3);
    out.end();
    gauge(j + 1, g.ny, "saving grid");
  }
  return out.finish();
}

namespace {

// A value in the grid's fixed field (width 10, 3 decimals). A value too
// wide for it is written in general form instead of asterisks, so that no
// value is lost; it keeps a blank before it.
void append_value(std::string& line, float v) {
  const std::size_t at = line.size();
  sketra::append_f(line, v, 10, 3);
  if (line.find('*', at) == std::string::npos) return;
  line.resize(at);
  line += general(v, 9);
}

}  // namespace

FileResult write_esri_grid(TextOut& out, const GridValues& g, double xll, double yll, float cellsize, float nodata,
                           Progress& progress) {
  using sketra::fmt_f;
  using sketra::fmt_i;
  Gauge gauge(progress);
  out.line("ncols" + fmt_i(g.nx, 8));
  out.line("nrows" + fmt_i(g.ny, 8));
  // korvel's nodes sit at the header's position: to GIS programs that is
  // the centre of the lower left cell, not its corner.
  out.line("xllcenter" + fmt_f(xll, 12, 2));
  out.line("yllcenter" + fmt_f(yll, 12, 2));
  out.line("cellsize" + fmt_f(cellsize, 12, 4));
  out.line("NODATA_value" + fmt_f(nodata, 12, 0));
  for (int j = g.ny - 1; j >= 0 && out.ok(); --j) {
    gauge(g.ny - j, g.ny, "writing data in GRID format");
    for (int i = 0; i < g.nx; ++i) append_value(out.text, g.at(i, j));
    out.end();
  }
  return out.finish();
}

}  // namespace korvel
