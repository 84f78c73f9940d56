#include "sketra/base/textfmt.h"

#include <algorithm>
#include <bit>
#include <charconv>
#include <cmath>
#include <cstdint>
#include <cstring>
#include <system_error>

namespace sketra {

namespace {

// The powers of ten a double holds exactly.
constexpr double kPow10[] = {1e0,  1e1,  1e2,  1e3,  1e4,  1e5,  1e6,  1e7,  1e8,  1e9,  1e10, 1e11,
                             1e12, 1e13, 1e14, 1e15, 1e16, 1e17, 1e18, 1e19, 1e20, 1e21, 1e22};

void pad_left(std::string& out, std::string_view body, int w) {
  if (int(body.size()) > w) {
    out.append(size_t(std::max(w, 0)), '*');
    return;
  }
  out.append(size_t(w) - body.size(), ' ');
  out.append(body);
}

// "NaN", "Infinity" or "Inf" for non-finite values, or asterisks.
void append_nonfinite(std::string& out, double v, int w) {
  if (std::isnan(v)) {
    pad_left(out, "NaN", w);
    return;
  }
  bool neg = v < 0;
  if (w >= 8 + int(neg))
    pad_left(out, neg ? "-Infinity" : "Infinity", w);
  else if (w >= 3 + int(neg))
    pad_left(out, neg ? "-Inf" : "Inf", w);
  else
    out.append(size_t(std::max(w, 0)), '*');
}

// The common case of sci_digits: at most 15 significant digits and a
// scale within the exact powers of ten. av scaled to sig digits before the
// point carries one rounding (a relative error of 2^-53), so rounding it to
// an integer is the exact decimal rounding unless it lies within that error
// of a tie or of the next power of ten; those few values (and everything
// outside the range) return false and go to the exact conversion.
bool sci_digits_fast(double av, int sig, char* digits, int& exp10) {
  if (sig < 1 || sig > 15 || !(av > 0) || !std::isfinite(av)) return false;
  int e = (std::ilogb(av) * 78913) >> 18;  // floor(log10(2) * binary exponent): E or E - 1
  for (int tries = 0; tries < 2; ++tries, ++e) {
    const int p = sig - 1 - e;
    if (p < -22 || p > 22) return false;
    const double s = p >= 0 ? av * kPow10[p] : av / kPow10[-p];
    if (s >= kPow10[sig]) continue;
    const double lo = kPow10[sig - 1], hi = kPow10[sig];
    if (s < lo * (1 + 0x1p-50) || s > hi * (1 - 0x1p-50)) return false;
    const double whole = std::floor(s);
    const double frac = s - whole;  // exact below 2^52
    if (std::fabs(frac - 0.5) <= s * 0x1p-51) return false;
    std::uint64_t m = std::uint64_t(whole) + (frac > 0.5 ? 1 : 0);
    if (m == std::uint64_t(hi)) {  // rounded up to the next power of ten
      m /= 10;
      ++e;
    }
    for (int i = sig - 1; i >= 0; --i, m /= 10) digits[i] = char('0' + m % 10);
    exp10 = e;
    return true;
  }
  return false;
}

// Scientific digits of |v| with `sig` significant digits: fills `digits`
// (without the point) and returns the decimal exponent E of d.ddd x 10^E.
int sci_digits(double av, int sig, char* digits, int& ndig) {
  int e = 0;
  if (sci_digits_fast(av, sig, digits, e)) {
    ndig = sig;
    return e;
  }
  char buf[64];
  auto r = std::to_chars(buf, buf + sizeof buf, av, std::chars_format::scientific, sig - 1);
  ndig = 0;
  const char* p = buf;
  for (; p < r.ptr && *p != 'e'; ++p)
    if (*p != '.') digits[ndig++] = *p;
  std::from_chars(p + 1 + (p[1] == '+' ? 1 : 0), r.ptr, e);
  return e;
}

// Fixed-point digits of av >= 0 with d decimals ("12.500" for 12.5, 3),
// for the common case: d <= 9 and av * 10^d below 2^50. The product carries
// a relative error of at most 2^-53, so its rounding to an integer is the
// exact decimal rounding unless it lies within that error of a tie; those
// few values (and everything outside the range) return nullptr and go to
// the exact conversion. Writes at most 28 characters at p; returns the end.
char* fixed_digits_fast(double av, int d, char* p) {
  static constexpr std::uint64_t kPow10i[] = {1,      10,      100,      1000,      10000,
                                              100000, 1000000, 10000000, 100000000, 1000000000};
  if (d < 0 || d > 9) return nullptr;
  const double s = av * kPow10[d];
  if (!(s < 0x1p50)) return nullptr;
  const double whole = std::floor(s);
  const double frac = s - whole;  // exact below 2^52
  if (std::fabs(frac - 0.5) <= s * 0x1p-51 + 0x1p-70) return nullptr;
  const std::uint64_t m = std::uint64_t(whole) + (frac > 0.5 ? 1 : 0);
  const std::uint64_t ip = m / kPow10i[d], fp = m % kPow10i[d];
  p = std::to_chars(p, p + 20, ip).ptr;
  if (d == 0) return p;
  *p++ = '.';
  char* last = p + d;
  std::uint64_t f = fp;
  for (char* q = last; q > p;) {
    *--q = char('0' + f % 10);
    f /= 10;
  }
  return last;
}

}  // namespace

void append_i(std::string& out, long long v, int w) {
  char buf[32];
  auto r = std::to_chars(buf, buf + sizeof buf, v);
  pad_left(out, std::string_view(buf, size_t(r.ptr - buf)), w);
}

std::string fmt_i(long long v, int w) {
  std::string s;
  append_i(s, v, w);
  return s;
}

void append_f(std::string& out, double v, int w, int d) {
  if (!std::isfinite(v)) {
    append_nonfinite(out, v, w);
    return;
  }
  char buf[400];
  char* p = buf;
  if (std::signbit(v)) *p++ = '-';
  char* end = fixed_digits_fast(std::fabs(v), d, p);
  if (!end) {
    auto r = std::to_chars(p, buf + sizeof buf - 1, std::fabs(v), std::chars_format::fixed, d);
    if (r.ec != std::errc{}) {
      out.append(size_t(std::max(w, 0)), '*');
      return;
    }
    end = r.ptr;
  }
  if (d == 0) *end++ = '.';
  std::string_view body(buf, size_t(end - buf));
  if (int(body.size()) > w && d > 0 && p[0] == '0' && p[1] == '.') {
    // No room for the optional leading zero: "-.500", ".500".
    std::memmove(p, p + 1, size_t(end - p - 1));
    body = std::string_view(buf, body.size() - 1);
  }
  pad_left(out, body, w);
}

std::string fmt_f(double v, int w, int d) {
  std::string s;
  append_f(s, v, w, d);
  return s;
}

void append_e(std::string& out, double v, int w, int d, char letter) {
  if (!std::isfinite(v)) {
    append_nonfinite(out, v, w);
    return;
  }
  d = std::clamp(d, 1, 300);
  char s[400];
  std::size_t n = 0;
  if (std::signbit(v)) s[n++] = '-';
  const std::size_t zero_at = n;
  s[n++] = '0';
  s[n++] = '.';
  int k = 0;
  if (v == 0) {
    std::memset(s + n, '0', std::size_t(d));
    n += std::size_t(d);
  } else {
    int nd = 0;
    k = sci_digits(std::fabs(v), d, s + n, nd) + 1;
    n += std::size_t(nd);
  }
  const int a = std::abs(k);
  if (a > 999) {
    out.append(std::size_t(std::max(w, 0)), '*');
    return;
  }
  if (a <= 99) s[n++] = letter;
  s[n++] = k < 0 ? '-' : '+';
  if (a > 99) s[n++] = char('0' + a / 100);
  s[n++] = char('0' + a / 10 % 10);
  s[n++] = char('0' + a % 10);
  std::string_view body(s, n);
  if (int(n) > w) {  // no room for the optional leading zero
    std::memmove(s + zero_at, s + zero_at + 1, n - zero_at - 1);
    body = std::string_view(s, n - 1);
  }
  pad_left(out, body, w);
}

std::string fmt_e(double v, int w, int d, char letter) {
  std::string out;
  append_e(out, v, w, d, letter);
  return out;
}

std::string fmt_d(double v, int w, int d) { return fmt_e(v, w, d, 'D'); }

std::string fmt_g(double v, int w, int d) {
  if (!std::isfinite(v)) return fmt_f(v, w, d);
  d = std::max(d, 1);
  if (v == 0) return fmt_f(v, w - 4, d - 1) + "    ";
  char digits[400];
  int nd = 0;
  int k = sci_digits(std::fabs(v), d, digits, nd) + 1;
  if (k >= 0 && k <= d) return fmt_f(v, w - 4, d - k) + "    ";
  return fmt_e(v, w, d);
}

std::string fmt_a(std::string_view s, int w) {
  std::string out(s.substr(0, std::min(s.size(), size_t(std::max(w, 0)))));
  out.resize(size_t(std::max(w, 0)), ' ');
  return out;
}

std::string_view trim_right(std::string_view s) {
  size_t n = s.size();
  while (n > 0 && s[n - 1] == ' ') --n;
  return s.substr(0, n);
}

std::string_view trim(std::string_view s) {
  const size_t first = s.find_first_not_of(" \t\r");
  if (first == std::string_view::npos) return {};
  return s.substr(first, s.find_last_not_of(" \t\r") - first + 1);
}

// ---- Free-format output ----------------------------------------------------

namespace {

// List-directed real: G(width).(sig) with scale factor 1 in the exponent form
// and `ew` exponent digits; the fixed form is followed by ew + 2 blanks.
void append_list_real(std::string& out, double v, int width, int sig, int ew) {
  if (!std::isfinite(v)) {
    append_nonfinite(out, v, width);
    return;
  }
  int trail = ew + 2;
  if (v == 0) {
    append_f(out, v, width - trail, sig - 1);
    out.append(size_t(trail), ' ');
    return;
  }
  char digits[64];
  int nd = 0;
  int e = sci_digits(std::fabs(v), sig, digits, nd);
  int k = e + 1;
  if (k >= 0 && k <= sig) {
    append_f(out, v, width - trail, sig - k);
    out.append(size_t(trail), ' ');
    return;
  }
  std::string s;
  if (v < 0) s += '-';
  s += digits[0];
  s += '.';
  s.append(digits + 1, size_t(nd - 1));
  s += 'E';
  s += e < 0 ? '-' : '+';
  char eb[8];
  auto r = std::to_chars(eb, eb + sizeof eb, std::abs(e));
  std::string_view ed(eb, size_t(r.ptr - eb));
  if (int(ed.size()) < ew) s.append(size_t(ew) - ed.size(), '0');
  s += ed;
  pad_left(out, s, width);
}

}  // namespace

ListLine& ListLine::i(long long v) {
  std::string& line = *line_;
  if (!first_) line += ' ';
  char buf[32];
  auto r = std::to_chars(buf, buf + sizeof buf, v);
  std::string_view body(buf, size_t(r.ptr - buf));
  if (body.size() < 11) line.append(11 - body.size(), ' ');
  line += body;
  first_ = false;
  after_text_ = false;
  return *this;
}

ListLine& ListLine::r(float v) {
  if (!first_) *line_ += ' ';
  append_list_real(*line_, double(v), 16, 9, 2);
  first_ = false;
  after_text_ = false;
  return *this;
}

ListLine& ListLine::d(double v) {
  if (!first_) *line_ += ' ';
  append_list_real(*line_, v, 25, 17, 3);
  first_ = false;
  after_text_ = false;
  return *this;
}

ListLine& ListLine::text(std::string_view s) {
  if (!first_ && !after_text_) *line_ += ' ';
  *line_ += s;
  first_ = false;
  after_text_ = true;
  return *this;
}

std::string list_i(long long v) { return ListLine().i(v).str(); }
std::string list_r(float v) { return ListLine().r(v).str(); }
std::string list_d(double v) { return ListLine().d(v).str(); }

// ---- Free-format input -----------------------------------------------------

namespace {

inline bool is_blank(char c) { return c == ' ' || c == '\t' || c == '\r' || c == '\n' || c == '\f' || c == '\v'; }
inline bool ends_value(char c) { return is_blank(c) || c == ',' || c == '/'; }
inline bool is_digit(char c) { return c >= '0' && c <= '9'; }

// Slow path of parse_real: rewrites Fortran forms ("+1.5", "1.5D3", "1.5+3")
// into the form from_chars reads.
bool parse_real_fortran(std::string_view t, double& v) {
  if (t.empty() || t.size() > 120) return false;
  char buf[128];
  size_t n = 0;
  size_t i = 0;
  if (t[0] == '+') i = 1;
  bool mantissa_digit = false;
  bool have_exp = false;
  for (; i < t.size(); ++i) {
    char c = t[i];
    if (is_digit(c)) {
      if (!have_exp) mantissa_digit = true;
      buf[n++] = c;
    } else if (c == '.' && !have_exp) {
      buf[n++] = c;
    } else if ((c == 'e' || c == 'E' || c == 'd' || c == 'D' || c == 'q' || c == 'Q') && mantissa_digit && !have_exp) {
      have_exp = true;
      buf[n++] = 'e';
      if (i + 1 < t.size() && (t[i + 1] == '+' || t[i + 1] == '-')) {
        if (t[i + 1] == '-') buf[n++] = '-';  // from_chars takes no "+"
        ++i;
      }
    } else if ((c == '+' || c == '-') && mantissa_digit && !have_exp) {
      have_exp = true;  // "1.5+3", "1.5-3": the exponent without a letter
      buf[n++] = 'e';
      if (c == '-') buf[n++] = '-';
    } else if (c == '-' && n == 0) {
      buf[n++] = c;
    } else {
      break;
    }
  }
  if (i != t.size() || !mantissa_digit) {
    // Inf and NaN spellings, with an optional sign.
    std::string_view u = t;
    bool neg = false;
    if (!u.empty() && (u[0] == '+' || u[0] == '-')) {
      neg = u[0] == '-';
      u.remove_prefix(1);
    }
    auto r = std::from_chars(u.data(), u.data() + u.size(), v);
    if (r.ec != std::errc{} || r.ptr != u.data() + u.size() || std::isfinite(v)) return false;
    if (neg) v = -v;
    return true;
  }
  auto r = std::from_chars(buf, buf + n, v);
  return r.ec == std::errc{} && r.ptr == buf + n;
}

// The shared scanner: walks the record and hands each value token to
// assign(index, token, quoted); nulls leave targets alone.
template <class Assign>
FreeResult scan_free(std::string_view line, size_t n, Assign&& assign) {
  FreeResult res;
  const char* p = line.data();
  const char* end = p + line.size();
  size_t k = 0;
  while (k < n) {
    while (p < end && is_blank(*p)) ++p;
    if (p == end) break;
    char c = *p;
    if (c == '/') {
      res.slash = true;
      break;
    }
    if (c == ',') {  // a null value: the target keeps its value
      ++p;
      ++k;
      continue;
    }
    const char* t0 = p;
    bool quoted = false;
    std::string_view tok;
    if (c == '\'' || c == '"') {
      quoted = true;
      const char* q = p + 1;
      while (q < end && *q != c) ++q;
      tok = std::string_view(p + 1, size_t(q - p - 1));
      p = q < end ? q + 1 : q;
    } else {
      while (p < end && !ends_value(*p)) ++p;
      tok = std::string_view(t0, size_t(p - t0));
    }
    // "r*value" and "r*": repeat counts.
    size_t reps = 1;
    bool repeated = false;
    if (!quoted) {
      size_t star = tok.find('*');
      if (star != std::string_view::npos && star > 0) {
        int r = 0;
        auto fr = std::from_chars(tok.data(), tok.data() + star, r);
        if (fr.ec == std::errc{} && fr.ptr == tok.data() + star && r > 0) {
          reps = size_t(r);
          repeated = true;
          tok.remove_prefix(star + 1);
        }
      }
    }
    if (repeated && tok.empty()) {
      k = std::min(n, k + reps);  // "r*": r null values
    } else {
      for (size_t j = 0; j < reps && k < n; ++j, ++k) {
        if (!assign(k, tok, quoted)) {
          res.filled = int(k);
          res.error = true;
          return res;
        }
      }
    }
    while (p < end && is_blank(*p)) ++p;
    if (p < end && *p == ',') ++p;
  }
  res.filled = int(k);
  return res;
}

}  // namespace

namespace {

// Plain decimals ("-2600123.456") with at most 15 digits are exact as an
// integer over a power of ten, and one IEEE division rounds that correctly.
// Reads one from p on (an optional minus, digits, at most one point, an
// optional exponent) and leaves p at the first character after it; false
// when there is no such number, it has more than 15 digits or its power of
// ten is beyond 1e22 (from_chars then decides).

// The layout keep files write ("0.439088E+03": one digit, the point, six
// decimals, an exponent of sign and two digits) read by position, without
// the character loop. Gives exactly what the loop gives, or false and
// leaves p alone when the number is laid out otherwise.
inline bool scan_e_layout(const char*& p, const char* end, double& v) {
  if constexpr (std::endian::native != std::endian::little) return false;
  if (end - p < 12 || (end - p > 12 && unsigned(p[12] - '0') < 10)) return false;  // not a longer exponent
  std::uint64_t w;
  std::uint32_t x;
  std::memcpy(&w, p, 8);  // "d.dddddd", the first character in the lowest byte
  std::memcpy(&x, p + 8, 4);
  if (((w >> 8) & 0xFF) != '.' || (x & 0xFF) != 'E' || (((x >> 8) & 0xFF) != '+' && ((x >> 8) & 0xFF) != '-'))
    return false;
  // "0d dddddd": the leading digit moved over the point, then eight digits
  // at once; a byte is a digit when its value less '0' stays below 10.
  w = ((w & ~std::uint64_t(0xFFFF)) | ((w & 0xFF) << 8) | '0') - 0x3030303030303030u;
  const std::uint32_t ed = (x >> 16) - 0x3030u;
  if (((w + 0x7676767676767676u) | w) & 0x8080808080808080u) return false;
  if (((ed + 0x7676u) | ed) & 0x8080u) return false;
  w = w * 10 + (w >> 8);
  w = (((w & 0x000000FF000000FFu) * (100 + (1000000ULL << 32))) +
       (((w >> 16) & 0x000000FF000000FFu) * (1 + (10000ULL << 32)))) >> 32;
  const int e = int((ed & 0xFF) * 10 + (ed >> 8));
  const int scale = (((x >> 8) & 0xFF) == '-' ? -e : e) - 6;
  if (scale < -22 || scale > 22) return false;
  v = scale < 0 ? double(w) / kPow10[-scale] : double(w) * kPow10[scale];
  p += 12;
  return true;
}

[[gnu::always_inline]] inline bool scan_plain_decimal(const char*& p, const char* end, double& v) {
  const bool neg = p < end && *p == '-';
  p += neg;
  if (scan_e_layout(p, end, v)) {
    v = neg ? -v : v;
    return true;
  }
  std::uint64_t m = 0;
  int digits = 0, decimals = 0;
  bool point = false;
  for (; p < end; ++p) {
    const unsigned d = unsigned(*p - '0');
    if (d < 10) {
      m = m * 10 + d;
      ++digits;
      decimals += point;
    } else if (*p == '.' && !point) {
      point = true;
    } else {
      break;
    }
  }
  if (digits == 0 || digits > 15) return false;
  // An exponent "E+03", "e-7" (as keep files write their numbers): at most
  // three digits; other forms are left to the general reader.
  int scale = -decimals;
  if (p < end && (*p == 'E' || *p == 'e')) {
    const char* q = p + 1;
    const bool minus = q < end && *q == '-';
    q += (q < end && (*q == '-' || *q == '+'));
    int e = 0, n = 0;
    for (; q < end && unsigned(*q - '0') < 10 && n < 4; ++q, ++n) e = e * 10 + (*q - '0');
    if (n == 0 || n > 3) return false;
    scale += minus ? -e : e;
    p = q;
  }
  // The mantissa (below 2^53) and the power of ten are exact, so one
  // multiplication or division rounds once: the correctly rounded value.
  if (scale < -22 || scale > 22) return false;
  const double x = scale < 0 ? double(m) / kPow10[-scale] : double(m) * kPow10[scale];
  v = neg ? -x : x;
  return true;
}

// A whole token that is a plain decimal.
bool parse_plain_decimal(std::string_view t, double& v) {
  const char* p = t.data();
  const char* end = p + t.size();
  return scan_plain_decimal(p, end, v) && p == end;
}

}  // namespace

bool parse_real(std::string_view t, double& v) {
  if (t.empty()) return false;
  if (parse_plain_decimal(t, v)) return true;
  auto r = std::from_chars(t.data(), t.data() + t.size(), v);
  if (r.ec == std::errc{} && r.ptr == t.data() + t.size()) {
    // from_chars also reads "inf"/"nan" spellings; both are fine here.
    return true;
  }
  return parse_real_fortran(t, v);
}

bool parse_int(std::string_view t, int& v) {
  if (t.empty()) return false;
  if (t[0] == '+') t.remove_prefix(1);
  if (t.empty() || t[0] == '+') return false;
  auto r = std::from_chars(t.data(), t.data() + t.size(), v);
  return r.ec == std::errc{} && r.ptr == t.data() + t.size();
}

FreeResult read_free(std::string_view line, std::span<const FreeTarget> targets) {
  return scan_free(line, targets.size(), [&](size_t k, std::string_view tok, bool quoted) {
    const FreeTarget& t = targets[k];
    if (auto* pd = std::get_if<double*>(&t)) return !quoted && parse_real(tok, **pd);
    if (auto* pf = std::get_if<float*>(&t)) {
      double d;
      if (quoted || !parse_real(tok, d)) return false;
      **pf = float(d);
      return true;
    }
    if (auto* pi = std::get_if<int*>(&t)) return !quoted && parse_int(tok, **pi);
    const TextTarget& tt = std::get<TextTarget>(t);
    if (tt.width > 0 && int(tok.size()) > tt.width) tok = tok.substr(0, size_t(tt.width));
    tt.s->assign(tok);
    return true;
  });
}

namespace {

// The common record: plain decimals separated by blanks. Returns false (and
// leaves the work to the general scanner) at anything else: commas,
// slashes, exponents, repeat counts, long digit strings, bad words.
bool read_plain_reals(std::string_view line, std::span<double> out, FreeResult& res) {
  const char* p = line.data();
  const char* end = p + line.size();
  std::size_t k = 0;
  while (k < out.size()) {
    while (p < end && (*p == ' ' || *p == '\t' || *p == '\r')) ++p;
    if (p == end) break;
    double x;
    if (!scan_plain_decimal(p, end, x)) return false;
    if (p < end && *p != ' ' && *p != '\t' && *p != '\r') return false;
    out[k++] = x;
  }
  // A comma or slash right after the last value still matters for nothing
  // once every target is filled; before that the general scanner decides.
  res.filled = int(k);
  return true;
}

}  // namespace

FreeResult read_reals(std::string_view line, std::span<double> out) {
  FreeResult fast;
  if (read_plain_reals(line, out, fast)) return fast;
  return scan_free(line, out.size(),
                   [&](size_t k, std::string_view tok, bool quoted) { return !quoted && parse_real(tok, out[k]); });
}

int count_reals(std::string_view line, int limit) {
  int count = 0;
  scan_free(line, size_t(std::max(limit, 0)), [&](size_t, std::string_view tok, bool quoted) {
    double v;
    if (quoted || !parse_real(tok, v)) return false;
    ++count;
    return true;
  });
  return count;
}

bool split_quoted(std::string_view line, std::string& text, std::string& rest) {
  const std::size_t a = line.find('\'');
  const std::size_t b = line.rfind('\'');
  if (a == std::string_view::npos || b == a) return false;
  text = std::string(line.substr(a + 1, b - a - 1));
  rest = std::string(line.substr(b + 1));
  return true;
}

}  // namespace sketra
