#include "app/formats/mesh2dm.h"

#include <algorithm>
#include <cmath>

#include "sketra/base/textfmt.h"

namespace korvel {

// ---- Node map ------------------------------------------------------------------

void NodeMap::add(std::int64_t number, std::int32_t point) {
  pairs_.emplace_back(number, point);
  built_ = false;
}

void NodeMap::build() {
  dense_.clear();
  std::int64_t top = 0;
  for (const auto& p : pairs_) top = std::max(top, p.first);
  if (top <= 2 * std::int64_t(pairs_.size()) + 1024) {
    dense_.assign(std::size_t(top) + 1, 0);
    for (const auto& p : pairs_) dense_[std::size_t(p.first)] = p.second;  // later nodes win
  } else {
    // Stable, so that among equal numbers the later node ends last and wins.
    std::stable_sort(pairs_.begin(), pairs_.end(), [](const auto& l, const auto& r) { return l.first < r.first; });
    std::vector<std::pair<std::int64_t, std::int32_t>> kept;
    kept.reserve(pairs_.size());
    for (const auto& p : pairs_) {
      if (!kept.empty() && kept.back().first == p.first)
        kept.back() = p;
      else
        kept.push_back(p);
    }
    pairs_ = std::move(kept);
  }
  built_ = true;
}

std::int32_t NodeMap::find(std::int64_t number) const {
  if (!built_ || number < 1) return 0;
  if (!dense_.empty() || pairs_.empty()) {
    return number < std::int64_t(dense_.size()) ? dense_[std::size_t(number)] : 0;
  }
  auto it = std::lower_bound(pairs_.begin(), pairs_.end(), number,
                             [](const auto& p, std::int64_t n) { return p.first < n; });
  return it != pairs_.end() && it->first == number ? it->second : 0;
}

namespace {

using sketra::FreeTarget;

// The card of a line: the line without one leading blank, when the rest
// begins with `card` and a blank or tab; the text after the card, else
// nothing.
bool card(std::string_view line, std::string_view name, std::string_view& rest) {
  if (!line.empty() && line[0] == ' ') line.remove_prefix(1);
  if (line.size() <= name.size() || line.substr(0, name.size()) != name) return false;
  char sep = line[name.size()];
  if (sep != ' ' && sep != '\t') return false;
  rest = line.substr(name.size());
  return true;
}

std::string error_text(std::int64_t line) { return "ir2dm: error at line " + std::to_string(line); }

void fail(Mesh2dm& m, std::int64_t line) {
  m.error_line = line;
  m.error = error_text(line);
  sketra::unit_write(sketra::kStdoutUnit, m.error);
}

void read_nodes(sketra::LineReader& r, double& xorig, double& yorig, const Ir2dmRequest& req, Mesh2dm& m) {
  bool take = req.take_origin;
  std::string_view line, rest;
  while (r.next(line)) {
    if (!card(line, "ND", rest)) continue;
    std::int64_t number = 0;
    double n = 0, x = 0, y = 0, z = 0;
    FreeTarget t[] = {&n, &x, &y, &z};
    sketra::FreeResult res = sketra::read_free(rest, t);
    if (res.error || res.filled < 4 || n != std::trunc(n) || n < 1 || n > 9.0e15 || !std::isfinite(x) ||
        !std::isfinite(y) || !std::isfinite(z)) {
      fail(m, r.record());
      return;
    }
    number = std::int64_t(n);
    if (take) {
      xorig = x;
      yorig = y;
      take = false;
    }
    if (std::int64_t(m.x.size()) >= std::int64_t(req.max_nodes)) {
      ++m.ignored_nodes;
      continue;
    }
    m.x.push_back(float(x - xorig));
    m.y.push_back(float(y - yorig));
    m.z.push_back(float(z));
    m.map.add(number, req.first_number + std::int32_t(m.x.size()) - 1);
  }
}

// Reads `count` node numbers after the element number; false when the line
// does not hold them or names a node that the file did not give.
bool element_nodes(std::string_view rest, const NodeMap& map, int count, std::int32_t* out) {
  double v[5] = {};
  std::span<double> want(v, std::size_t(count) + 1);
  sketra::FreeResult res = sketra::read_reals(rest, want);
  if (res.error || res.filled < count + 1) return false;
  for (int i = 1; i <= count; ++i) {
    if (v[i] != std::trunc(v[i]) || v[i] < 1 || v[i] > 9.0e15) return false;
    out[i - 1] = map.find(std::int64_t(v[i]));
    if (out[i - 1] == 0) return false;
  }
  return true;
}

void read_elements(sketra::LineReader& r, const Ir2dmRequest& req, Mesh2dm& m) {
  auto add = [&](std::int32_t a, std::int32_t b, std::int32_t c) {
    if (std::int64_t(m.triangles.size()) < req.max_triangles)
      m.triangles.push_back({a, b, c});
    else
      ++m.ignored_triangles;
  };
  auto d2 = [&](std::int32_t p, std::int32_t q) {
    auto i = std::size_t(p - req.first_number), j = std::size_t(q - req.first_number);
    double dx = double(m.x[i]) - m.x[j], dy = double(m.y[i]) - m.y[j];
    return dx * dx + dy * dy;
  };
  std::string_view line, rest;
  while (r.next(line)) {
    std::int32_t n[4] = {};
    if (card(line, "E3T", rest)) {
      if (!element_nodes(rest, m.map, 3, n)) return fail(m, r.record());
      add(n[0], n[1], n[2]);
    } else if (card(line, "E4Q", rest)) {
      if (!element_nodes(rest, m.map, 4, n)) return fail(m, r.record());
      if (d2(n[1], n[3]) < d2(n[0], n[2])) {
        add(n[3], n[0], n[1]);
        add(n[1], n[2], n[3]);
      } else {
        add(n[0], n[1], n[2]);
        add(n[2], n[3], n[0]);
      }
    }
  }
}

}  // namespace

Mesh2dm ir2dm(sketra::LineReader& r, double& xorig, double& yorig, const Ir2dmRequest& req) {
  Mesh2dm m;
  if (req.max_nodes <= 0) return m;
  r.rewind();
  read_nodes(r, xorig, yorig, req, m);
  m.map.build();
  if (req.max_triangles > 0 && m.error.empty()) {
    r.rewind();
    read_elements(r, req, m);
  }
  return m;
}

FileResult write_2dm(TextOut& out, std::span<const float> x, std::span<const float> y, std::span<const float> value,
                     std::span<const Triangle> triangles, Origin origin, Progress& progress) {
  Gauge gauge(progress);
  const auto ne = std::int64_t(triangles.size()), np = std::int64_t(std::min({x.size(), y.size(), value.size()}));
  const std::int64_t total = ne + np;
  out.line("MESH2D");
  for (std::int64_t k = 1; k <= ne && out.ok(); ++k) {
    const Triangle& t = triangles[std::size_t(k - 1)];
    out.text += "E3T ";
    sketra::append_i(out.text, k, 8);
    sketra::append_i(out.text, t.a, 8);
    sketra::append_i(out.text, t.b, 8);
    sketra::append_i(out.text, t.c, 8);
    sketra::append_i(out.text, 1, 4);
    out.end();
    if (k % 4096 == 0) gauge(k, total, "writing data");
  }
  for (std::int64_t i = 1; i <= np && out.ok(); ++i) {
    const auto k = std::size_t(i - 1);
    out.text += "ND ";
    sketra::append_i(out.text, i, 8);
    sketra::append_e(out.text, double(x[k]) + origin.x, 16, 9);
    sketra::append_e(out.text, double(y[k]) + origin.y, 16, 9);
    sketra::append_e(out.text, double(value[k]), 14, 7);
    out.end();
    if (i % 4096 == 0) gauge(ne + i, total, "writing data");
  }
  gauge(total, total, "writing data");
  return out.finish();
}

}  // namespace korvel
