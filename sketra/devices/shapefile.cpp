// Shapefile hard copy (output mode 10) through shapelib: points, arcs or
// polygons with one attribute.
//
//   Point    a symbol becomes a point at the current point; its attribute
//            is the point's z.
//   Arc      draws go to the arc collector, which merges the segments into
//            chains (arcs) when the collector is full and at the end; an
//            arc's attribute is the z of its first node, so a contour line
//            drawn at level z carries z.
//   Polygon  the filled polygons of one colour are merged into one
//            polygon with holes (polygon_merge.h): outer rings clockwise,
//            holes counter-clockwise; its attribute is the fill colour. A
//            colour that cannot be merged cleanly, or has one polygon
//            only, is written polygon by polygon, each ring reversed and
//            closed.
//
// The .shp, .shx and .dbf are created under temporary names beside the
// target and stay open for the whole hard copy; shapelib's file hooks note
// the first failed write. Closing renames the three files over the targets,
// or, after a failure, removes them and reports it.
//
// The arc collector keeps nodes and segments (at most 39 999 each). An end
// point within 0.001 of a collected node is that node (a hash of 0.001
// cells finds it); a segment between two nodes already joined, in either
// direction, is not added again. Writing walks chains: take the first
// remaining segment and follow, from its second node, any remaining
// segment that continues at the chain's end, until none does.

#include <shapefil.h>

#include <cerrno>
#include <cmath>
#include <cstdio>
#include <filesystem>
#include <unordered_map>
#include <unordered_set>

#include "sketra/base/textfmt.h"
#include "sketra/devices/devices.h"
#include "sketra/devices/devices_internal.h"
#include "sketra/devices/polygon_merge.h"
#include "sketra/kernel/plot.h"
#include "sketra/ui/dialogs.h"

namespace sketra {

ShapeSettings shape_settings;

namespace detail {

ShapeIo shape_io;

namespace {

SAHooks default_hooks() {
  SAHooks h;
  SASetupDefaultHooks(&h);
  return h;
}
const SAHooks kDefaultHooks = default_hooks();

SAOffset checked_write(void* p, SAOffset size, SAOffset n, SAFile f) {
  const SAOffset done = kDefaultHooks.FWrite(p, size, n, f);
  if (done != n) shape_io.failed = true;
  return done;
}
int checked_flush(SAFile f) {
  const int r = kDefaultHooks.FFlush(f);
  if (r != 0) shape_io.failed = true;
  return r;
}
int checked_close(SAFile f) {
  const int r = kDefaultHooks.FClose(f);
  if (r != 0) shape_io.failed = true;
  return r;
}
void note_error(const char* message) {
  shape_io.failed = true;
  if (shape_io.message.empty() && message) shape_io.message = message;
}

SAHooks checking_hooks() {
  SAHooks h = kDefaultHooks;
  h.FWrite = checked_write;
  h.FFlush = checked_flush;
  h.FClose = checked_close;
  h.Error = note_error;
  return h;
}

constexpr const char* kSuffixes[] = {".shp", ".shx", ".dbf"};

// The .shp/.shx/.dbf of one hard copy, open from start to end.
class ShapeWriter {
 public:
  ShapeWriter() = default;
  ShapeWriter(const ShapeWriter&) = delete;
  ShapeWriter& operator=(const ShapeWriter&) = delete;
  ~ShapeWriter() {
    close_files();
    remove_temporaries();
  }

  // Creates the files; on failure the message to show (nothing left open).
  std::string open(const std::string& base, int shape_type, int attribute_type, const std::string& field) {
    base_ = base;
    temp_ = temporary_name(base);
    attribute_type_ = attribute_type;
    shape_io = ShapeIo{};
    SAHooks hooks = checking_hooks();
    dbf_ = DBFCreateLL((temp_ + ".dbf").c_str(), "LDID/87", &hooks);
    if (!dbf_) return "DBFCreate(" + base + ".dbf) failed.";
    const bool integer = attribute_type == kAttributeInteger;
    if (DBFAddField(dbf_, field.c_str(), integer ? FTInteger : FTDouble, integer ? 8 : 12, integer ? 0 : 3) < 0)
      return std::string("DBFAddField(hDBF,") + field + (integer ? ",FTInteger) failed." : ",FTDouble) failed.");
    type_ = shape_type == kShapeArc ? SHPT_ARC : shape_type == kShapePolygon ? SHPT_POLYGON : SHPT_POINT;
    shp_ = SHPCreateLL((temp_ + ".shp").c_str(), type_, &hooks);
    if (!shp_) return "Unable to open:" + base + ".shp";
    return {};
  }

