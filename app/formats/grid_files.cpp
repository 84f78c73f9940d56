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

void bad_grid_input(ParserState& p) {
  sketra::unit_write(sketra::kStdoutUnit, " -->error in input file");
  p.aborted = true;
}

// One header value from the rest of the keyword's line; false when unreadable.
bool header_value(std::string_view rest, sketra::FreeTarget target) {
  sketra::FreeTarget t[] = {target};
  sketra::FreeResult r = sketra::read_free(rest, t);
  return !r.error && (r.slash || r.filled == 1);
}

// iigrid_head: keywords up to the first numeric line. False on a bad value.
bool grid_head(ParserState& p, GridBlock& g, int& unit, int logunit) {
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
    } else if (kw == "ny" || kw == "nrows") {
      ok = header_value(line, &g.ny);
      echo = sketra::fmt_i(g.ny, 8);
    } else if (kw == "xllcorner" || kw == "xllcenter") {
      ok = header_value(line, &g.x0);
      echo = sketra::fmt_f(g.x0, 10, 2);
    } else if (kw == "yllcorner" || kw == "yllcenter") {
      ok = header_value(line, &g.y0);
      echo = sketra::fmt_f(g.y0, 10, 2);
    } else if (kw == "dx") {
      ok = header_value(line, &g.dx);
      echo = sketra::fmt_f(g.dx, 10, 3);
    } else if (kw == "dy") {
      ok = header_value(line, &g.dy);
      echo = sketra::fmt_f(g.dy, 10, 3);
    } else if (kw == "item") {
      header_value(line, sketra::TextTarget{&g.name, 32});
      echo = " " + g.name;
    } else if (kw == "rotate") {
      ok = header_value(line, &f);
      echo = sketra::fmt_f(f, 10, 2);
    } else if (kw == "cellsize") {
      ok = header_value(line, &g.dx);
      g.dy = g.dx;
      g.flipped = true;
      echo = sketra::fmt_f(g.dx, 10, 2);
    } else if (kw == ">>grid") {
      echo = "";
    } else {  // NODATA_value
      ok = header_value(line, &g.nodata);
      echo = sketra::fmt_i(std::isfinite(g.nodata) ? (long long)g.nodata : 0, 10);
    }
    sketra::unit_write(logunit, echo);
    if (!ok) {
      bad_grid_input(p);
      return false;
    }
  }
}

// iigrid_body: values line by line until nx*ny are in, the end of the file,
// or a line without numbers (left for the caller). False on a bad value.
bool grid_body(ParserState& p, GridBlock& g, int unit) {
  std::size_t total = g.values.size();
  std::size_t filled = 0;
  std::vector<double> buf;
  std::string_view l;
  while (filled < total && sketra::unit_read(unit, l)) {
    int n = iinumber(l);
    if (n == 0) {
      sketra::unit_backspace(unit);
      break;
    }
    std::size_t take = std::min(std::size_t(n), total - filled);
    buf.assign(take, double(g.nodata));
    if (sketra::read_reals(l, buf).error) {
      bad_grid_input(p);
      return false;
    }
    for (std::size_t i = 0; i < take; ++i) g.values[filled + i] = float(buf[i]);
    filled += take;
  }
  return true;
}

}  // namespace

GridBlock iigrid(ParserState& p, int& unit, int logunit, std::int64_t maxnodes) {
  GridBlock g;
  if (!grid_head(p, g, unit, logunit)) return g;
  std::int64_t nxy = std::int64_t(std::max(g.nx, 0)) * std::int64_t(std::max(g.ny, 0));
  if (nxy > maxnodes) {
    sketra::unit_write(sketra::kStdoutUnit, sketra::ListLine().text("iigrid nxy ").i(nxy).text(" maximum is ").i(maxnodes).str());
    g.nx = g.ny = 0;
    g.too_large = true;
    return g;
  }
  if (g.nx <= 0 || g.ny <= 0) g.nx = g.ny = 0;
  g.values.assign(std::size_t(g.nx) * std::size_t(g.ny), g.nodata);
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
  std::string g = sketra::fmt_g(v, 16, 9);
  g.erase(0, g.find_first_not_of(' '));
  while (!g.empty() && g.back() == ' ') g.pop_back();
  line += ' ';
  line += g;
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
