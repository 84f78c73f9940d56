#include "sketra/base/index_sort.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <limits>
#include <numeric>
#include <random>
#include <vector>

namespace {

// Every index once, the keys ascending and NaN last.
void expect_sorted_permutation(const std::vector<int32_t>& ord, const std::vector<float>& key) {
  std::vector<int32_t> each(ord), all(key.size());
  std::sort(each.begin(), each.end());
  std::iota(all.begin(), all.end(), 0);
  ASSERT_EQ(each, all);
  EXPECT_TRUE(std::is_sorted(ord.begin(), ord.end(), [&](int32_t a, int32_t b) {
    return key[size_t(a)] < key[size_t(b)] || (!std::isnan(key[size_t(a)]) && std::isnan(key[size_t(b)]));
  }));
}

// Inputs that break naive quicksorts (sorted, reversed, organ pipe, all
// equal) and values a survey can hold (negatives, zeros of both signs,
// infinities, NaN) all give a sorted permutation.
TEST(IndexSort, OrdersEveryKindOfInputWithoutFailing) {
  const float inf = std::numeric_limits<float>::infinity();
  const float nan = std::numeric_limits<float>::quiet_NaN();
  std::vector<std::vector<float>> cases = {
      {},
      {-0.0f, 0.0f, -1e-30f, 1e-30f, -inf, inf, nan, -2.5f, 2.5f, nan},
      std::vector<float>(100000, 7.25f),
  };
  std::vector<float> sorted(200000), reversed(200000), pipe(200000);
  for (int i = 0; i < 200000; ++i) {
    sorted[i] = float(i);
    reversed[i] = float(200000 - i);
    pipe[i] = float(i < 100000 ? i : 200000 - i);
  }
  cases.push_back(sorted);
  cases.push_back(reversed);
  cases.push_back(pipe);
  std::mt19937 gen(11);
  std::uniform_real_distribution<float> coord(-2.0e6f, 2.0e6f);
  std::vector<float> random(300000);
  for (auto& v : random) v = coord(gen);
  cases.push_back(random);

  for (const auto& key : cases) {
    std::vector<int32_t> ord{42, 43};  // stale content is replaced
    sketra::mqsort(ord, key);
    expect_sorted_permutation(ord, key);
  }
}

TEST(IndexSort, DoubleKeysKeepDifferencesBelowSinglePrecision) {
  // Survey co-ordinates of seven digits differ in the millimetres.
  std::vector<double> key = {2600000.003, 2600000.001, 2600000.002, -1.0, 1e300};
  std::vector<int32_t> ord;
  sketra::grqsrt(ord, key);
  EXPECT_EQ(ord, (std::vector<int32_t>{3, 1, 2, 0, 4}));
}

}  // namespace