  // Appends one object and its attribute; false once anything failed.
  bool add(int n, const double* x, const double* y, const double* z, double dvalue, int ivalue) {
    return add_parts(0, nullptr, n, x, y, z, dvalue, ivalue);
  }
  // The same for an object of `parts` parts starting at `part_start`.
  bool add_parts(int parts, const int* part_start, int n, const double* x, const double* y, const double* z,
                 double dvalue, int ivalue) {
    if (shape_io.failed || !shp_) return false;
    SHPObject* obj = parts > 0 ? SHPCreateObject(type_, -1, parts, part_start, nullptr, n, x, y, z, nullptr)
                               : SHPCreateSimpleObject(type_, n, x, y, z);
    const int id = obj ? SHPWriteObject(shp_, -1, obj) : -1;
    if (obj) SHPDestroyObject(obj);
    const bool ok = id >= 0 && (attribute_type_ == kAttributeInteger ? DBFWriteIntegerAttribute(dbf_, id, 0, ivalue)
                                                                       : DBFWriteDoubleAttribute(dbf_, id, 0, dvalue));
    if (!ok) shape_io.failed = true;
    return !shape_io.failed;
  }

  // Closes the files and renames them over the targets. Returns an empty
  // text, or the message of the failure (the temporaries removed).
  std::string finish() {
    close_files();
    std::error_code ec;
    for (const char* s : kSuffixes) {
      if (shape_io.failed) break;
      std::filesystem::rename(temp_ + s, base_ + s, ec);
      if (ec) shape_io.failed = true;
    }
    if (!shape_io.failed) return {};
    remove_temporaries();
    return "Error writing: " + base_ + ".shp";
  }

 private:
  void close_files() {
    if (shp_) SHPClose(shp_);
    if (dbf_) DBFClose(dbf_);
    shp_ = nullptr;
    dbf_ = nullptr;
  }
  void remove_temporaries() {
    std::error_code ec;
    for (const char* s : kSuffixes) std::filesystem::remove(temp_ + s, ec);
  }

  std::string base_, temp_;
  int type_ = SHPT_POINT;
  int attribute_type_ = kAttributeInteger;
  SHPHandle shp_ = nullptr;
  DBFHandle dbf_ = nullptr;
};

// Segments collected for arcs; see the essay at the top.
class ArcCollector {
 public:
  // Adds the segment a-b; true when a list is full (time to write).
  bool add(const FileVertex& a, const FileVertex& b) {
    const int i = node(a), j = node(b);
    if (i != j && joined_.insert(pair_key(i, j)).second) segments_.push_back({i, j});
    return int(nodes_.size()) >= kArcCollectorCapacity - 1 || int(segments_.size()) >= kArcCollectorCapacity;
  }

  // Writes every chain as one arc and empties the lists. False when a
  // write failed.
  bool write(ShapeWriter& out) {
    const std::size_t ns = segments_.size();
    std::vector<std::vector<std::size_t>> at(nodes_.size());
    for (std::size_t s = 0; s < ns; ++s) {
      at[size_t(segments_[s][0])].push_back(s);
      at[size_t(segments_[s][1])].push_back(s);
    }
    std::vector<bool> used(ns, false);
    std::vector<double> x, y, z;
    bool ok = true;
    for (std::size_t s = 0; s < ns && ok; ++s) {
      grbeam(std::int64_t(s), std::int64_t(ns), "writing shape format");
      if (used[s]) continue;
      used[s] = true;
      x.clear();
      y.clear();
      z.clear();
      append(segments_[s][0], x, y, z);
      int end = segments_[s][1];
      append(end, x, y, z);
      for (bool more = true; more;) {
        more = false;
        for (std::size_t t : at[size_t(end)]) {
          if (used[t]) continue;
          used[t] = true;
          end = segments_[t][0] == end ? segments_[t][1] : segments_[t][0];
          append(end, x, y, z);
          more = true;
          break;
        }
      }
      ok = out.add(int(x.size()), x.data(), y.data(), z.data(), z[0], 0);
    }
    clear();
    return ok;
  }

