#pragma once
// A piecewise-linear table looked up many times: the same answers as
// grint0 (colours.h), found by binary search when the table's t values are
// monotone.
//
// grint0 scans the table for the first piece whose t range holds x, which
// costs O(n) per look-up: interpolating every node of one profile at the
// stations of another of 100,000 nodes would take 10^10 steps. LinearTable
// decides once, in O(n), whether t never falls (or never rises); then the
// first piece that holds x is found in O(log n). A table that turns back
// keeps the scan, so its answers stay the first match too.
//
//   sketra::LinearTable ref(stations, levels);
//   float dz = ref(x).value;   // as grint0(stations, levels, x)

#include <span>

#include "sketra/kernel/colours.h"

namespace sketra {

class LinearTable {
 public:
  // The table holds the first min(t.size(), v.size()) pairs; the spans must
  // outlive the table.
  LinearTable(std::span<const float> t, std::span<const float> v);

  // The value, slope and status of grint0(t, v, x).
  Interpolated operator()(float x) const;

  bool monotone() const { return monotone_; }

 private:
  std::span<const float> t_, v_;
  bool monotone_ = false;
  bool ascending_ = true;
};

}  // namespace sketra
