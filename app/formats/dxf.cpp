#include "app/formats/dxf.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <span>

#include "app/formats/dxf_entity.h"
#include "sketra/base/textfmt.h"
#include "sketra/base/units.h"

namespace korvel {

namespace {

using sketra::LineReader;
using sketra::trim;

constexpr std::size_t kValueWidth = 32;

// The pairs of a DXF file: a group code line and a value line. A code line
// that is not an integer is skipped together with the line after it. Values
// are cut to 32 characters; blanks and carriage returns around them go.
class PairReader {
 public:
  explicit PairReader(LineReader& r) : r_(r) {}

  bool next(int& code, std::string_view& value) {
    std::string_view l;
    for (;;) {
      if (!r_.next(l)) return false;
      l = trim(l);
      auto res = std::from_chars(l.data(), l.data() + l.size(), code);
      bool ok = res.ec == std::errc{} && res.ptr == l.data() + l.size() && !l.empty();
      if (!r_.next(value)) {
        dangling_ = true;
        return false;
      }
      if (!ok) continue;
      value = trim(value);
      if (value.size() > kValueWidth) value = trim(value.substr(0, kValueWidth));
      return true;
    }
  }
  std::int64_t line() const { return r_.record(); }
  std::int64_t pairs_read() const { return r_.record() / 2; }
  bool dangling() const { return dangling_; }

 private:
  LineReader& r_;
  bool dangling_ = false;
};

// The layer table with a one-entry cache: consecutive entities are mostly
// on the same layer.
class Layers {
 public:
  explicit Layers(std::vector<DxfLayer>& l) : l_(l) {}
  // Index of the layer; -1 when it is not in the table.
  int find(std::string_view name) {
    if (last_ >= 0 && l_[std::size_t(last_)].name == name) return last_;
    for (std::size_t i = 0; i < l_.size(); ++i)
      if (l_[i].name == name) return last_ = int(i);
    return -1;
  }
  // Appends a new name; false when the table is full.
  bool add(std::string_view name) {
    if (find(name) >= 0) return true;
    if (l_.size() >= std::size_t(kMaxDxfLayers)) return false;
    l_.push_back(DxfLayer{std::string(name), true});
    return true;
  }

 private:
  std::vector<DxfLayer>& l_;
  int last_ = -1;
};

}  // namespace

void read_dxf_layers(LineReader& r, long nlines, int log, Progress& progress, DxfDrawing& out) {
  nlines = std::max(nlines, 1L);
  r.rewind();
  PairReader pr(r);
  Layers layers(out.layers);
  Gauge gauge(progress);
  bool full = false;
  int code = 0;
  std::string_view value;
  while (pr.next(code, value)) {
    gauge(pr.line(), nlines, "get layers");
    if ((code == 2 && value == "ENTITIES") || (code == 0 && dxf::entity_kind(value) != dxf::Kind::none))
      out.drawing = true;
    if (code == 8 && !layers.add(value) && !full) {
      full = true;
      sketra::unit_write(log, " more than" + sketra::fmt_i(kMaxDxfLayers, 4) + " layers: the others are ignored");
    }
  }
}

namespace {

// Counts an unknown group-0 name (at most 200 names).
void count_unknown(DxfDrawing& out, std::string_view name) {
  for (auto& [n, c] : out.unknown)
    if (n == name) {
      ++c;
      return;
    }
  if (out.unknown.size() < std::size_t(kMaxDxfCodes)) out.unknown.emplace_back(std::string(name), 1);
}

struct Pass2 {
  PairReader& pr;
  Layers& layers;
  dxf::EntityReader& er;
  DxfDrawing& out;
  Gauge& gauge;
  int log;
  bool in_block = false;
  bool default_chosen = true;  // layer "0", where records without group 8 lie
};

// A group-0 pair: ends the record in hand and starts the next. False at "EOF".
bool next_record(Pass2& p, std::string_view value) {
  p.out.skipped += p.er.end();
  std::string_view name = value.substr(0, std::min(value.find(' '), value.size()));
  if (name == "EOF") return false;
  if (name == "BLOCK") p.in_block = true;
  if (name == "ENDBLK") p.in_block = false;
  dxf::Kind kind = dxf::entity_kind(name);
  if (kind == dxf::Kind::none) count_unknown(p.out, name);
  p.er.begin(kind, p.in_block, p.default_chosen);
  return true;
}

// Pass 2: the entities of the chosen layers.
FileResult collect_entities(long nlines, const std::string& name, Pass2& p) {
  int code = 0;
  std::string_view value;
  bool eof = false;
  while (p.pr.next(code, value)) {
    p.gauge(p.pr.line(), nlines, "get data");
    if (code == 0) {
      if (!next_record(p, value)) {
        eof = true;
        break;
      }
    } else if (!p.er.active()) {
      continue;
    } else if (code == 8) {
      int k = p.layers.find(value);
      if (k < 0 && !p.er.skipping()) report("unkown layer: " + std::string(value) + " ignored", p.log);
      p.er.choose(k >= 0 && p.out.layers[std::size_t(k)].chosen);
    } else if (!p.er.group(code, value)) {
      return FileResult::failure("not a number at line " + std::to_string(p.pr.line()) + " of " + name, name,
                                 p.pr.line());
    }
  }
  if (!eof) p.out.truncated = p.er.drop();
  return FileResult::success();
}

void report_unknown(const DxfDrawing& out, int log) {
  if (out.unknown.empty()) return;
  report("unknown codes:", log);
  for (const auto& [n, c] : out.unknown) report("  " + sketra::fmt_a(n, 32) + "(" + std::to_string(c) + ")", log);
}

}  // namespace

FileResult read_dxf_entities(LineReader& r, const std::string& name, long nlines, std::int64_t capacity,
                             const DxfOptions& options, int log, Progress& progress, DxfDrawing& out) {
  nlines = std::max(nlines, 1L);
  r.rewind();
  PairReader pr(r);
  Layers layers(out.layers);
  dxf::Sink sink(out, capacity, log);
  dxf::EntityReader er(sink, options.scale, options.circles);
  Gauge gauge(progress);
  Pass2 p{pr, layers, er, out, gauge, log};
  int zero = layers.find("0");
  p.default_chosen = zero < 0 || out.layers[std::size_t(zero)].chosen;
  FileResult res = collect_entities(nlines, name, p);
  if (!res.ok) return res;
  report_unknown(out, log);
  return res;
}

}  // namespace korvel
