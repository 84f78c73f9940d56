#pragma once
// Index sort: the order of a key array without moving the keys.
//
// `mqsort` and `grqsrt` fill `ord` with 0 .. n-1 permuted so that
// key[ord[0]] <= key[ord[1]] <= ... <= key[ord[n-1]]. Keys of equal value may
// leave in any order (callers must not rely on it). NaN keys sort after every
// number, so any input has a well-defined result.
//
// The sort is a least-significant-digit radix sort on the keys' bits mapped
// to unsigned integers of the same order: O(n) work in a few passes, no
// recursion and no stack, so it cannot fail or stop the program whatever the
// data (sorted, reversed, all equal, NaN, infinities). Passes whose digit is
// the same for every key are skipped. Scratch memory is two index arrays and
// one array of mapped keys.
//
//   std::vector<float> y = ...;
//   std::vector<int32_t> ord;
//   sketra::mqsort(ord, y);   // ord[0] is the point with the lowest y

#include <cstdint>
#include <span>
#include <vector>

namespace sketra {

// Orders single-precision keys (point co-ordinates, triangle depths).
void mqsort(std::vector<int32_t>& ord, std::span<const float> key);

// Orders double-precision keys.
void mqsort(std::vector<int32_t>& ord, std::span<const double> key);

// The display modes' name for the same sort.
inline void grqsrt(std::vector<int32_t>& ord, std::span<const float> key) { mqsort(ord, key); }
inline void grqsrt(std::vector<int32_t>& ord, std::span<const double> key) { mqsort(ord, key); }

}  // namespace sketra
