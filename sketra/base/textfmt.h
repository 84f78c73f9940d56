#pragma once
// Fixed-field number layouts and free-format (list-directed) reading.
//
// Every number korvel writes to a file, the log or a message goes through the
// layouts here, so that the same value always looks the same:
//
//   fmt_i(42, 5)            "   42"        integer, width 5
//   fmt_f(0.5, 10, 3)       "     0.500"   fixed point, width 10, 3 decimals
//   fmt_f(0.5, 4, 3)        ".500"         the leading zero goes when there is no room
//   fmt_e(123.456, 12, 5)   " 0.12346E+03" exponent form, mantissa 0.ddddd
//   fmt_d(123.45678,16,8)   "  0.12345678D+03"
//   fmt_g(123.456, 12, 4)   "   123.5    " general: fixed when it fits, else exponent
//   fmt_f(12345.678, 8, 3)  "********"     a value too wide for its field
//
// Decimal rounding is exact (ties to even on exactly representable halves),
// which is what the usual Fortran runtimes write. A negative value that rounds
// to zero keeps its sign ("-0.000"). Infinity and NaN are written as
// "Infinity"/"Inf" and "NaN", right-aligned, or asterisks when even they do
// not fit.
//
// Free-format output (`ListLine`) writes items the way a list-directed write
// does: a leading blank for the record, then each number preceded by a blank:
// integers in width 11, single-precision reals as G16.9, double-precision
// reals as G25.17 (scale factor 1 in the exponent form). Text items follow
// the previous item directly unless that was a number.
//
// Free-format reading (`read_free`, `read_reals`) takes values separated by
// blanks, tabs, carriage returns or a comma (with optional blanks around it).
// Two commas in a row give a null value, which leaves its target unchanged;
// "r*value" repeats a value r times and "r*" gives r null values; a "/" ends
// the record early and leaves the remaining targets unchanged. Reals accept
// "E", "D" or "Q" exponent letters, a signed exponent without a letter
// ("1.5+3"), a leading "+" and forms like ".5" and "5.". Integers reject a
// decimal point, as a list-directed integer read does. Text targets take one
// word, or a string in apostrophes or quotes.

#include <cstdint>
#include <span>
#include <string>
#include <string_view>
#include <variant>

namespace sketra {

// ---- Fixed-field output ----------------------------------------------------

// Integer in a field of w characters, right-aligned (Fortran Iw).
std::string fmt_i(long long v, int w);

// Fixed point, w wide with d decimals (Fortran Fw.d).
std::string fmt_f(double v, int w, int d);

// Exponent form 0.ddd...E+xx, w wide with d mantissa digits (Fortran Ew.d).
// Exponents beyond two digits drop the letter: "0.1000+151".
std::string fmt_e(double v, int w, int d, char letter = 'E');

// The same with the letter D (Fortran Dw.d).
std::string fmt_d(double v, int w, int d);

// General (Fortran Gw.d): the fixed form F(w-4).(d-k) followed by four blanks
// when the value rounded to d significant digits has 0 <= k <= d digits
// before the decimal point, otherwise Ew.d.
std::string fmt_g(double v, int w, int d);

// Appending forms for building long lines without temporaries.
void append_i(std::string& out, long long v, int w);
void append_f(std::string& out, double v, int w, int d);
void append_e(std::string& out, double v, int w, int d, char letter = 'E');

// Text cut or blank-padded to exactly w characters (a fixed-width field).
std::string fmt_a(std::string_view s, int w);

// Text with its trailing blanks removed.
std::string_view trim_right(std::string_view s);

// Text with blanks, tabs and carriage returns removed at both ends.
std::string_view trim(std::string_view s);

// ---- Free-format (list-directed) output ------------------------------------

// One record of free-format output.
//   ListLine().i(25).text(" maximum is ").i(19600000).str()
//     == "           25 maximum is     19600000"
// The appending form writes the record onto the end of an existing string
// (no line end), for writers that build large blocks of records:
//   std::string block;
//   ListLine(block).i(1).i(2);   // block == "           1           2"
class ListLine {
 public:
  ListLine() : own_(" "), line_(&own_) {}
  explicit ListLine(std::string& out) : line_(&out) { out += ' '; }
  ListLine(const ListLine&) = delete;
  ListLine& operator=(const ListLine&) = delete;
  ListLine& i(long long v);
  ListLine& r(float v);   // single precision: G16.9
  ListLine& d(double v);  // double precision: G25.17
  ListLine& text(std::string_view s);
  const std::string& str() const { return *line_; }

 private:
  std::string own_;
  std::string* line_;
  bool first_ = true;
  bool after_text_ = false;
};

// Free-format text of one value, as ListLine writes it (with its leading blank).
std::string list_i(long long v);
std::string list_r(float v);
std::string list_d(double v);

// ---- Free-format (list-directed) input -------------------------------------

// Where a read value goes. A text target receives the word as written
// (without its apostrophes), cut to `width` characters when width > 0.
struct TextTarget {
  std::string* s;
  int width = 0;
};
using FreeTarget = std::variant<double*, float*, int*, TextTarget>;

struct FreeResult {
  int filled = 0;      // targets dealt with (assigned or left by a null value)
  bool slash = false;  // a "/" ended the record
  bool error = false;  // a value could not be read; `filled` targets were done
  // True when every target was dealt with, or a "/" ended the list early.
  bool complete(size_t n) const { return !error && (slash || size_t(filled) == n); }
};

// Reads values from one record into the targets, starting with the first.
// Stops when all targets are filled, at a "/", at the end of the record or
// at a value that cannot be read. Continue a short record by calling again
// with the next line and the remaining targets.
FreeResult read_free(std::string_view line, std::span<const FreeTarget> targets);

// Hot path for numeric records: the same rules with double targets only.
FreeResult read_reals(std::string_view line, std::span<double> out);

// Reads one real from a whole token (no separators). False when the token is
// not a number in any accepted form.
bool parse_real(std::string_view token, double& v);

// Reads one integer from a whole token; a decimal point or exponent fails.
bool parse_int(std::string_view token, int& v);

// The text between the first and the last apostrophe of `line`, and what
// follows the last one. False when the line holds fewer than two
// apostrophes. Texts are written between apostrophes as they stand (the
// settings file does so), so a text that holds an apostrophe reads back whole:
//   split_quoted("'it's here' 2 /", text, rest)  // text "it's here", rest " 2 /"
bool split_quoted(std::string_view line, std::string& text, std::string& rest);

// Counts how many leading values of a record read as reals (stopping at a
// "/", the end of the record or the first word that is not a number),
// at most `limit`.
int count_reals(std::string_view line, int limit);

}  // namespace sketra
