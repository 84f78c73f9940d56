#include "sketra/base/textfmt.h"

#include <gtest/gtest.h>

#include <charconv>
#include <cmath>
#include <cstdint>
#include <limits>
#include <string>

namespace {

using namespace sketra;

// The expected layouts below are what a Fortran runtime writes for the same
// edit descriptors; the files korvel writes are read by other programs.

struct Layout {
  std::string got, want;
};

void expect_layouts(std::initializer_list<Layout> cases) {
  for (const Layout& c : cases) EXPECT_EQ(c.got, c.want);
}

// A fixed sequence of 53-bit pseudo-random numbers.
struct Lcg {
  std::uint64_t state = 12345;
  std::uint64_t operator()() {
    state = state * 6364136223846793005ull + 1442695040888963407ull;
    return state >> 11;
  }
};

TEST(FixedLayouts, FieldsTooNarrowForTheValueAreStarsOthersPadded) {
  expect_layouts({
      {fmt_i(-123, 3), "***"},
      {fmt_f(0.5, 4, 3), ".500"},       // no room for the leading zero
      {fmt_f(-0.5, 3, 3), "***"},
      {fmt_e(123.456, 10, 5), ".12346E+03"},
      {fmt_f(std::numeric_limits<double>::infinity(), 5, 1), "  Inf"},
      {fmt_f(std::numeric_limits<double>::infinity(), 2, 1), "**"},
      {fmt_f(std::nan(""), 10, 3), "       NaN"},
      {fmt_f(-0.4, 4, 0), " -0."},
  });
}

// Random magnitudes, float-derived values (as the store writes them), exact
// halves and values a hair beside them: every digit is the exact decimal
// rounding that to_chars gives.
TEST(FixedLayouts, FixedPointAgreesWithExactConversionOnManyValues) {
  Lcg next;
  for (int n = 0; n < 200000; ++n) {
    const int d = int(next() % 10);
    double v = std::ldexp(double(next()), -int(next() % 80)) * ((next() & 1) ? -1 : 1);
    if (n % 4 == 1) v = double(float(v));
    if (n % 4 == 2) v = std::nextafter(double(std::int64_t(next() % 2000000)) / 8 + 0.0625 * std::pow(10.0, -d),
                                       (n & 8) ? 1e300 : -1e300);
    if (n % 4 == 3) v = double(std::int64_t(next() % 4000000)) / 64;
    char buf[400];
    auto r = std::to_chars(buf, buf + sizeof buf, std::fabs(v), std::chars_format::fixed, d);
    std::string want = (std::signbit(v) ? "-" : "") + std::string(buf, r.ptr) + (d == 0 ? "." : "");
    std::string got = fmt_f(v, int(want.size()), d);
    ASSERT_EQ(got, want) << "value " << v << " decimals " << d;
  }
}

// The exponent layout likewise, for every number of significant digits: floats,
// halves and values a hair beside them, values rounding up to a power of ten.
TEST(FixedLayouts, ExponentLayoutAgreesWithExactConversionOnManyValues) {
  Lcg next;
  for (int n = 0; n < 200000; ++n) {
    const int d = 1 + int(next() % 16);
    double v = std::ldexp(double(next()), int(next() % 160) - 100);
    if (n % 4 == 1) v = double(float(v));
    if (n % 4 == 2) v = std::pow(10.0, int(next() % 40) - 20) * (1 + 5 * std::pow(10.0, -d));
    if (n % 8 == 3) v = std::pow(10.0, int(next() % 40) - 20) * (1 - 4 * std::pow(10.0, -d - 1));
    if (n % 2 == 0) v = std::nextafter(v, (n & 8) ? 1e300 : 0.0);
    char buf[64];
    std::string digits(buf, std::to_chars(buf, buf + sizeof buf, v, std::chars_format::scientific, d - 1).ptr);
    const std::size_t at = digits.find('e');  // "1.2345e+07"
    const int k = std::stoi(digits.substr(at + 1)) + 1;
    digits.resize(at);
    std::erase(digits, '.');
    const std::string e = std::to_string(std::abs(k));
    const std::string want =
        "0." + digits + (e.size() > 2 ? "" : "E") + (k < 0 ? "-" : "+") + (e.size() < 2 ? "0" : "") + e;
    ASSERT_EQ(fmt_e(v, int(want.size()), d), want) << "value " << v << " digits " << d;
  }
}

TEST(FixedLayouts, ExponentAndGeneralFormsRoundBeforeChoosingTheLayout) {
  expect_layouts({
      {fmt_e(0.0, 12, 4), "  0.0000E+00"},
      {fmt_d(123.45678, 16, 8), "  0.12345678D+03"},
      {fmt_e(1.0e150, 12, 4), "  0.1000+151"},  // three exponent digits drop the letter
      {fmt_g(123.456, 12, 4), "   123.5    "},
      {fmt_g(99999.0, 12, 4), "  0.1000E+06"},
      {fmt_g(double(9999.6f), 12, 4), "  0.1000E+05"},   // rounds up past 10^4
      {fmt_g(double(0.099996f), 12, 4), "  0.1000    "},  // rounds up to 0.1
  });
}

TEST(FreeOutput, ListDirectedRecordsOfEveryItemKind) {
  expect_layouts({
      {ListLine().text("iigrid nxy ").i(25).text(" maximum is ").i(19600000).str(),
       " iigrid nxy           25  maximum is     19600000"},
      {list_r(0.1f), "  0.100000001    "},
      {list_r(-1.0e-5f), "  -9.99999975E-06"},
      {list_r(9.99999e8f), "   999998976.    "},
      {ListLine().i(5).d(1.0).i(7).str(), "           5   1.0000000000000000                7"},
      {list_d(1.0e16), "   10000000000000000.     "},
      {list_d(1.0e-2), "   1.0000000000000000E-002"},
  });
}

// Separators, null values, repeats and the slash; a short record is
// continued from the next, a bad value stops with the count done.
TEST(FreeInput, SeparatorsNullValuesRepeatsTheSlashShortRecordsAndBadValues) {
  double v[5] = {1, 2, 3, 4, 5};
  FreeResult r = read_reals("10,,30\t 2*7", v);
  EXPECT_EQ(r.filled, 5);
  EXPECT_EQ((std::vector<double>(v, v + 5)), (std::vector<double>{10, 2, 30, 7, 7}));

  double w[3] = {7, 8, 9};
  r = read_reals("  1/ 2 3", w);
  EXPECT_TRUE(r.slash);
  EXPECT_TRUE(r.complete(3));
  EXPECT_EQ((std::vector<double>(w, w + 3)), (std::vector<double>{1, 8, 9}));

  double u[3] = {1, 2, 3};
  r = read_reals("2* 9", u);
  EXPECT_TRUE(r.complete(3));
  EXPECT_EQ(u[2], 9.0);

  double s[3] = {0, 0, 0};
  std::span<double> all(s);
  r = read_reals("1 2", all);
  ASSERT_FALSE(r.complete(3));
  ASSERT_EQ(r.filled, 2);
  r = read_reals("3 4", all.subspan(size_t(r.filled)));
  EXPECT_TRUE(r.complete(1));
  EXPECT_EQ(s[2], 3.0);

  r = read_reals("1 x 3", s);
  EXPECT_TRUE(r.error);
  EXPECT_EQ(r.filled, 1);
  EXPECT_FALSE(r.complete(3));
}

TEST(FreeInput, FortranRealFormsAreAcceptedAndOthersRejected) {
  struct Case {
    const char* text;
    double value;
  } cases[] = {{"0.12345678D+03", 123.45678}, {"1.5d3", 1500.0}, {"1.5+3", 1500.0}, {"2.5-1", 0.25},
               {"+4", 4.0},      {".5", 0.5},  {"5.", 5.0},     {"-1E2", -100.0}, {"1Q2", 100.0}};
  for (const auto& c : cases) {
    double v = -1;
    EXPECT_TRUE(parse_real(c.text, v)) << c.text;
    EXPECT_DOUBLE_EQ(v, c.value) << c.text;
  }
  for (const char* bad : {"abc", "1.2.3", "1e", "--1", "**", "1,", "e5", ""}) {
    double v;
    EXPECT_FALSE(parse_real(bad, v)) << bad;
  }
  int i = 0;
  EXPECT_TRUE(parse_int("+12", i));
  EXPECT_EQ(i, 12);
  for (const char* bad : {"3.", "1e3", "99999999999"}) EXPECT_FALSE(parse_int(bad, i)) << bad;
}

// The fast decimal paths and the general reader agree with from_chars on
// every plain decimal, to the last bit.
TEST(FreeInput, FastDecimalPathsMatchFromCharsExactly) {
  Lcg next;
  for (int i = 0; i < 20000; ++i) {
    int decimals = int(next() % 8);
    std::uint64_t m = next() % 100000000000000ULL;
    std::string s = std::to_string(m);
    if (decimals > 0) {
      while (s.size() <= std::size_t(decimals)) s = "0" + s;
      s.insert(s.size() - std::size_t(decimals), ".");
    }
    if (i % 4 == 0) {  // exactly the layout keep files write, "0.439088E+03"
      s = std::to_string(next() % 10) + "." + std::to_string(1000000 + next() % 1000000).substr(1) + "E" +
          "+-"[next() & 1] + std::to_string(100 + next() % 30).substr(1);
    }
    if (next() % 2) s = "-" + s;
    if (i % 4 != 0 && next() % 3 == 0) {  // an exponent, sometimes beyond 1e22
      const int e = int(next() % 61) - 30;
      s += (next() % 2 ? "E" : "e") + std::string(e < 0 ? "-" : (next() % 2 ? "+" : "")) +
           (next() % 2 ? "0" : "") + std::to_string(std::abs(e));
    }
    double expected = 0;
    std::from_chars(s.data(), s.data() + s.size(), expected);
    double got = 1;
    ASSERT_TRUE(parse_real(s, got)) << s;
    ASSERT_EQ(got, expected) << s;
    double v[2] = {0, 0};
    ASSERT_EQ(read_reals(s + "  " + s + "\r", v).filled, 2);
    ASSERT_EQ(v[1], expected) << s;
  }
}

}  // namespace