  void clear() {
    nodes_.clear();
    segments_.clear();
    cells_.clear();
    joined_.clear();
  }

 private:
  static std::uint64_t cell_key(std::int64_t cx, std::int64_t cy) {
    return std::uint64_t(cx) * 0x9E3779B97F4A7C15ull ^ std::uint64_t(cy);
  }
  static std::uint64_t pair_key(int i, int j) {
    return (std::uint64_t(std::uint32_t(std::min(i, j))) << 32) | std::uint32_t(std::max(i, j));
  }
  // The number of the node at p, appended when there is none.
  int node(const FileVertex& p) {
    const std::int64_t cx = std::int64_t(std::floor(double(p.x) * 1000)), cy = std::int64_t(std::floor(double(p.y) * 1000));
    for (std::int64_t dx = -1; dx <= 1; ++dx)
      for (std::int64_t dy = -1; dy <= 1; ++dy) {
        auto [lo, hi] = cells_.equal_range(cell_key(cx + dx, cy + dy));
        for (auto it = lo; it != hi; ++it) {
          const FileVertex& q = nodes_[size_t(it->second)];
          const double ddx = double(q.x) - p.x, ddy = double(q.y) - p.y;
          if (ddx * ddx + ddy * ddy < 1e-6) return it->second;
        }
      }
    nodes_.push_back(p);
    cells_.emplace(cell_key(cx, cy), int(nodes_.size() - 1));
    return int(nodes_.size() - 1);
  }
  void append(int k, std::vector<double>& x, std::vector<double>& y, std::vector<double>& z) const {
    const FileVertex& p = nodes_[size_t(k)];
    x.push_back(double(p.x) + grcomn.xorgr);
    y.push_back(double(p.y) + grcomn.yorgr);
    z.push_back(p.z);
  }

  std::vector<FileVertex> nodes_;
  std::vector<std::array<int, 2>> segments_;
  std::unordered_multimap<std::uint64_t, int> cells_;
  std::unordered_set<std::uint64_t> joined_;
};

class ShapeDevice final : public FileDevice {
 public:
  ShapeDevice(std::unique_ptr<ShapeWriter> out, int type, const std::string& base)
      : out_(std::move(out)), type_(type) {
    if (type_ == kShapePolygon) merger_ = std::make_unique<PieceMerger>(temporary_name(base + ".pieces"));
  }

  std::string close() override {
    if (type_ == kShapeArc && ok_) ok_ = arcs_.write(*out_);
    if (type_ == kShapePolygon && ok_) {
      ok_ = merger_->finish([this](int colour, const MergedPolygon& p) { return write_merged(colour, p); },
                            [this](std::span<const float> x, std::span<const float> y, int colour) {
                              return write_piece(x, y, colour);
                            });
      if (!ok_) check(false);
    }
    merger_.reset();
    std::string failed = out_->finish();
    shape_settings.attribute_type = kAttributeInteger;
    return failed.empty() ? "Shapefile done" : failed;
  }

  void draw(const FileVertex& from, const FileVertex& to, bool) override {
    if (type_ != kShapeArc || !ok_) return;
    if (arcs_.add(from, to)) check(arcs_.write(*out_));
  }

  void symbol(int, const FileVertex& at) override {
    if (type_ != kShapePoint || !ok_) return;
    const double x = double(at.x) + grcomn.xorgr, y = double(at.y) + grcomn.yorgr, z = at.z;
    check(out_->add(1, &x, &y, &z, z, int(std::lround(std::clamp(z, -2e9, 2e9)))));
  }

