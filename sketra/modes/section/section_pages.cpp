// The text pages of the section viewer (Write, Slope, Stat) and Origine.
//
// Every page lists every node of its line. Statistics are summed in double
// precision; the variance is the mean square deviation from the mean
// (two passes), so long lines far from zero keep their digits.

#include <algorithm>
#include <cmath>
#include <vector>

#include "sketra/base/textfmt.h"
#include "sketra/kernel/linear_table.h"
#include "sketra/kernel/plot.h"
#include "sketra/modes/section/section_viewer.h"

namespace sketra {

namespace {

std::string name_of(int k) {
  const std::size_t i = std::size_t(k - 1);
  return i < grsect.names.size() ? grsect.names[i] : std::string(kSectionNameWidth, ' ');
}

struct Span {
  std::size_t first, n;
};
Span line_span(const SectionLines& l, int k) { return {l.first(k), std::size_t(l.count[std::size_t(k - 1)])}; }

}  // namespace

std::vector<std::string> write_page(const SectionLines& l, int k) {
  const Span s = line_span(l, k);
  std::vector<std::string> page;
  page.reserve(s.n + 1);
  page.push_back("item " + name_of(k));
  for (std::size_t i = s.first; i < s.first + s.n; ++i) {
    std::string line = fmt_f(double(l.x[i]) + grcomn.xorgr, 12, 3) + fmt_f(double(shown_y(l, k, i)) + grcomn.yorgr, 12, 3);
    if (grsect.label == 2 && l.attr[i] > kMissingAttribute) line += fmt_f(l.attr[i], 9, 3);
    page.push_back(std::move(line));
  }
  return page;
}

std::vector<std::string> slope_page(const SectionLines& l, int k) {
  const Span s = line_span(l, k);
  std::vector<std::string> page;
  page.reserve(s.n + 1);
  page.push_back("slope [%] " + name_of(k));
  for (std::size_t j = 0; j < s.n; ++j) {
    // Central differences inside the line, one-sided at its ends.
    const std::size_t a = s.first + (j > 0 ? j - 1 : 0);
    const std::size_t b = s.first + std::min(j + 1, s.n - 1);
    const double dx = double(l.x[b]) - double(l.x[a]);
    std::string slope(12, ' ');  // a repeated station or a missing value: no slope
    if (dx != 0 && !missing_value(l.y[a]) && !missing_value(l.y[b]))
      slope = fmt_f((double(l.y[b]) - double(l.y[a])) / dx * 100.0, 12, 3);
    page.push_back(fmt_f(double(l.x[s.first + j]) + grcomn.xorgr, 12, 3) + slope);
  }
  return page;
}

std::vector<std::string> stat_page(const SectionLines& l, int k) {
  const Span s = line_span(l, k);
  std::vector<double> v;
  v.reserve(s.n);
  double area = 0;
  for (std::size_t i = s.first; i < s.first + s.n; ++i) {
    if (missing_value(l.y[i])) continue;
    v.push_back(double(l.y[i]) + grcomn.yorgr);
    if (i > s.first && !missing_value(l.y[i - 1])) {
      const double before = double(l.y[i - 1]) + grcomn.yorgr;
      area += (v.back() + before) / 2 * std::fabs(double(l.x[i - 1]) - double(l.x[i]));
    }
  }
  const std::size_t n = v.size();
  double mean = 0, variance = 0, median = 0;
  if (n > 0) {
    for (double y : v) mean += y;
    mean /= double(n);
    if (n > 1) {
      for (double y : v) variance += (y - mean) * (y - mean);
      variance /= double(n - 1);
    }
    const auto mid = v.begin() + std::ptrdiff_t(n / 2);
    std::nth_element(v.begin(), mid, v.end());
    median = *mid;
    if (n % 2 == 0) median = (median + *std::max_element(v.begin(), mid)) / 2;
  }
  return {name_of(k),
          "nodes=   " + fmt_i((long long)n, 12),
          "mean=    " + fmt_f(mean, 12, 3),
          "median=  " + fmt_f(median, 12, 3),
          "std.dev.=" + fmt_f(std::sqrt(variance), 12, 3),
          "volume=  " + fmt_f(area, 12, 3)};
}

void make_relative(const SectionLines& l, int k) {
  const Span s = line_span(l, k);
  std::vector<float> t, z;
  t.reserve(s.n), z.reserve(s.n);
  for (std::size_t i = s.first; i < s.first + s.n; ++i)
    if (!missing_value(l.y[i])) t.push_back(l.x[i]), z.push_back(l.y[i]);
  if (t.empty()) return;
  const LinearTable reference(t, z);
  for (int j = 1; j <= l.lines(); ++j) {
    if (j == k) continue;
    const Span o = line_span(l, j);
    for (std::size_t i = o.first; i < o.first + o.n; ++i)
      if (!missing_value(l.y[i])) l.y[i] -= reference(l.x[i]).value;
  }
  for (std::size_t i = s.first; i < s.first + s.n; ++i)
    if (!missing_value(l.y[i])) l.y[i] = 0;
}

}  // namespace sketra
