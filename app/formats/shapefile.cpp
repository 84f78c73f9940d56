#include "app/formats/shapefile.h"

#include <shapefil.h>

#include <cmath>
#include <filesystem>
#include <memory>

#include "app/formats/sections.h"
#include "app/loader.h"
#include "app/store.h"
#include "sketra/base/textfmt.h"
#include "sketra/base/units.h"
#include "sketra/ui/dialogs.h"

namespace korvel {

namespace {

struct CloseShp {
  void operator()(SHPInfo* h) const { SHPClose(h); }
};
struct DestroyObject {
  void operator()(SHPObject* o) const { SHPDestroyObject(o); }
};
using ShpHandle = std::unique_ptr<SHPInfo, CloseShp>;
using ShpObject = std::unique_ptr<SHPObject, DestroyObject>;

bool point_type(int t) { return t == SHPT_POINT || t == SHPT_POINTZ || t == SHPT_POINTM; }
bool multipoint_type(int t) { return t == SHPT_MULTIPOINT || t == SHPT_MULTIPOINTZ || t == SHPT_MULTIPOINTM; }

// Appends the vertices of one shape; false when a coordinate is not finite.
bool add_shape(const SHPObject& s, std::int64_t capacity, ShapeVertices& out) {
  const bool single = point_type(s.nSHPType) || multipoint_type(s.nSHPType);
  std::vector<std::uint8_t> starts(std::size_t(std::max(s.nVertices, 0)), 0);
  if (!single && s.nVertices > 0) {
    starts[0] = 1;
    for (int p = 0; p < s.nParts && s.panPartStart; ++p) {
      int at = s.panPartStart[p];
      if (at >= 0 && at < s.nVertices) starts[std::size_t(at)] = 1;
    }
    for (auto m : starts) out.parts += m;
  }
  for (int i = 0; i < s.nVertices; ++i) {
    double x = s.padfX[i], y = s.padfY[i], z = s.padfZ ? s.padfZ[i] : 0.0;
    if (!std::isfinite(x) || !std::isfinite(y) || !std::isfinite(z)) return false;
    if (std::int64_t(out.x.size()) >= capacity) {
      ++out.ignored;
      continue;
    }
    out.x.push_back(x);
    out.y.push_back(y);
    out.z.push_back(z);
    out.mark.push_back(single ? kSinglePoint : starts[std::size_t(i)] ? kStartsChain : kContinuesChain);
  }
  return true;
}

// shapelib explains its failures through an error hook; they go to the log
// of the load in progress (the hook has no context pointer, and korvel reads
// one shapefile at a time).
int g_error_log = -1;
void shapelib_error(const char* message) {
  sketra::unit_write(g_error_log, std::string(" shapelib: ") + message);
}

// Room for the vertices a .shp file of this size can hold (16 bytes each at
// least), never more than the capacity.
void reserve(ShapeVertices& out, const std::string& name, std::int64_t capacity) {
  std::error_code ec;
  auto bytes = std::filesystem::file_size(name, ec);
  if (ec) return;
  auto n = std::size_t(std::min<std::uintmax_t>(bytes / 16 + 1, std::uintmax_t(std::max<std::int64_t>(capacity, 0))));
  out.x.reserve(n);
  out.y.reserve(n);
  out.z.reserve(n);
  out.mark.reserve(n);
}

}  // namespace

ReadResult getshape(const std::string& name_in, std::int64_t capacity, ShapeVertices& out, int log) {
  const std::string name(sketra::trim_right(name_in));
  report("filename:" + name, log);
  SAHooks hooks;
  SASetupDefaultHooks(&hooks);
  hooks.Error = shapelib_error;
  g_error_log = log;
  ShpHandle shp(SHPOpenLL(name.c_str(), "rb", &hooks));
  if (!shp) {
    report("Unable to open:" + name, log);
    return ReadResult::failure("Unable to open:" + name);
  }
  int count = 0, type = 0;
  double lo[4], hi[4];
  SHPGetInfo(shp.get(), &count, &type, lo, hi);
  out.type = type;
  out.shapes = std::max(count, 0);
  report(std::string("Shapefile Type: ") + SHPTypeName(type) + "   # of Shapes: " + std::to_string(out.shapes), log);
  reserve(out, name, capacity);
  for (int k = 0; k < out.shapes; ++k) {
    ShpObject s(SHPReadObject(shp.get(), k));
    if (!s) return ReadResult::failure("shape " + std::to_string(k + 1) + " unreadable in " + name);
    if (!add_shape(*s, capacity, out))
      return ReadResult::failure("shape " + std::to_string(k + 1) + " holds a coordinate that is not a number in " + name);
    sketra::grbeam(k + 1, out.shapes, "reading shapes");
  }
  return ReadResult::success();
}

// ---- The loader's shapefile path ----------------------------------------------------

ReadResult shapefile(const std::string& name, int log) {
  ShapeVertices v;
  ReadResult r = getshape(name, std::int64_t(cin1.maxp) - cin1.np, v, log);
  if (!r.ok) return r;
  if (!v.x.empty()) fix_origin(v.x[0], v.y[0]);
  store_reserve_points(v.x.size());
  EdgeSink edges(log);
  bool chain = false;
  for (std::size_t i = 0; i < v.x.size(); ++i) {
    add_point_abs(v.x[i], v.y[i], float(v.z[i]), reader.icol);
    if (v.mark[i] == kContinuesChain && chain) edges.add(cin1.np - 1, cin1.np);
    if (v.mark[i] != kContinuesChain) chain = v.mark[i] == kStartsChain;
  }
  if (v.ignored > 0) sketra::unit_write(log, " ignored vertices (store full):" + sketra::fmt_i(v.ignored, 10));
  edges.flush();
  sections::found_message();
  return r;
}

}  // namespace korvel
