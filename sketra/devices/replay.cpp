// The replay of keep files: loading the listed files into the display list
// and drawing its background or foreground layer.
//
// Loading reads each record's tag line and its payload in free format, so
// any blank-separated numbers are accepted. Every value is checked before it
// is used: counts must be whole numbers within the capacities, co-ordinates
// finite. A record that cannot be read ends the load; the points of a
// record that was not read whole are dropped again, so the list only ever
// holds complete entries.

#include <cmath>
#include <filesystem>
#include <limits>
#include <system_error>

#include "sketra/base/textfmt.h"
#include "sketra/base/units.h"
#include "sketra/devices/bitmaps.h"
#include "sketra/devices/devices.h"
#include "sketra/devices/devices_internal.h"
#include "sketra/kernel/plot.h"
#include "sketra/ui/dialogs.h"

namespace sketra {

DisplayList display_list;

namespace {

enum class Loaded { ok, syntax, too_large };

bool whole(double v, int& out) {
  if (!(v >= std::numeric_limits<int>::min() && v <= std::numeric_limits<int>::max()) || v != std::trunc(v))
    return false;
  out = int(v);
  return true;
}

// Reads the records of one open keep file into the display list.
class KeepFileReader {
 public:
  KeepFileReader(LineReader& in, DisplayList& l) : in_(in), l_(l) {}

  Loaded read_all() {
    std::string_view line;
    const bool large = in_.size() > (std::uint64_t(1) << 22);  // worth a progress bar
    reserve_for(in_.size());
    for (std::uint64_t n = 0; in_.next(line); ++n) {
      if (large && n % 4096 == 0) grbeam(std::int64_t(in_.offset()), std::int64_t(in_.size()), "reading keep files");
      const std::string_view tag = trim_right(line.substr(0, std::min<std::size_t>(line.size(), 4)));
      if (tag.empty()) continue;
      const std::size_t points = l_.x.size();
      const Loaded r = record(tag);
      if (r != Loaded::ok) {
        l_.x.resize(points);
        l_.y.resize(points);
        l_.z.resize(points);
        return r;
      }
    }
    return Loaded::ok;
  }

 private:
  // Fills `out` from as many payload lines as it takes.
  bool values(std::span<double> out) {
    std::size_t got = 0;
    std::string_view line;
    while (got < out.size()) {
      if (!in_.next(line)) return false;
      const FreeResult r = read_reals(line, out.subspan(got));
      if (r.error) return false;
      got += std::size_t(r.filled);
      if (r.slash) break;
    }
    for (double v : out)
      if (!std::isfinite(v)) return false;
    return true;
  }

  // Room for what a file of `bytes` holds at most (a point takes at least
  // 28 characters, an entry 20), within the capacities, so that the lists
  // are not copied over and over while they grow.
  void reserve_for(std::uint64_t bytes) {
    const auto points = std::size_t(std::min<std::uint64_t>(bytes / 28, std::uint64_t(kKeepPointCapacity)));
    const auto entries = std::size_t(std::min<std::uint64_t>(bytes / 20, std::uint64_t(kDisplayCapacity)));
    const auto grow = [](auto& v, std::size_t more) { v.reserve(v.size() + more); };
    grow(l_.x, points);
    grow(l_.y, points);
    grow(l_.z, points);
    grow(l_.entries, entries);
  }

  bool integer(int& v) {
    double d = 0;
    return values({&d, 1}) && whole(d, v);
  }

  bool room(std::size_t points) const {
    return std::int64_t(l_.entries.size()) < kDisplayCapacity &&
           std::int64_t(l_.x.size() + points) <= kKeepPointCapacity;
  }

  Loaded add(KeepOp op, std::int32_t value, std::size_t first = 0, std::size_t count = 0) {
    l_.entries.push_back({op, std::int32_t(first), std::int32_t(count), value});
    return Loaded::ok;
  }

