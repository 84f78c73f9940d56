#include "sketra/base/textfmt.h"

#include <gtest/gtest.h>

#include <charconv>
#include <cmath>
#include <cstdint>
#include <string>
#include <limits>

namespace {

using namespace sketra;

// The expected layouts below are what a Fortran runtime writes for the same
// edit descriptors.

TEST(FixedLayouts, IntegerFieldsAreRightAlignedOrStars) {
  EXPECT_EQ(fmt_i(42, 5), "   42");
  EXPECT_EQ(fmt_i(-123, 4), "-123");
  EXPECT_EQ(fmt_i(-123, 3), "***");
  EXPECT_EQ(fmt_i(12345, 4), "****");
  EXPECT_EQ(fmt_i(0, 3), "  0");
  EXPECT_EQ(fmt_i(19600000, 8), "19600000");
}

TEST(FixedLayouts, FixedPointKeepsLeadingZeroOnlyWhenThereIsRoom) {
  EXPECT_EQ(fmt_f(0.5, 10, 3), "     0.500");
  EXPECT_EQ(fmt_f(0.5, 4, 3), ".500");
  EXPECT_EQ(fmt_f(-0.5, 5, 3), "-.500");
  EXPECT_EQ(fmt_f(-0.5, 3, 3), "***");
  EXPECT_EQ(fmt_f(1234.5678, 8, 3), "1234.568");
  EXPECT_EQ(fmt_f(12345.678, 8, 3), "********");
  EXPECT_EQ(fmt_f(19.6, 6, 1), "  19.6");
}

TEST(FixedLayouts, FixedPointRoundsExactlyWithTiesToEven) {
  EXPECT_EQ(fmt_f(0.125, 10, 2), "      0.12");     // an exact half
  EXPECT_EQ(fmt_f(double(0.135f), 10, 2), "      0.14");  // just above a half
  EXPECT_EQ(fmt_f(2.5, 4, 0), "  2.");
  EXPECT_EQ(fmt_f(0.4, 4, 0), "  0.");
  EXPECT_EQ(fmt_f(-0.4, 4, 0), " -0.");
  EXPECT_EQ(fmt_f(-0.0001, 8, 3), "  -0.000");
  EXPECT_EQ(fmt_f(-9998.0, 12, 0), "      -9998.");
  EXPECT_EQ(fmt_f(2600123.456, 12, 3), " 2600123.456");
}

TEST(FixedLayouts, FixedPointAgreesWithExactConversionOnManyValues) {
  // Random magnitudes, float-derived values (as the store writes them),
  // exact halves and values a hair beside them: every digit must be the
  // exact decimal rounding.
  std::uint64_t state = 12345;
  auto next = [&] {
    state = state * 6364136223846793005ull + 1442695040888963407ull;
    return state >> 11;
  };
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

TEST(FixedLayouts, NonFiniteValuesAreNamed) {
  double inf = std::numeric_limits<double>::infinity();
  EXPECT_EQ(fmt_f(inf, 10, 3), "  Infinity");
  EXPECT_EQ(fmt_f(-inf, 10, 3), " -Infinity");
  EXPECT_EQ(fmt_f(inf, 5, 1), "  Inf");
  EXPECT_EQ(fmt_f(inf, 2, 1), "**");
  EXPECT_EQ(fmt_f(std::nan(""), 10, 3), "       NaN");
}

TEST(FixedLayouts, ExponentFormHasZeroPointMantissa) {
  EXPECT_EQ(fmt_e(123.456, 12, 5), " 0.12346E+03");
  EXPECT_EQ(fmt_e(123.456, 10, 5), ".12346E+03");
  EXPECT_EQ(fmt_e(-123.456, 11, 5), "-.12346E+03");
  EXPECT_EQ(fmt_e(-123.456, 10, 5), "**********");
  EXPECT_EQ(fmt_e(0.0, 12, 4), "  0.0000E+00");
  EXPECT_EQ(fmt_e(0.01234, 12, 4), "  0.1234E-01");
  EXPECT_EQ(fmt_d(123.45678, 16, 8), "  0.12345678D+03");
}

TEST(FixedLayouts, ThreeDigitExponentsDropTheLetter) {
  EXPECT_EQ(fmt_e(1.0e150, 12, 4), "  0.1000+151");
  EXPECT_EQ(fmt_e(1.0e-150, 12, 4), "  0.1000-149");
}

TEST(FixedLayouts, GeneralFormChoosesFixedOrExponentAfterRounding) {
  EXPECT_EQ(fmt_g(123.456, 12, 4), "   123.5    ");
  EXPECT_EQ(fmt_g(0.01234, 12, 4), "  0.1234E-01");
  EXPECT_EQ(fmt_g(99999.0, 12, 4), "  0.1000E+06");
  EXPECT_EQ(fmt_g(double(9999.6f), 12, 4), "  0.1000E+05");  // rounds up past 10^4
  EXPECT_EQ(fmt_g(0.0, 12, 4), "   0.000    ");
  EXPECT_EQ(fmt_g(double(0.09999f), 12, 4), "  0.9999E-01");
  EXPECT_EQ(fmt_g(double(0.099996f), 12, 4), "  0.1000    ");  // rounds up to 0.1
}

TEST(FixedLayouts, TextFieldsArePaddedOrCut) {
  EXPECT_EQ(fmt_a("abc", 5), "abc  ");
  EXPECT_EQ(fmt_a("abcdef", 3), "abc");
  EXPECT_EQ(trim_right("ab  "), "ab");
  EXPECT_EQ(trim_right("   "), "");
}

TEST(FreeOutput, IntegersTakeWidthElevenAfterABlank) {
  EXPECT_EQ(list_i(5), "           5");
  EXPECT_EQ(ListLine().i(5).i(6).str(), "           5           6");
  EXPECT_EQ(ListLine().text("iigrid nxy ").i(25).text(" maximum is ").i(19600000).str(),
            " iigrid nxy           25  maximum is     19600000");
}

TEST(FreeOutput, TextFollowsTextDirectlyButNumbersWithABlank) {
  EXPECT_EQ(ListLine().text("a").i(5).str(), " a           5");
  EXPECT_EQ(ListLine().i(5).text("a").str(), "           5 a");
  EXPECT_EQ(ListLine().text("a").text("b").str(), " ab");
}

TEST(FreeOutput, AppendingFormGivesTheSameRecordAfterExistingText) {
  std::string block = "first\n";
  ListLine(block).i(7).r(1.0f).text("x");
  block += '\n';
  ListLine(block).d(2.5);
  EXPECT_EQ(block, "first\n" + ListLine().i(7).r(1.0f).text("x").str() + "\n" + list_d(2.5));
}

TEST(FreeOutput, SinglePrecisionUsesNineSignificantDigits) {
  EXPECT_EQ(list_r(1.0f), "   1.00000000    ");
  EXPECT_EQ(list_r(0.1f), "  0.100000001    ");
  EXPECT_EQ(list_r(1.0e9f), "   1.00000000E+09");
  EXPECT_EQ(list_r(1.0e-5f), "   9.99999975E-06");
  EXPECT_EQ(list_r(-1.0e-5f), "  -9.99999975E-06");
  EXPECT_EQ(list_r(100000.0f), "   100000.000    ");
  EXPECT_EQ(list_r(0.0f), "   0.00000000    ");
  EXPECT_EQ(list_r(9.99999e8f), "   999998976.    ");
  EXPECT_EQ(ListLine().r(1.0f).r(2.0f).str(), "   1.00000000       2.00000000    ");
}

TEST(FreeOutput, DoublePrecisionUsesSeventeenSignificantDigits) {
  EXPECT_EQ(ListLine().i(5).d(1.0).i(7).str(), "           5   1.0000000000000000                7");
  EXPECT_EQ(list_d(12345.678), "   12345.678000000000     ");
  EXPECT_EQ(list_d(1.0e16), "   10000000000000000.     ");
  EXPECT_EQ(list_d(1.0e-2), "   1.0000000000000000E-002");
  EXPECT_EQ(list_d(0.1), "  0.10000000000000001     ");
}

TEST(FreeInput, BlanksAndCommasSeparateValues) {
  double v[4] = {0, 0, 0, 0};
  FreeResult r = read_reals("1.5, 2 ,3\t4", v);
  EXPECT_TRUE(r.complete(4));
  EXPECT_EQ(v[0], 1.5);
  EXPECT_EQ(v[1], 2.0);
  EXPECT_EQ(v[2], 3.0);
  EXPECT_EQ(v[3], 4.0);
}

TEST(FreeInput, SlashEndsTheRecordAndKeepsTheRest) {
  double v[3] = {7, 8, 9};
  FreeResult r = read_reals("  1/ 2 3", v);
  EXPECT_TRUE(r.slash);
  EXPECT_TRUE(r.complete(3));
  EXPECT_EQ(r.filled, 1);
  EXPECT_EQ(v[0], 1.0);
  EXPECT_EQ(v[1], 8.0);
  EXPECT_EQ(v[2], 9.0);

  double w[2] = {5, 6};
  r = read_reals("/ comment", w);
  EXPECT_TRUE(r.slash);
  EXPECT_EQ(r.filled, 0);
  EXPECT_EQ(w[0], 5.0);
}

TEST(FreeInput, NullValuesAndRepeatCountsLeaveOrRepeat) {
  double v[5] = {1, 2, 3, 4, 5};
  FreeResult r = read_reals("10,,30, 2*7", v);
  EXPECT_EQ(r.filled, 5);
  EXPECT_EQ(v[0], 10.0);
  EXPECT_EQ(v[1], 2.0);
  EXPECT_EQ(v[2], 30.0);
  EXPECT_EQ(v[3], 7.0);
  EXPECT_EQ(v[4], 7.0);

  double w[3] = {1, 2, 3};
  r = read_reals("2* 9", w);
  EXPECT_TRUE(r.complete(3));
  EXPECT_EQ(w[0], 1.0);
  EXPECT_EQ(w[1], 2.0);
  EXPECT_EQ(w[2], 9.0);
}

TEST(FreeInput, FortranRealFormsAreAccepted) {
  struct Case {
    const char* text;
    double value;
  } cases[] = {{"0.12345678D+03", 123.45678}, {"1.5d3", 1500.0}, {"1.5+3", 1500.0}, {"2.5-1", 0.25},
               {"+4", 4.0},      {".5", 0.5},  {"5.", 5.0},     {"-1E2", -100.0}, {"1e+2", 100.0},
               {"1Q2", 100.0}};
  for (const auto& c : cases) {
    double v = -1;
    EXPECT_TRUE(parse_real(c.text, v)) << c.text;
    EXPECT_DOUBLE_EQ(v, c.value) << c.text;
  }
  for (const char* bad : {"abc", "1.2.3", "1e", "--1", "**", "1,", "e5", ""}) {
    double v;
    EXPECT_FALSE(parse_real(bad, v)) << bad;
  }
}

TEST(FreeInput, IntegersRejectDecimalPointsAndOverflow) {
  int i = 0;
  EXPECT_TRUE(parse_int("+12", i));
  EXPECT_EQ(i, 12);
  EXPECT_TRUE(parse_int("-7", i));
  EXPECT_EQ(i, -7);
  EXPECT_FALSE(parse_int("3.", i));
  EXPECT_FALSE(parse_int("1e3", i));
  EXPECT_FALSE(parse_int("99999999999", i));
}

TEST(FreeInput, ShortRecordsContinueWithTheRemainingTargets) {
  double v[3] = {0, 0, 0};
  std::span<double> all(v);
  FreeResult r = read_reals("1 2", all);
  ASSERT_FALSE(r.complete(3));
  ASSERT_EQ(r.filled, 2);
  r = read_reals("3 4", all.subspan(size_t(r.filled)));
  EXPECT_TRUE(r.complete(1));
  EXPECT_EQ(v[2], 3.0);
}

TEST(FreeInput, BadValueStopsWithTheCountDone) {
  double v[3] = {0, 0, 0};
  FreeResult r = read_reals("1 x 3", v);
  EXPECT_TRUE(r.error);
  EXPECT_EQ(r.filled, 1);
  EXPECT_FALSE(r.complete(3));
}

TEST(FreeInput, MixedTargetsReadWordsQuotedTextAndNumbers) {
  std::string name = "old";
  double km = 0;
  float dz = 0;
  int n = 0;
  FreeTarget t[] = {TextTarget{&name, 8}, &km, &dz, &n};
  FreeResult r = read_free("'Profile 12' 1.25 -0.5 3", t);
  EXPECT_TRUE(r.complete(4));
  EXPECT_EQ(name, "Profile ");
  EXPECT_EQ(km, 1.25);
  EXPECT_EQ(dz, -0.5f);
  EXPECT_EQ(n, 3);

  FreeTarget u[] = {TextTarget{&name}, &n};
  r = read_free("km12 2.5", u);
  EXPECT_TRUE(r.error);
  EXPECT_EQ(name, "km12");
}

TEST(FreeInput, CountRealsStopsAtFirstWord) {
  EXPECT_EQ(count_reals("1 2 3", 4), 3);
  EXPECT_EQ(count_reals("1 2 3 4 5", 4), 4);
  EXPECT_EQ(count_reals("1 2 lines", 4), 2);
  EXPECT_EQ(count_reals("xyz 1 2", 4), 0);
  EXPECT_EQ(count_reals("", 4), 0);
}

TEST(FreeRoundTrip, FixedLayoutsReadBackWithinHalfAUnitOfTheLastPlace) {
  for (double v : {0.0, 1.0, -2.5, 123.456789, 2600123.4567, -0.000123, 98765.4321}) {
    for (int d : {0, 1, 3, 5}) {
      std::string s = fmt_f(v, 20, d);
      double back = 1e300;
      ASSERT_TRUE(parse_real(std::string_view(s).substr(s.find_first_not_of(' ')), back)) << s;
      EXPECT_LE(std::fabs(back - v), 0.5 * std::pow(10.0, -d) + 1e-9) << s;
    }
    std::string e = fmt_d(v, 24, 12);
    double back = 1e300;
    ASSERT_TRUE(parse_real(std::string_view(e).substr(e.find_first_not_of(' ')), back)) << e;
    EXPECT_NEAR(back, v, std::fabs(v) * 1e-11) << e;
  }
  float f = 0.1f;
  double back;
  std::string s = list_r(f);
  ASSERT_TRUE(parse_real(std::string_view(s).substr(2, 11), back));
  EXPECT_EQ(float(back), f);
}

}  // namespace

namespace {

// The fast decimal paths and the general reader agree with from_chars on
// every plain decimal, to the last bit.
TEST(FreeInput, FastDecimalPathsMatchFromCharsExactly) {
  std::uint64_t seed = 12345;
  auto next = [&] {
    seed = seed * 6364136223846793005ULL + 1442695040888963407ULL;
    return seed >> 11;
  };
  for (int i = 0; i < 20000; ++i) {
    int decimals = int(next() % 8);
    std::uint64_t m = next() % 100000000000000ULL;
    std::string s = std::to_string(m);
    if (decimals > 0) {
      while (s.size() <= std::size_t(decimals)) s = "0" + s;
      s.insert(s.size() - std::size_t(decimals), ".");
    }
    if (next() % 2) s = "-" + s;
    double expected = 0;
    std::from_chars(s.data(), s.data() + s.size(), expected);
    double got = 1;
    ASSERT_TRUE(sketra::parse_real(s, got)) << s;
    ASSERT_EQ(got, expected) << s;
    double v[2] = {0, 0};
    ASSERT_EQ(sketra::read_reals(s + "  " + s + "\r", v).filled, 2);
    ASSERT_EQ(v[1], expected) << s;
  }
}

}  // namespace
