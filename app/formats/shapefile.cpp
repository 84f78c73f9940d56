#include "app/formats/shapefile.h"

#include <shapefil.h>

#include <cmath>
#include <filesystem>
#include <memory>

#include "sketra/base/textfmt.h"
#include "sketra/base/units.h"

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

// shapelib explains its failures through an error hook, which has no
// context pointer: while getshape runs, `error_log` names the log unit its
// explanations go to, and nothing else uses it.
int error_log = -1;
void shapelib_error(const char* message) {
  sketra::unit_write(error_log, std::string(" shapelib: ") + message);
}

// Points the hook at a log unit for the lifetime of the scope.
class ErrorLogScope {
 public:
  explicit ErrorLogScope(int log) { error_log = log; }
  ~ErrorLogScope() { error_log = -1; }
  ErrorLogScope(const ErrorLogScope&) = delete;
  ErrorLogScope& operator=(const ErrorLogScope&) = delete;
};

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

FileResult getshape(const std::string& name_in, std::int64_t capacity, ShapeVertices& out, int log,
                    Progress& progress) {
  const std::string name(sketra::trim_right(name_in));
  report("filename:" + name, log);
  SAHooks hooks;
  SASetupDefaultHooks(&hooks);
  hooks.Error = shapelib_error;
  ErrorLogScope scope(log);
  ShpHandle shp(SHPOpenLL(name.c_str(), "rb", &hooks));
  if (!shp) {
    report("Unable to open:" + name, log);
    return FileResult::failure("Unable to open:" + name, name);
  }
  int count = 0, type = 0;
  double lo[4], hi[4];
  SHPGetInfo(shp.get(), &count, &type, lo, hi);
  out.type = type;
  out.shapes = std::max(count, 0);
  report(std::string("Shapefile Type: ") + SHPTypeName(type) + "   # of Shapes: " + std::to_string(out.shapes), log);
  reserve(out, name, capacity);
  Gauge gauge(progress);
  const std::string unreadable = "not a readable shapefile: " + name;
  bool vertices = false;
  for (int k = 0; k < out.shapes; ++k) {
    ShpObject s(SHPReadObject(shp.get(), k));
    if (!s) return FileResult::failure("shape " + std::to_string(k + 1) + " unreadable in " + name, name);
    // A record of another type than the file's is not one the file wrote.
    if (s->nSHPType != SHPT_NULL && s->nSHPType != type) return FileResult::failure(unreadable, name);
    vertices = vertices || s->nVertices > 0;
    if (!add_shape(*s, capacity, out))
      return FileResult::failure(
          "shape " + std::to_string(k + 1) + " holds a coordinate that is not a number in " + name, name);
    gauge(k + 1, out.shapes, "reading shapes");
  }
  // Shapes without a single vertex: what a damaged file reads as.
  if (out.shapes > 0 && !vertices) return FileResult::failure(unreadable, name);
  return FileResult::success();
}

}  // namespace korvel
