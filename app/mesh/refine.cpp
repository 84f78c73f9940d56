// Refine: the mesh regenerated pass by pass so that elements near wave
// points whose admissible size is small get an area limit that shrinks by
// the refine factor with every pass.
//
// A wave point of celerity u admits elements of area (u dt / cfl)^2. Each
// pass gives every element whose bounding box holds a wave point of a
// smaller admissible area than 1.5 times the pass's target area that
// target as its limit, writes the limits as the .area file of the mesh and
// runs the generator with "-Qrpqa". The passes stop at the smallest area,
// after kMaxPasses, at the first failed run, or when Escape is pressed;
// the mesh held is always the last one generated completely. The wave
// points live in vectors of their own; the point store is not touched.

#include <algorithm>
#include <cmath>
#include <filesystem>

#include "app/mesh/mesh.h"
#include "app/mesh/mesh_internal.h"
#include "sketra/base/index_sort.h"
#include "sketra/base/textfmt.h"
#include "sketra/base/units.h"
#include "sketra/ui/dialogs.h"
#include "sketra/ui/menus.h"

namespace korvel {

namespace {

constexpr int kDataUnit = 3;
constexpr int kMaxPasses = 100;
constexpr const char* kWaveFile = "wave.xyz";

// True when Escape (or a click on no entry) is pending.
bool escape_pressed() {
  int sel = sketra::kMenuPoll;
  float x = 0, y = 0;
  sketra::grcurs({}, sel, x, y);
  return sel == sketra::kMenuInterrupt;
}

// Writes the limits as `name`: the element count, then element number and
// limit per line. Written beside the file and renamed over it, so a failed
// write leaves the old file.
FileResult write_area_file(const std::string& name, const std::vector<float>& limits) {
  const std::string part = name + ".part";
  if (!sketra::unit_open(kDataUnit, part, sketra::FileStatus::unknown))
    return FileResult::failure("Cannot write file: " + part, part);
  TextOut out(kDataUnit, part);
  sketra::ListLine(out.text).i(std::int64_t(limits.size()));
  out.end();
  for (std::size_t e = 0; e < limits.size() && out.ok(); ++e) {
    sketra::ListLine(out.text).i(std::int64_t(e + 1)).r(limits[e]);
    out.end();
  }
  if (FileResult res = out.finish(); !res.ok) return res;
  std::error_code ec;
  std::filesystem::rename(part, name, ec);
  if (ec) {
    std::filesystem::remove(part, ec);
    return FileResult::failure("Cannot write file: " + name, name);
  }
  return FileResult::success();
}

// Reads the three fields of the Refine form; a message and false when one
// does not hold a number that lets the passes make progress.
bool read_refine_form(std::span<const std::string> prompts, std::span<const std::string> values, MeshSettings& s) {
  double v[3];
  for (std::size_t k = 0; k < 3; ++k) {
    if (!read_number(values[k], v[k])) {
      sketra::grmesg(prompts[k] + " not read: " + std::string(sketra::trim(values[k])));
      return false;
    }
  }
  if (!(v[0] > 0 && v[0] < 1.0e12)) {
    sketra::grmesg("min_area [m2] must be greater than 0");
    return false;
  }
  if (!(v[1] > 0 && v[1] < 1.0e6)) {
    sketra::grmesg("time step [s] must be greater than 0");
    return false;
  }
  if (!(v[2] > 1 && v[2] < 1.0e6)) {
    sketra::grmesg("refine factor must be greater than 1");
    return false;
  }
  s.armin = float(v[0]);
  s.dt = float(v[1]);
  s.rfac = float(v[2]);
  return true;
}

}  // namespace

std::int32_t iitri2(float x1, float y1, float x2, float y2, float x3, float y3, float px, float py) {
  if (std::min({x1, x2, x3}) > px) return -1;
  if (px > std::max({x1, x2, x3})) return -2;
  if (py < std::min({y1, y2, y3}) || py > std::max({y1, y2, y3})) return 0;
  const double twice_area = std::fabs((double(x1) - x3) * (double(y2) - y3) - (double(y1) - y3) * (double(x2) - x3));
  return twice_area > 1.0e-8 ? 1 : 0;
}

bool read_wave_points(const std::string& name, float dt, float cfl, float armin, WavePoints& out) {
  out = WavePoints{};
  sketra::LineReader r;
  if (!r.open(name)) return false;
  std::vector<double> x, y;
  std::vector<float> area;
  std::string_view line;
  while (r.next(line)) {
    double v[3];
    const sketra::FreeResult res = sketra::read_reals(line, v);
    if (res.error || res.filled < 3 || !std::isfinite(v[0]) || !std::isfinite(v[1]) || !std::isfinite(v[2])) break;
    if (!(v[2] > 0.01)) continue;
    const double a = double(v[2]) * dt / cfl;
    x.push_back(v[0]);
    y.push_back(v[1]);
    area.push_back(float(a * a));
  }
  const std::size_t n = x.size();
  const double h = std::sqrt(double(armin)) / 2;
  static constexpr double kSign[4][2] = {{1, 1}, {-1, -1}, {1, -1}, {-1, 1}};
  for (std::size_t i = 0; i < n; ++i) {
    for (const auto& s : kSign) {
      x.push_back(x[i] + s[0] * h);
      y.push_back(y[i] + s[1] * h);
      area.push_back(area[i]);
    }
  }
  std::vector<std::int32_t> ord;
  sketra::mqsort(ord, x);
  out.x.reserve(ord.size());
  out.y.reserve(ord.size());
  out.area.reserve(ord.size());
  for (std::int32_t k : ord) {
    out.x.push_back(x[std::size_t(k)]);
    out.y.push_back(y[std::size_t(k)]);
    out.area.push_back(area[std::size_t(k)]);
  }
  return true;
}

bool refine_limits(const MeshStore& m, const WavePoints& w, float arnew, std::vector<float>& limits,
                   const std::function<bool()>& interrupted) {
  const auto nele = std::size_t(m.nele);
  limits.assign(nele, -1.0f);
  std::vector<float> xmin(nele);
  for (std::size_t e = 0; e < nele; ++e) {
    const Triangle& t = m.iele[e];
    xmin[e] = std::min({m.xn[std::size_t(t.a - 1)], m.xn[std::size_t(t.b - 1)], m.xn[std::size_t(t.c - 1)]});
  }
  std::vector<std::int32_t> ord;
  sketra::mqsort(ord, xmin);

  // Points relative to the mesh origin, as the nodes are.
  std::vector<float> px(w.x.size()), py(w.y.size());
  for (std::size_t j = 0; j < px.size(); ++j) {
    px[j] = float(w.x[j] - m.xnorig);
    py[j] = float(w.y[j] - m.ynorig);
  }
  std::size_t j0 = 0;
  for (std::size_t k = 0; k < nele; ++k) {
    if (k % 4096 == 0) {
      sketra::grbeam(std::int64_t(k), std::int64_t(nele), "processing");
      if (interrupted && interrupted()) return false;
    }
    const auto e = std::size_t(ord[k]);
    const std::size_t a = std::size_t(m.iele[e].a - 1), b = std::size_t(m.iele[e].b - 1),
                      c = std::size_t(m.iele[e].c - 1);
    float a0 = -1.0f;
    for (std::size_t j = j0; j < px.size(); ++j) {
      const std::int32_t code =
          iitri2(m.xn[a], m.yn[a], m.xn[b], m.yn[b], m.xn[c], m.yn[c], px[j], py[j]);
      if (code == 1) a0 = std::max(a0, w.area[j]);
      else if (code == -1) j0 = j + 1;
      else if (code == -2) break;
    }
    limits[e] = a0 > 0 && !(1.5f * a0 > arnew) ? arnew : -1.0f;
  }
  sketra::grbeam(std::int64_t(nele), std::int64_t(nele), "processing");
  return true;
}

void mesh_refine() {
  MeshSettings& s = mesh_settings;
  s.cfl = 0.6f;
  s.rfac = 2.0f;
  std::string prompts[] = {"min_area [m2]", "time step [s]", "refine factor"};
  std::string values[] = {sketra::fmt_f(s.armin, 8, 0), sketra::fmt_f(s.dt, 8, 2), sketra::fmt_f(s.rfac, 8, 2)};
  do {
    if (!sketra::grinfo(prompts, values)) return;
  } while (!read_refine_form(prompts, values, s));

  WavePoints w;
  if (!read_wave_points(kWaveFile, s.dt, s.cfl, s.armin, w)) {
    sketra::grmesg(std::string("File not found: ") + kWaveFile);
    return;
  }
  float arnew = s.armax / s.rfac;
  std::vector<float> limits;
  for (int pass = 1; pass <= kMaxPasses; ++pass) {
    if (!refine_limits(mod_mesh, w, arnew, limits, escape_pressed)) break;
    const std::string area_file = mod_mesh.mesh_name + ".area";
    if (FileResult res = write_area_file(area_file, limits); !res.ok) {
      sketra::grmesg(res.message);
      return;
    }
    if (!mesh_generate("-Qrpqa")) return;
    sketra::unit_write(sketra::kStdoutUnit, "Mesh " + mod_mesh.mesh_name + " Area [m2]" + sketra::fmt_f(arnew, 6, 1) +
                                                ", Cells" + sketra::fmt_i(mod_mesh.nele, 9));
    if (s.armin > arnew - 0.001f) return;
    arnew = std::max(arnew / s.rfac, s.armin);
    if (escape_pressed()) break;
  }
  sketra::grmesg("Refine stopped at " + mod_mesh.mesh_name);
}

}  // namespace korvel