  // n points of `dims` columns (2 or 3) from as many payload lines as it
  // takes; what follows the last value on its line is not read.
  Loaded points(KeepOp op, std::int64_t n, int dims, std::int32_t value) {
    constexpr std::size_t kLineValues = 256;
    if (n < 0) return Loaded::syntax;
    if (!room(std::size_t(std::min<std::int64_t>(n, kKeepPointCapacity + 1)))) return Loaded::too_large;
    const std::size_t first = l_.x.size();
    double buf[kLineValues];
    double vertex[3] = {0, 0, 0};
    int have = 0;
    std::int64_t left = n * dims;
    std::string_view line;
    while (left > 0) {
      if (!in_.next(line)) return Loaded::syntax;
      const std::size_t want = std::size_t(std::min<std::int64_t>(left, std::int64_t(kLineValues)));
      const FreeResult r = read_reals(line, {buf, want});
      // A line of more values than fit the buffer would lose some of them.
      if (r.error || r.slash || (std::size_t(r.filled) == kLineValues && left > std::int64_t(kLineValues)))
        return Loaded::syntax;
      for (int i = 0; i < r.filled; ++i) {
        if (!(std::fabs(buf[i]) < 1e30)) return Loaded::syntax;  // a float holds it
        vertex[have++] = buf[i];
        if (have < dims) continue;
        l_.x.push_back(float(vertex[0]));
        l_.y.push_back(float(vertex[1]));
        l_.z.push_back(dims == 3 ? float(vertex[2]) : 0.0f);
        have = 0;
      }
      left -= r.filled;
    }
    return add(op, value, first, std::size_t(n));
  }

  Loaded record(std::string_view tag) {
    if (!room(0)) return Loaded::too_large;
    int v = 0;
    if (tag == "COLR" || tag == "DASH" || tag == "SYMB" || tag == "MCOL" || tag == "RCOL") {
      if (!integer(v)) return Loaded::syntax;
      const KeepOp op = tag == "COLR"   ? KeepOp::colour
                        : tag == "DASH" ? KeepOp::dash
                        : tag == "SYMB" ? KeepOp::symbol
                        : tag == "MCOL" ? KeepOp::colour_mode
                                        : KeepOp::colour_bank;
      return add(op, v);
    }
    if (tag == "MOV2" || tag == "DRW2") return points(tag == "MOV2" ? KeepOp::move2 : KeepOp::draw2, 1, 2, 0);
    if (tag == "MOV3" || tag == "DRW3") return points(tag == "MOV3" ? KeepOp::move3 : KeepOp::draw3, 1, 3, 0);
    if (tag == "FIL2" || tag == "FIL3") {
      std::string_view line;
      if (!in_.next(line)) return Loaded::syntax;
      double head[3] = {0, 0, 0};
      const FreeResult r = read_reals(line, head);
      int n = 0, colour = 0;
      if (r.error || r.filled < 2 || !whole(head[0], n) || !whole(head[1], colour)) return Loaded::syntax;
      return tag == "FIL2" ? points(KeepOp::fill2, n, 2, colour) : points(KeepOp::fill3, n, 3, colour);
    }
    if (tag == "ANOT") {
      std::string_view line;
      if (!in_.next(line)) return Loaded::syntax;
      if (std::int64_t(l_.texts.size()) >= kKeepTextCapacity) return Loaded::too_large;
      l_.texts.emplace_back(line.substr(0, std::min<std::size_t>(line.size(), kKeepTextWidth)));
      return add(KeepOp::text, 0, l_.texts.size() - 1);
    }
    if (tag == "XORG" || tag == "YORG") {
      double o = 0;
      if (!values({&o, 1})) return Loaded::syntax;
      if (tag == "XORG") {
        if (int(l_.origins.size()) < kKeepOriginCapacity) l_.origins.push_back({0, 0});
        l_.origins.back() = {o, 0};
        return Loaded::ok;
      }
      if (l_.origins.empty()) l_.origins.push_back({0, 0});
      l_.origins.back()[1] = o;
      return add(KeepOp::origin, std::int32_t(l_.origins.size() - 1));
    }
    if (tag == "BITM") return world_file() ? Loaded::ok : Loaded::syntax;
    return Loaded::syntax;
  }

  // A BITM record: the bitmap's world file (six lines) beside it.
  bool world_file() {
    std::string_view line;
    if (!in_.next(line)) return false;
    std::string name(trim(line.substr(0, std::min<std::size_t>(line.size(), kKeepNameWidth))));
    double g[4] = {0, 0, 0, 0};
    if (name.empty() || !values(g)) return false;
    igrsuffx(name, ".wld", 1);
    detail::ReplacingFile out;
    if (!out.open(grcomn.jdv2gr, std::string(trim_right(name)))) return true;
    out.write_line(fmt_f(g[2], 8, 2));
    out.write_line("0.00");
    out.write_line("0.00");
    out.write_line(fmt_f(-g[3], 8, 2));
    out.write_line(fmt_f(g[0], 12, 2));
    out.write_line(fmt_f(g[1], 12, 2));
    const std::string failed = out.finish();
    if (!failed.empty()) grmesg(failed);
    return true;
  }

