// Statistics of a set of realisations (operation -99 of the grid contour
// viewer): per grid row the weighted mean and spread of the values, and
// over all rows the probability of each of 201 value classes and its sum
// curve.
//
// The co-ordinate file holds nx and ny, then x and y of every node (i
// inner, j outer); the value file holds x, y and value per node, in the
// same order. Numbers are read in free format across lines.

#include <algorithm>
#include <cmath>
#include <optional>
#include <vector>

#include "sketra/base/textfmt.h"
#include "sketra/base/units.h"
#include "sketra/kernel/plot.h"
#include "sketra/modes/grid/grid_viewer_internal.h"
#include "sketra/ui/dialogs.h"

namespace sketra {

namespace {

constexpr int kClasses = 200;  // class width (maximum - minimum) / 200; 201 rows

// Numbers of a read unit one after another, whatever the lines.
class Numbers {
 public:
  explicit Numbers(int unit) : unit_(unit) {}
  std::optional<double> next() {
    while (pos_ >= words_.size()) {
      std::string_view line;
      if (!unit_read(unit_, line)) return std::nullopt;
      split(line);
    }
    double v = 0;
    if (!parse_real(words_[pos_++], v)) return std::nullopt;
    return v;
  }

 private:
  void split(std::string_view line) {
    words_.clear();
    pos_ = 0;
    size_t k = 0;
    while (k < line.size()) {
      while (k < line.size() && (line[k] == ' ' || line[k] == ',' || line[k] == '\t' || line[k] == '\r')) ++k;
      const size_t b = k;
      while (k < line.size() && line[k] != ' ' && line[k] != ',' && line[k] != '\t' && line[k] != '\r') ++k;
      if (k > b) words_.emplace_back(line.substr(b, k - b));
    }
  }
  int unit_;
  std::vector<std::string> words_;
  size_t pos_ = 0;
};

struct Realisation {
  int nx = 0, ny = 0;
  std::vector<double> x, y, f;  // node (i, j) at (i - 1) + (j - 1) nx
};

bool read_coordinates(Realisation& r) {
  grmesg("Co-ordinate file");
  std::string name;
  if (!detail::open_input(name)) return false;
  Numbers in(detail::kContourReadUnit);
  const auto nx = in.next(), ny = in.next();
  bool ok = nx && ny && *nx >= 1 && *ny >= 1 && *nx * *ny <= 2.0e7;
  if (ok) {
    r.nx = int(*nx), r.ny = int(*ny);
    for (long long k = 0; ok && k < (long long)r.nx * r.ny; ++k) {
      const auto x = in.next(), y = in.next();
      ok = x && y;
      if (ok) r.x.push_back(*x), r.y.push_back(*y);
    }
  }
  unit_close(detail::kContourReadUnit);
  if (!ok) grmesg("Wrong file format: " + name);
  return ok;
}

bool read_values(Realisation& r) {
  grmesg("value file");
  std::string name;
  if (!detail::open_input(name)) return false;
  Numbers in(detail::kContourReadUnit);
  bool ok = true;
  for (size_t k = 0; ok && k < r.x.size(); ++k) {
    const auto x = in.next(), y = in.next(), f = in.next();
    ok = x && y && f;
    if (ok) r.f.push_back(*f);
  }
  unit_close(detail::kContourReadUnit);
  if (!ok) grmesg("Wrong file format: " + name);
  return ok;
}

}  // namespace

namespace detail {

bool statistics() {
  Realisation r;
  if (!read_coordinates(r) || !read_values(r)) return false;
  const auto [lo_it, hi_it] = std::minmax_element(r.f.begin(), r.f.end());
  const double lo = *lo_it, width = (*hi_it - lo) / kClasses;
  std::vector<double> weight(kClasses + 1, 0.0);
  double total = 0;
  const int out = grcomn.joutgr;
  unit_write(out, " X   MEAN   STDEV");
  for (int j = 0; j < r.ny; ++j) {
    double sw = 0, swf = 0, swf2 = 0;
    for (int i = 0; i < r.nx; ++i) {
      const size_t up = size_t(std::min(i + 1, r.nx - 1) + j * r.nx);
      const size_t down = size_t(std::max(i - 1, 0) + j * r.nx);
      const double w = 5 * std::max(std::fabs(r.y[up] - r.y[down]), 1e-10);
      const double f = r.f[size_t(i + j * r.nx)];
      sw += w, swf += w * f, swf2 += w * f * f;
      const int c = width > 0 ? int((f - lo) / width) : 0;
      weight[size_t(std::clamp(c, 0, kClasses))] += w;
    }
    // Weighted spread: the weighted variance, divided by 0.96.
    const double spread = std::sqrt(std::max(sw * swf2 - swf * swf, 0.0) / (0.96 * sw * sw));
    unit_write(out, ListLine().d(r.x[size_t(j * r.nx)]).d(swf / sw).d(spread).str());
    total += sw;
  }
  unit_write(out, " probability of occurence");
  for (int c = 0; c <= kClasses; ++c)
    unit_write(out, ListLine().d(lo + (c + 0.5) * width).d(total > 0 ? weight[size_t(c)] / total : 0.0).str());
  unit_write(out, " sum curve");
  double sum = 0;
  for (int c = 0; c <= kClasses; ++c) {
    sum += total > 0 ? weight[size_t(c)] / total : 0.0;
    unit_write(out, ListLine().d(lo + (c + 0.5) * width).d(sum).str());
  }
  return true;
}

}  // namespace detail

}  // namespace sketra