  bool joins_fills() const override { return type_ == kShapePolygon; }

  void fill(std::span<const float> x, std::span<const float> y, int colour) override {
    if (type_ != kShapePolygon || !ok_ || x.empty()) return;
    check(merger_->add(x, y, colour));
  }

 private:
  bool write_merged(int colour, const MergedPolygon& p) {
    xs_.resize(p.x.size());
    ys_.resize(p.y.size());
    for (std::size_t k = 0; k < p.x.size(); ++k) {
      xs_[k] = p.x[k] + grcomn.xorgr;
      ys_[k] = p.y[k] + grcomn.yorgr;
    }
    return out_->add_parts(int(p.part_start.size()), p.part_start.data(), int(xs_.size()), xs_.data(), ys_.data(),
                           nullptr, colour, colour);
  }

  // One polygon with its ring reversed and closed.
  bool write_piece(std::span<const float> x, std::span<const float> y, int colour) {
    const std::size_t n = x.size();
    xs_.clear();
    ys_.clear();
    for (std::size_t i = 0; i <= n; ++i) {
      const std::size_t k = i == n ? n - 1 : n - 1 - i;
      xs_.push_back(double(x[k]) + grcomn.xorgr);
      ys_.push_back(double(y[k]) + grcomn.yorgr);
    }
    zs_.assign(n + 1, 0.0);
    return out_->add(int(n + 1), xs_.data(), ys_.data(), zs_.data(), colour, colour);
  }

  // After a failure nothing more is written; shapelib's explanation shows
  // once (the closing message names the file).
  void check(bool ok) {
    if (ok) return;
    shape_io.failed = true;
    ok_ = false;
    grmesg(shape_io.message.empty() ? "Error writing shapefile" : shape_io.message);
  }

  std::unique_ptr<ShapeWriter> out_;
  int type_;
  bool ok_ = true;
  ArcCollector arcs_;
  std::unique_ptr<PieceMerger> merger_;
  std::vector<double> xs_, ys_, zs_;
};

// The field name: trimmed, inner blanks as "_"; "VALUE" when blank.
std::string field_name(std::string_view text) {
  std::string f(trim(text));
  for (char& ch : f)
    if (ch == ' ') ch = '_';
  return f.empty() ? "VALUE" : f;
}

std::string first_word(std::string_view text) {
  text = trim(text);
  return std::string(text.substr(0, text.find(' ')));
}

}  // namespace

std::unique_ptr<FileDevice> open_shape_device() {
  ShapeSettings& s = shape_settings;
  std::string prompts[] = {"File prefix", "Field name", "Shape_type"};
  std::string values[] = {fixed_width(trim_right(grcomt.shape_base), kShapeBaseWidth),
                          first_word(grcomt.subtitle), "|1|Point|Arc|Polygon"};
  set_choice(values[2], std::clamp(s.shape_type, kShapePoint, kShapePolygon));
  if (!grinfo(prompts, values)) return nullptr;
  const std::string base(trim(values[0].substr(0, std::min<std::size_t>(values[0].size(), kShapeBaseWidth))));
  if (base.empty()) {
    grmesg("Filename cannot be all blanks");
    return nullptr;
  }
  grcomt.shape_base = fixed_width(base, kShapeBaseWidth);
  s.field = field_name(values[1]);
  int type = 0;
  choice_options(values[2], type);
  if (type >= kShapePoint && type <= kShapePolygon) s.shape_type = type;
  s.attribute_type = s.shape_type == kShapePolygon ? kAttributeInteger : kAttributeDouble;
  auto out = std::make_unique<ShapeWriter>();
  if (const std::string failed = out->open(base, s.shape_type, s.attribute_type, s.field); !failed.empty()) {
    grmesg(failed);
    return nullptr;
  }
  return std::make_unique<ShapeDevice>(std::move(out), s.shape_type, base);
}

}  // namespace detail

}  // namespace sketra
