#include "app/formats/dxf.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <span>

#include "app/formats/dxf_entity.h"
#include "app/loader.h"
#include "app/store.h"
#include "sketra/base/textfmt.h"
#include "sketra/base/units.h"
#include "sketra/ui/dialogs.h"

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

// Pass 1: every group-8 value, in order of first appearance.
void collect_layers(LineReader& r, long nlines, DxfDrawing& out, int log) {
  PairReader pr(r);
  Layers layers(out.layers);
  bool full = false;
  int code = 0;
  std::string_view value;
  while (pr.next(code, value)) {
    sketra::grbeam(pr.line(), nlines, "get layers");
    if (code == 8 && !layers.add(value) && !full) {
      full = true;
      sketra::unit_write(log, " more than" + sketra::fmt_i(kMaxDxfLayers, 4) + " layers: the others are ignored");
    }
  }
}

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

// The option dialog: scale factor and circles.
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
    sketra::grmesg("Scaling factor not read: " + std::string(trim(values[0])));
    return;
  }
  reader.sfac = f;
  if (!values[1].empty() && values[1][0] == '+') reader.lcircle = true;
}

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
ReadResult collect_entities(long nlines, const std::string& name, Pass2& p) {
  int code = 0;
  std::string_view value;
  bool eof = false;
  while (p.pr.next(code, value)) {
    sketra::grbeam(p.pr.line(), nlines, "get data");
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
      return ReadResult::failure("not a number at line " + std::to_string(p.pr.line()) + " of " + name);
    }
  }
  if (!eof) p.out.truncated = p.er.drop();
  return ReadResult::success();
}

void report_unknown(const DxfDrawing& out, int log) {
  if (out.unknown.empty()) return;
  report("unknown codes:", log);
  for (const auto& [n, c] : out.unknown) report("  " + sketra::fmt_a(n, 32) + "(" + std::to_string(c) + ")", log);
}

}  // namespace

ReadResult readdxf(int unit, long nlines, std::int64_t capacity, int log, DxfDrawing& out) {
  LineReader* r = sketra::unit_reader(unit);
  if (!r) return ReadResult::failure("no DXF file open");
  nlines = std::max(nlines, 1L);
  r->rewind();
  collect_layers(*r, nlines, out, log);
  layer_dialog(out.layers);
  option_dialog();
  r->rewind();

  PairReader pr(*r);
  Layers layers(out.layers);
  dxf::Sink sink(out, capacity, log);
  dxf::EntityReader er(sink, reader.sfac, reader.lcircle);
  Pass2 p{pr, layers, er, out, log};
  int zero = layers.find("0");
  p.default_chosen = zero < 0 || out.layers[std::size_t(zero)].chosen;
  ReadResult res = collect_entities(nlines, sketra::unit_name(unit), p);
  if (!res.ok) return res;
  report_unknown(out, log);
  return res;
}

// ---- The loader's DXF path ----------------------------------------------------------

ReadResult dxf_file(int unit, const std::string& name, int log) {
  DxfDrawing d;
  const std::int64_t capacity = std::min<std::int64_t>(kMaxDxfVertices, std::int64_t(cin1.maxp) - cin1.np);
  ReadResult res = readdxf(unit, sketra::igrlin(name), capacity, log, d);
  if (!res.ok) return res;
  if (d.truncated) sketra::grmesg("the file ends inside an entity, which is ignored: " + name);
  if (d.refused > 0)
    sketra::grmesg("more than" + sketra::fmt_i(capacity, 8) + " vertices:" + sketra::fmt_i(d.refused, 10) +
                   " ignored");
  if (d.invalid > 0)
    sketra::unit_write(log, " vertices beyond the range of numbers ignored:" + sketra::fmt_i(d.invalid, 10));
  if (d.skipped > 0)
    sketra::unit_write(log, " entities of block definitions and paper space passed over:" + sketra::fmt_i(d.skipped, 10));
  if (!d.x.empty() && !reader.lorig) {
    cin1.xorig = double(float(*std::min_element(d.x.begin(), d.x.end())));
    cin1.yorig = double(float(*std::min_element(d.y.begin(), d.y.end())));
    reader.lorig = true;
  }
  const std::int32_t p1 = cin1.np + 1;
  store_reserve_points(d.x.size());
  EdgeSink edges(log);
  for (std::size_t i = 0; i < d.x.size(); ++i) {
    add_point_abs(d.x[i], d.y[i], d.z[i], d.kind[i]);
    if (d.kind[i] == kDxfJoined && cin1.np > p1) edges.add(cin1.np - 1, cin1.np);
  }
  edges.flush();
  sketra::grmesg("found" + sketra::fmt_i(cin1.np - p1 + 1, 10) + " points");
  return res;
}

}  // namespace korvel