  LineReader& in_;
  DisplayList& l_;
};

void report_to_stdout(const std::string& message) { unit_write(kStdoutUnit, "grkpla: " + message); }

// Loads one listed keep file; false ends the load.
bool load_file(KeepEntry& e) {
  std::error_code ec;
  if (!std::filesystem::exists(e.name, ec)) {
    grmesg("Keep file not found: " + e.name);
    e.state = kKeepRemove;
    return true;
  }
  std::string name = e.name;
  if (igrsuffx(name, ".kep", 0) != 1) {
    grbitmap(2, e.name, e.state);
    return true;
  }
  const int unit = grcomn.jdv3gr;
  if (!unit_open(unit, e.name, FileStatus::old_file) || !unit_reader(unit)) {
    const std::string message = "Error opening: " + e.name;
    grmesg(message);
    report_to_stdout(message);
    e.state = kKeepHidden;
    return false;
  }
  const Loaded r = KeepFileReader(*unit_reader(unit), display_list).read_all();
  unit_close(unit);
  if (r == Loaded::syntax) {
    const std::string message = "Syntax error in: " + e.name;
    grmesg(message);
    report_to_stdout(message);
    e.state = kKeepHidden;
    return false;
  }
  if (r == Loaded::too_large) {
    grmesg("Keep file too large: " + e.name);
    return false;
  }
  return true;
}

void load(std::span<KeepEntry> list) {
  display_list = DisplayList{};
  grbitmap(0);
  for (int pass : {kKeepBackground, kKeepForeground}) {
    for (KeepEntry& e : list) {
      if (e.state != pass) continue;
      if (!load_file(e)) {
        if (pass == kKeepBackground) display_list.nback = display_list.entries.size();
        return;
      }
    }
    if (pass == kKeepBackground) display_list.nback = display_list.entries.size();
  }
}

void draw_entry(const DisplayList& l, const DisplayEntry& e) {
  ColourState& cs = grcomn.colour;
  const std::size_t f = std::size_t(e.first), n = std::size_t(e.count);
  switch (e.op) {
    case KeepOp::text: granot(l.texts[f], 0); break;
    case KeepOp::colour: grcolr(e.value); break;
    case KeepOp::dash: grdash(e.value); break;
    case KeepOp::draw2: grdrw2(l.x[f], l.y[f]); break;
    case KeepOp::draw3: grdrw3(l.x[f], l.y[f], l.z[f]); break;
    case KeepOp::move2: grmov2(l.x[f], l.y[f]); break;
    case KeepOp::move3: grmov3(l.x[f], l.y[f], l.z[f]); break;
    case KeepOp::fill2: grfil2({&l.x[f], n}, {&l.y[f], n}, e.value); break;
    case KeepOp::fill3: grfil3({&l.x[f], n}, {&l.y[f], n}, {&l.z[f], n}, e.value); break;
    case KeepOp::symbol: grsymb(e.value); break;
    case KeepOp::colour_mode: cs.mode = std::clamp(e.value, -4, 4); break;
    case KeepOp::colour_bank: cs.bank = std::clamp(e.value, 0, 9); break;
    case KeepOp::origin:
      grvalu8("XORGR", l.origins[std::size_t(e.value)][0]);
      grvalu8("YORGR", l.origins[std::size_t(e.value)][1]);
      break;
  }
}

// Draws layer `mode` (3 background, 4 foreground): its bitmaps, then the
// entries [from, to).
void draw(int mode, std::size_t from, std::size_t to) {
  PlotState& c = grcomn;
  const int colour_mode = c.colour.mode, bank = c.colour.bank;
  const double xo = c.xorgr, yo = c.yorgr;
  grvalu8("XORGR", 0.0);
  grvalu8("YORGR", 0.0);
  grbitmap(mode);
  const DisplayList& l = display_list;
  for (std::size_t i = from; i < to && i < l.entries.size(); ++i) draw_entry(l, l.entries[i]);
  c.colour.mode = colour_mode;
  c.colour.bank = bank;
  grvalu8("XORGR", xo);
  grvalu8("YORGR", yo);
}

}  // namespace

void grkpla(std::span<KeepEntry> list, int mode) {
  switch (mode) {
    case 2: load(list); break;
    case 3: draw(3, 0, display_list.nback); break;
    case 4: draw(4, display_list.nback, display_list.entries.size()); break;
    default: break;
  }
}

}  // namespace sketra
