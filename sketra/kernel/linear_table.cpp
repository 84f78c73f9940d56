#include "sketra/kernel/linear_table.h"

#include <algorithm>
#include <cmath>
#include <functional>

namespace sketra {

LinearTable::LinearTable(std::span<const float> t, std::span<const float> v) {
  const std::size_t n = std::min(t.size(), v.size());
  t_ = t.first(n);
  v_ = v.first(n);
  if (n < 2) return;
  ascending_ = t_[n - 1] >= t_[0];
  monotone_ = true;
  for (std::size_t i = 0; i + 1 < n && monotone_; ++i) {
    const float a = t_[i], b = t_[i + 1];
    // A NaN breaks the order: such tables keep the scan.
    monotone_ = ascending_ ? a <= b : a >= b;
  }
}

Interpolated LinearTable::operator()(float x) const {
  const std::size_t n = t_.size();
  if (!monotone_ || std::isnan(x)) return grint0(t_, v_, x);
  if (x < (ascending_ ? t_[0] : t_[n - 1])) return {v_[ascending_ ? 0 : n - 1], 0, 2};
  if (x > (ascending_ ? t_[n - 1] : t_[0])) return {v_[ascending_ ? n - 1 : 0], 0, 3};
  // The first piece i whose far end t[i + 1] reaches x; its near end then
  // lies on the other side of x (or i = 0), as in the scan.
  const auto ends = t_.subspan(1);
  const auto it = ascending_ ? std::lower_bound(ends.begin(), ends.end(), x)
                             : std::lower_bound(ends.begin(), ends.end(), x, std::greater<float>());
  const std::size_t i = std::size_t(it - ends.begin());
  const float a = t_[i], b = t_[i + 1];
  if (a == b) return {v_[i], 0, 0};
  const float slope = (v_[i + 1] - v_[i]) / (b - a);
  return {v_[i] + slope * (x - a), slope, 0};
}

}  // namespace sketra
