#include "app/load_files.h"

#include <algorithm>
#include <cmath>
#include <filesystem>
#include <span>

#include "app/formats/blt.h"
#include "app/formats/dxf.h"
#include "app/formats/mesh2dm.h"
#include "app/formats/shapefile.h"
#include "app/formats/text_triangles.h"
#include "app/formats/triangle_files.h"
#include "app/formats/xyzi.h"
#include "app/loader.h"
#include "app/progress_bar.h"
#include "app/store.h"
#include "sketra/base/textfmt.h"
#include "sketra/base/units.h"
#include "sketra/ui/dialogs.h"

namespace korvel {

using sketra::fmt_i;
using sketra::LineReader;

// ---- The store as a sink -----------------------------------------------------------

void StoreSink::percent(int p, std::string_view what) { sketra::grbeam(p, 100, what); }

void fix_store_origin(double x, double y) {
  if (reader.lorig) return;
  cin1.xorig = x;
  cin1.yorig = y;
  reader.lorig = true;
}

void StoreSink::fix_origin(double x, double y) { fix_store_origin(x, y); }

bool StoreSink::add_point(double x, double y, float z, std::int32_t code) {
  return store_add_point(float(x - cin1.xorig), float(y - cin1.yorig), z, code);
}

bool StoreSink::add_edge(std::int32_t a, std::int32_t b) { return store_add_edge(a, b); }
std::int32_t StoreSink::points() const { return cin1.np; }
std::int32_t StoreSink::capacity() const { return cin1.maxp; }
void StoreSink::reserve(std::size_t n) { store_reserve_points(n); }

ClipWindow clip_window() {
  return {cplot.xmin, cplot.xmax, cplot.ymin, cplot.ymax, cplot.zmin, cplot.zmax, cplot.clip == 1};
}

namespace {

// Notes in the log how many edges the full edge table refused.
void refused_edges_note(std::int64_t refused, int log) {
  if (refused > 0) sketra::unit_write(log, " edges ignored (edge table full):" + fmt_i(refused, 10));
}

}  // namespace

void found_message() {
  sketra::grmesg("found" + fmt_i(cin1.np, 9) + " points (" + fmt_i(cin1.nseg, 9) + " edges)");
}

// ---- Sections of the keyword and plain formats ----------------------------------------

FileResult load_points(int unit, const PointColumns& c, int log) {
  LineReader* r = sketra::unit_reader(unit);
  if (!r) return FileResult::success();
  StoreSink sink;
  const PointsRead got = read_points(*r, c, clip_window(), sink);
  if (!got.result.ok) return got.result;
  if (got.ignored > 0) sketra::unit_write(log, " ignored points (store full):" + fmt_i(got.ignored, 10));
  found_message();
  return got.result;
}

FileResult load_lines(int unit, const std::array<int, 4>& col) {
  LineReader* r = sketra::unit_reader(unit);
  if (!r) return FileResult::success();
  StoreSink sink;
  LineOptions o;
  o.columns = col;
  o.distmax = reader.distmax;
  o.dmean = reader.dmean;
  o.code = reader.icol;
  o.clip = clip_window();
  FileResult res = read_lines(*r, o, sink);
  if (res.ok) found_message();
  return res;
}

FileResult load_cross_section(int unit, float km, float dz) {
  LineReader* r = sketra::unit_reader(unit);
  ++reader.ncs;
  FileResult res;
  if (r) {
    const double a = reader.angle;
    const double y0 = reader.y0;
    double x0 = reader.x0;
    if (std::fabs(x0) < 0.001) x0 = -1000.0 * double(km);
    std::array<double, 2> v{};
    while (read_record(*r, v, res)) {
      if (cin1.np >= cin1.maxp) continue;
      store_add_point(float(x0 - std::sin(a) * v[0]), float(y0 - std::cos(a) * v[0]), float(v[1]) + dz, 0);
    }
  }
  reader.x0 = reader.y0 = reader.angle = 0;
  if (res.ok) sketra::grmesg("found" + fmt_i(reader.ncs, 9) + " sections");
  return res;
}

FileResult load_table(int unit, int log, const TableParams& p) {
  LineReader* r = sketra::unit_reader(unit);
  ++reader.nl;
  ValueTable t{cin1.np + 1, 0, "ITEM " + fmt_i(reader.nl, 3)};
  double sum = 0;
  FileResult res;
  if (r) {
    std::array<double, 64> v{};
    const auto ncol = std::size_t(std::clamp(std::max(p.ix, p.iy), 1, 64));
    while (read_record(*r, std::span<double>(v.data(), ncol), res)) {
      const float x = p.ax * float(v[std::size_t(p.ix - 1)]) + p.bx;
      const float y = p.ay * float(v[std::size_t(p.iy - 1)]) + p.by;
      sketra::unit_write(log, sketra::fmt_f(x, 10, 3) + sketra::fmt_f(y, 10, 3));
      if (!store_add_point(x, y, 0.0f, 0)) continue;
      sum += double(y);
      ++t.count;
    }
  }
  if (!res.ok) return res;
  sketra::grmesg("found" + fmt_i(t.count, 5) + " values, sum is" + sketra::fmt_f(sum, 12, 2));
  tables.push_back(std::move(t));
  return res;
}

FileResult load_blt(int unit, const std::string& name) {
  LineReader* r = sketra::unit_reader(unit);
  if (!r) return FileResult::failure("no BLT file open", name);
  StoreSink sink;
  FileResult res = read_blt(*r, name, reader.isymb + reader.icol, sink);
  if (res.ok) sketra::grmesg("found" + fmt_i(cin1.np, 10) + " points");
  return res;
}

void load_text_triangles(int unit, int log) {
  LineReader* r = sketra::unit_reader(unit);
  if (!r) return;
  StoreSink sink;
  const TrianglesRead t = read_text_triangles(*r, reader.icol, sink);
  if (t.incomplete) sketra::unit_write(log, " incomplete triangle ignored");
  if (t.ignored > 0) sketra::unit_write(log, " ignored triangles (store full):" + fmt_i(t.ignored, 10));
  refused_edges_note(t.refused_edges, log);
  found_message();
}

// ---- Files of other programs -----------------------------------------------------------

FileResult load_node_file(int unit, const std::string& name, bool with_poly, int log) {
  LineReader* r = sketra::unit_reader(unit);
  if (!r) return FileResult::failure("Unable to open:" + name, name);
  StoreSink sink;
  const std::int32_t p0 = cin1.np;
  NodeFile nodes;
  FileResult res = read_node_file(*r, name, reader.icol, sink, nodes);
  if (!res.ok) return res;
  if (with_poly) last_mesh_points = {name, p0 + 1, std::int32_t(nodes.count), nodes.base};
  sketra::grmesg("found" + fmt_i(cin1.np, 10) + " points");
  sketra::unit_close(unit);
  if (!with_poly) return res;

  const std::string poly = poly_name(std::string(sketra::trim_right(name)));
  std::error_code ec;
  if (!std::filesystem::is_regular_file(poly, ec)) {
    sketra::grmesg("no poly file found");
    return res;
  }
  if (!sketra::unit_open(unit, poly, sketra::FileStatus::old_file))
    return FileResult::failure("Unable to open:" + poly, poly);
  PolyEdges edges;
  res = read_poly_file(*sketra::unit_reader(unit), poly, p0, nodes, sink, edges);
  if (!res.ok) return res;
  if (edges.own_vertices) {
    sketra::grmesg("expecting nodes on node file");
    return res;
  }
  refused_edges_note(edges.refused, log);
  sketra::grmesg("found" + fmt_i(cin1.nseg, 10) + " edges");
  return res;
}

FileResult load_mesh2d(int unit, const std::string& name, int log) {
  Ir2dmRequest req;
  req.max_nodes = cin1.maxp - cin1.np;
  req.take_origin = !reader.lorig;
  req.first_number = cin1.np + 1;
  double xorig = cin1.xorig, yorig = cin1.yorig;
  LineReader* r = sketra::unit_reader(unit);
  const Mesh2dm m = r ? ir2dm(*r, xorig, yorig, req) : Mesh2dm{};
  if (!m.error.empty()) return FileResult::failure(m.error + " of " + name, name, m.error_line);
  if (!m.x.empty()) {
    cin1.xorig = xorig;
    cin1.yorig = yorig;
    reader.lorig = true;
  }
  store_reserve_points(m.x.size());
  last_mesh_points = {name, cin1.np + 1, std::int32_t(m.x.size()), 1};
  for (std::size_t i = 0; i < m.x.size(); ++i) store_add_point(m.x[i], m.y[i], m.z[i], reader.icol);
  if (m.ignored_nodes > 0) sketra::unit_write(log, " ignored nodes (store full):" + fmt_i(m.ignored_nodes, 10));
  sketra::grmesg("found nodes:" + fmt_i(std::int64_t(m.x.size()), 8));
  return FileResult::success();
}

FileResult load_shapefile(const std::string& name, int log) {
  ShapeVertices v;
  StoreSink sink;
  FileResult r = getshape(name, std::int64_t(cin1.maxp) - cin1.np, v, log, sink);
  if (!r.ok) return r;
  if (!v.x.empty()) sink.fix_origin(v.x[0], v.y[0]);
  store_reserve_points(v.x.size());
  std::int64_t refused = 0;
  bool chain = false;
  for (std::size_t i = 0; i < v.x.size(); ++i) {
    sink.add_point(v.x[i], v.y[i], float(v.z[i]), reader.icol);
    if (v.mark[i] == kContinuesChain && chain && !store_add_edge(cin1.np - 1, cin1.np)) ++refused;
    if (v.mark[i] != kContinuesChain) chain = v.mark[i] == kStartsChain;
  }
  if (v.ignored > 0) sketra::unit_write(log, " ignored vertices (store full):" + fmt_i(v.ignored, 10));
  refused_edges_note(refused, log);
  found_message();
  return r;
}

// ---- DXF ---------------------------------------------------------------------------------

namespace {

// The layer dialog: a toggle per layer, preset on.
void layer_dialog(std::vector<DxfLayer>& layers) {
  if (layers.empty()) return;
  std::vector<std::string> prompts, values;
  for (const DxfLayer& l : layers) {
    prompts.push_back(l.name);
    values.push_back(sketra::fmt_a("+", 24));
  }
  if (!sketra::grinfo(prompts, values)) return;  // cancelled: every layer stays chosen
  for (std::size_t i = 0; i < layers.size(); ++i) layers[i].chosen = !values[i].empty() && values[i][0] == '+';
}

// The option dialog: scale factor and circles, kept in the reader settings.
void option_dialog() {
  std::string prompts[] = {"Scaling factor", "Plot Circle"};
  std::string values[] = {sketra::fmt_f(reader.sfac, 12, 3), sketra::fmt_a("_", 24)};
  if (!sketra::grinfo(prompts, values)) {
    reader.sfac = 1.0;
    return;
  }
  double f = 0;
  sketra::FreeTarget t[] = {&f};
  sketra::FreeResult res = sketra::read_free(values[0], t);
  if (res.error || res.filled != 1 || !std::isfinite(f) || f == 0) {
    sketra::grmesg("Scaling factor not read: " + std::string(sketra::trim(values[0])));
    return;
  }
  reader.sfac = f;
  if (!values[1].empty() && values[1][0] == '+') reader.lcircle = true;
}

// What the drawing left out, on the message line and in the log.
void dxf_notes(const DxfDrawing& d, const std::string& name, std::int64_t capacity, int log) {
  if (d.truncated) sketra::grmesg("the file ends inside an entity, which is ignored: " + name);
  if (d.refused > 0)
    sketra::grmesg("more than" + fmt_i(capacity, 8) + " vertices:" + fmt_i(d.refused, 10) + " ignored");
  if (d.invalid > 0)
    sketra::unit_write(log, " vertices beyond the range of numbers ignored:" + fmt_i(d.invalid, 10));
  if (d.skipped > 0)
    sketra::unit_write(log, " entities of block definitions and paper space passed over:" + fmt_i(d.skipped, 10));
}

}  // namespace

FileResult load_dxf(int unit, const std::string& name, int log) {
  LineReader* r = sketra::unit_reader(unit);
  if (!r) return FileResult::failure("no DXF file open", name);
  DxfDrawing d;
  const std::int64_t capacity = std::min<std::int64_t>(kMaxDxfVertices, std::int64_t(cin1.maxp) - cin1.np);
  const long nlines = sketra::igrlin(name);
  ProgressBar bar;
  read_dxf_layers(*r, nlines, log, bar, d);
  if (!d.drawing) return FileResult::failure("not a readable DXF file: " + name, name);
  layer_dialog(d.layers);
  option_dialog();
  FileResult res =
      read_dxf_entities(*r, sketra::unit_name(unit), nlines, capacity, {reader.sfac, reader.lcircle}, log, bar, d);
  if (!res.ok) return res;
  dxf_notes(d, name, capacity, log);
  // The origin of a drawing is its lower left corner.
  if (!d.x.empty() && !reader.lorig) {
    cin1.xorig = double(float(*std::min_element(d.x.begin(), d.x.end())));
    cin1.yorig = double(float(*std::min_element(d.y.begin(), d.y.end())));
    reader.lorig = true;
  }
  const std::int32_t p1 = cin1.np + 1;
  store_reserve_points(d.x.size());
  StoreSink sink;
  std::int64_t refused = 0;
  for (std::size_t i = 0; i < d.x.size(); ++i) {
    sink.add_point(d.x[i], d.y[i], d.z[i], d.kind[i]);
    if (d.kind[i] == kDxfJoined && cin1.np > p1 && !store_add_edge(cin1.np - 1, cin1.np)) ++refused;
  }
  refused_edges_note(refused, log);
  sketra::grmesg("found" + fmt_i(cin1.np - p1 + 1, 10) + " points");
  return res;
}

}  // namespace korvel
