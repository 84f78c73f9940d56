#include "sketra/base/index_sort.h"

#include <array>
#include <bit>
#include <cmath>
#include <limits>
#include <numeric>

namespace sketra {
namespace {

// Maps a float's bits to an unsigned integer of the same order: negative
// numbers have all bits flipped, others the sign bit set. Every NaN becomes
// the largest value, so NaN keys gather at the end.
template <typename Float, typename Bits>
Bits order_bits(Float v) {
  if (std::isnan(v)) return std::numeric_limits<Bits>::max();
  if (v == Float(0)) v = Float(0);  // -0 and +0 are equal keys
  const Bits b = std::bit_cast<Bits>(v);
  constexpr Bits sign = Bits(1) << (sizeof(Bits) * 8 - 1);
  return (b & sign) ? Bits(~b) : Bits(b | sign);
}

// LSD radix sort on 11-bit digits of the mapped keys, carrying the indices.
template <typename Float, typename Bits>
void radix_index_sort(std::vector<int32_t>& ord, std::span<const Float> key) {
  const size_t n = key.size();
  ord.resize(n);
  std::iota(ord.begin(), ord.end(), 0);
  if (n < 2) return;

  constexpr int kDigitBits = 11;
  constexpr Bits kMask = (Bits(1) << kDigitBits) - 1;
  constexpr int kPasses = (sizeof(Bits) * 8 + kDigitBits - 1) / kDigitBits;

  std::vector<Bits> bits(n), bits_next(n);
  for (size_t i = 0; i < n; ++i) bits[i] = order_bits<Float, Bits>(key[i]);
  std::vector<int32_t> ord_next(n);

  std::array<size_t, kMask + 1> count{};
  for (int pass = 0; pass < kPasses; ++pass) {
    const int shift = pass * kDigitBits;
    count.fill(0);
    for (size_t i = 0; i < n; ++i) ++count[(bits[i] >> shift) & kMask];
    // A digit shared by every key leaves the order as it is.
    if (count[(bits[0] >> shift) & kMask] == n) continue;
    size_t sum = 0;
    for (auto& c : count) {
      const size_t here = c;
      c = sum;
      sum += here;
    }
    for (size_t i = 0; i < n; ++i) {
      const size_t slot = count[(bits[i] >> shift) & kMask]++;
      bits_next[slot] = bits[i];
      ord_next[slot] = ord[i];
    }
    bits.swap(bits_next);
    ord.swap(ord_next);
  }
}

}  // namespace

void mqsort(std::vector<int32_t>& ord, std::span<const float> key) {
  radix_index_sort<float, uint32_t>(ord, key);
}

void mqsort(std::vector<int32_t>& ord, std::span<const double> key) {
  radix_index_sort<double, uint64_t>(ord, key);
}

}  // namespace sketra
