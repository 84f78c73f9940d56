#include "app/formats/keyword_parser.h"

#include <algorithm>
#include <cmath>
#include <filesystem>
#include <fstream>
#include <istream>
#include <ostream>

#include "sketra/base/textfmt.h"
#include "sketra/base/units.h"

namespace korvel {

using sketra::kStdoutUnit;
using sketra::unit_write;
using sketra::unit_write_part;

ParserState parser;

namespace {

const std::string kStars(47, '*');

bool same_word(std::string_view word, std::string_view keyword) {
  return sketra::trim_right(word) == sketra::trim_right(keyword);
}

int find_keyword(std::span<const std::string_view> keywords, std::string_view word) {
  for (std::size_t i = 0; i < keywords.size(); ++i)
    if (same_word(word, keywords[i])) return int(i) + 1;
  return 0;
}

bool is_numeric_start(char c) { return c == '-' || c == '.' || c == '/' || (c >= '0' && c <= '9'); }

// Applies the "}" counted on the current line: closes that many blocks.
void close_blocks() {
  parser.nlab = std::max(0, parser.nlab - parser.nbrace);
  parser.nbrace = 0;
}

int depth_index(int d) { return std::clamp(d, 0, kMaxBlockDepth - 1); }

bool block_active(int d) { return d <= 0 || parser.active[std::size_t(depth_index(d))] != 0; }

bool label_given(std::string_view names) {
  // A comma-separated list of names; a branch is taken when one is an option.
  while (!names.empty()) {
    std::size_t c = names.find(',');
    std::string_view n = names.substr(0, c);
    for (const auto& o : parser.options)
      if (!n.empty() && o == n) return true;
    if (c == std::string_view::npos) break;
    names.remove_prefix(c + 1);
  }
  return false;
}

// "{" and "|" tokens. Returns false when the word is not a block token.
bool block_token(const std::string& word) {
  if (word[0] == '{') {
    ++parser.nlab;
    std::string_view names = std::string_view(word).substr(1);
    bool labelled = names.empty() || label_given(names);
    if (names.empty()) unit_write(kStdoutUnit, "Warning: Option must have name");
    bool on = labelled && block_active(parser.nlab - 1);
    auto d = std::size_t(depth_index(parser.nlab));
    parser.lget[d] = on;
    parser.lget0[d] = on;
    parser.active[d] = on;
    return true;
  }
  if (word[0] == '|') {
    if (parser.nlab == 0) return true;
    std::string_view names = std::string_view(word).substr(1);
    auto d = std::size_t(depth_index(parser.nlab));
    bool labelled = names.empty() || label_given(names);
    bool on = !parser.lget0[d] && labelled && block_active(parser.nlab - 1);
    parser.lget[d] = on;
    parser.lget0[d] = parser.lget0[d] || on;
    parser.active[d] = on;
    return true;
  }
  return false;
}

// Reads the next line into `line`; at the end of the file the line is ">>".
void read_line(std::string& line, int unit) {
  std::string_view l;
  if (sketra::unit_read(unit, l)) {
    line.assign(l);
    parser.at_eof = false;
  } else {
    line = ">>";
    parser.at_eof = true;
  }
}

// Opens an include file on the next unit. False when it is missing.
bool open_include(const std::string& name, int& unit, int logunit) {
  std::error_code ec;
  if (name.empty() || !std::filesystem::is_regular_file(name, ec)) {
    iierr(2, "file not found: " + name, logunit);
    return false;
  }
  int next = unit == parser.nin0 ? parser.nfinc : unit + 1;
  if (next > kLastIncludeUnit) {
    iierr(2, "too many nested include files: " + name, logunit);
    return false;
  }
  unit_write(logunit, "");
  unit_write(logunit, "/include '" + name + "'");
  if (!sketra::unit_open(next, name, sketra::FileStatus::old_file)) {
    iierr(2, "file not found: " + name, logunit);
    return false;
  }
  unit = next;
  unit_write(kStdoutUnit, " >include '" + name + "'");
  return true;
}

// End of an include file: back to the unit that included it.
void close_include(int& unit, int logunit) {
  unit_write(logunit, "/end_include");
  sketra::unit_close(unit);
  unit = unit == parser.nfinc ? parser.nin0 : unit - 1;
}

void header(int& unit, int logunit) {
  ++parser.ncall;
  if (parser.ncall == 1) {
    unit_write(logunit, "");
    unit_write(logunit, "/OUTPUT " + iitim().substr(0, 17) + "/");
    unit_write(logunit, "");
  }
  if (parser.nin0 == -1) parser.nin0 = unit;
}

// A keyword was found: echo it and look for asterisks on the rest of its line.
int keyword_found(const std::string& word, int index, std::string& line, int logunit, int& status) {
  unit_write_part(logunit, (parser.level > 1 ? "     " : "   ") + word + " ");
  if (line.find("***") != std::string::npos)
    status = 2;
  else if (line.find("**") != std::string::npos)
    status = 1;
  if (status != 0) std::replace(line.begin(), line.end(), '*', ' ');
  return index;
}

constexpr int kNextLine = -1000;  // a word handler's answer: go on with the next line

// ">>" alone, also the end of a file: ends the command section of the main
// input (the line is left for the caller), or ends an include file.
int end_marker(int& unit, int logunit) {
  if (unit != parser.nin0 && unit >= parser.nfinc) {
    close_include(unit, logunit);
    return kNextLine;
  }
  --parser.level;
  if (parser.level == 0) unit_write(logunit, " >>");
  if (parser.level < 0) {
    parser.level = 0;
    parser.ncall = 0;
  }
  if (!parser.at_eof) sketra::unit_backspace(unit);
  return 0;
}

// A word beginning with ">>": a known command opens a section; an unknown
// one ends the current section (left for the caller) or, at the top, is an
// error.
int command_word(const std::string& word, std::span<const std::string_view> keywords, int& unit, int logunit,
                 int mode) {
  if (int k = find_keyword(keywords, word); k > 0) {
    ++parser.level;
    unit_write_part(logunit, (parser.level > 1 ? "   " : " ") + word);
    if (mode != kKeepLogLine) sketra::unit_end_line(logunit);
    return k;
  }
  if (mode == kQuietUnknown) return 0;
  if (--parser.level < 0) {
    parser.level = 0;
    iierr(2, "command unknown> " + word, logunit);
    iilist(keywords, logunit);
    return kNextLine;
  }
  sketra::unit_backspace(unit);
  return 0;
}

// Any other word: a keyword, a number line (mode kNumericLine), or unknown.
int other_word(const std::string& word, std::span<const std::string_view> keywords, std::string& line, int& unit,
               int logunit, int mode, int& status) {
  if (int k = find_keyword(keywords, word); k > 0) return keyword_found(word, k, line, logunit, status);
  if (mode == kQuietUnknown) return 0;
  if (mode == kNumericLine && is_numeric_start(word[0])) {
    sketra::unit_backspace(unit);
    return -1;
  }
  iierr(2, "keyword unknown> " + word, logunit);
  iilist(keywords, logunit);
  return kNextLine;
}

}  // namespace

void parser_reset() { parser = ParserState{}; }

int iicmd(std::span<const std::string_view> keywords, std::string& line, int& unit, int logunit, int& status) {
  if (keywords.empty()) {
    std::size_t slash = line.rfind('/');
    parser.directory = slash == std::string::npos ? std::string() : line.substr(0, slash + 1);
    return 0;
  }
  const int mode = status;
  header(unit, logunit);
  bool reuse = mode == kParseBuffer;
  for (;;) {  // read loop
    if (parser.aborted) return 0;
    close_blocks();
    status = 0;
    if (!reuse) {
      read_line(line, unit);
      if (parser.at_eof && parser.level == 0 && parser.nlab > 0) {
        unit_write(kStdoutUnit, ">warning: end of option expected!");
        return 0;
      }
    }
    reuse = false;
    parser.nbrace = int(std::count(line.begin(), line.end(), '}'));
    std::replace(line.begin(), line.end(), '}', ' ');
    for (;;) {  // token loop
      std::string word = rrxwrd(line);
      if (word.empty()) {
        if (++parser.ii0 == 1) unit_write(logunit, "");
        break;
      }
      parser.ii0 = 0;
      char c = word[0];
      if (c == '/' || c == '#' || c == '\r') break;
      if (c == '{' || c == '|') {
        block_token(word);
        continue;
      }
      if (!block_active(parser.nlab)) break;
      if (word == "include") {
        std::string name = rrxwrd(line);
        open_include(name, unit, logunit);
        break;
      }
      int r = word == ">>" ? end_marker(unit, logunit)
              : word.size() > 2 && word[0] == '>' && word[1] == '>'
                  ? command_word(word, keywords, unit, logunit, mode)
                  : other_word(word, keywords, line, unit, logunit, mode, status);
      if (r == kNextLine) break;
      close_blocks();
      return r;
    }
  }
}

void iilist(std::span<const std::string_view> keywords, int unit) {
  unit_write(unit, "* available keywords are:");
  for (auto k : keywords) unit_write(unit, "* " + std::string(10, ' ') + sketra::fmt_a(k, 20));
  unit_write(unit, kStars);
}

int iierr(int code, std::string_view text, int unit) {
  auto box = [&](const char* head) {
    unit_write(unit, "");
    unit_write(unit, kStars);
    unit_write(unit, std::string(head) + std::string(text));
    unit_write(unit, kStars);
    unit_write(unit, "");
  };
  switch (code) {
    case 0: {
      int errors = parser.errors;
      if (parser.errors > 0) {
        unit_write(kStdoutUnit, "");
        unit_write(kStdoutUnit, "***errors  " + sketra::fmt_i(parser.errors, 4) + " ->check output");
        unit_write(kStdoutUnit, "");
      } else if (parser.warnings > 0) {
        unit_write(kStdoutUnit, "");
        unit_write(kStdoutUnit, "***warnings" + sketra::fmt_i(parser.warnings, 4) + " ->check output");
        unit_write(kStdoutUnit, "");
      }
      parser.errors = 0;
      parser.warnings = 0;
      return errors;
    }
    case 1:
      box("**warning: ");
      return ++parser.warnings;
    case 2:
      box("**error: ");
      if (++parser.errors > 5 && !parser.aborted) {
        unit_write(kStdoutUnit, ">>program aborted after 5 errors");
        parser.aborted = true;
      }
      return parser.errors;
    default:
      box("**error: ");
      ++parser.errors;
      unit_write(kStdoutUnit, "");
      unit_write(kStdoutUnit, ">>fatal error detected -> check output");
      parser.aborted = true;
      return parser.errors;
  }
}

std::string iitim(std::time_t t) {
  char buf[32];
  std::string c = ctime_r(&t, buf) ? std::string(buf) : std::string(24, ' ');
  // ctime: "Www Mmm dd hh:mm:ss yyyy\n"
  if (c.size() < 24) c.resize(24, ' ');
  return c.substr(8, 2) + " " + c.substr(4, 3) + " " + c.substr(20, 4) + " " + c.substr(11, 8);
}

std::string iitim() { return iitim(std::time(nullptr)); }

// ---- Token helpers ------------------------------------------------------------

int lenbl(std::string_view s) {
  std::size_t i = 0;
  while (i < s.size() && !is_printable(static_cast<unsigned char>(s[i]))) ++i;
  return i == s.size() ? 0 : int(i);
}

int lenxt(std::string_view s) {
  std::size_t i = 0;
  while (i < s.size() && !is_printable(static_cast<unsigned char>(s[i]))) ++i;
  if (i == s.size()) return int(s.size());
  while (i < s.size() && is_printable(static_cast<unsigned char>(s[i]))) ++i;
  return int(i);
}

std::string rrwrd(std::string& s) {
  std::size_t i = 0;
  while (i < s.size() && !is_printable(static_cast<unsigned char>(s[i]))) ++i;
  s.erase(0, i);
  std::size_t n = 0;
  while (n < s.size() && is_printable(static_cast<unsigned char>(s[n]))) ++n;
  return s.substr(0, n);
}

std::string rrxwrd(std::string& s) {
  std::string w = rrwrd(s);
  std::size_t end = w.size();
  if (!w.empty() && w[0] == '\'') {
    // A quoted word runs to its closing apostrophe, blanks included.
    std::size_t close = s.find('\'', 1);
    if (close != std::string::npos) {
      end = close + 1;
      w = s.substr(1, close - 1);
    } else {
      w = w.substr(1);
    }
  }
  while (end < s.size() && !is_printable(static_cast<unsigned char>(s[end]))) ++end;
  s.erase(0, end);
  return w;
}

// ---- Number scanners ----------------------------------------------------------

int iireal(std::string_view line, std::span<double> values) {
  int count = 0;
  std::size_t pos = 0;
  while (std::size_t(count) < values.size()) {
    std::size_t d = pos;
    while (d < line.size() && !(line[d] >= '0' && line[d] <= '9')) ++d;
    if (d == line.size()) break;
    std::size_t start = d;
    if (start > pos && (line[start - 1] == '-' || line[start - 1] == '.')) --start;
    std::size_t end = start;
    while (end < line.size() && line[end] != ' ' && line[end] != ',' && line[end] != '/' && line[end] != '\t' &&
           line[end] != '\r')
      ++end;
    if (!sketra::parse_real(line.substr(start, end - start), values[std::size_t(count)])) return 0;
    ++count;
    pos = end;
  }
  return count;
}

int iinumber(std::string_view line) {
  int n = 0;
  std::size_t i = 0;
  for (;;) {
    while (i < line.size() && !is_printable(static_cast<unsigned char>(line[i]))) ++i;
    if (i == line.size()) return n;
    std::size_t j = i;
    bool numeric = true;
    while (j < line.size() && is_printable(static_cast<unsigned char>(line[j]))) {
      char c = line[j];
      if (!(c == '+' || c == ',' || c == '-' || c == '.' || c == '/' || (c >= '0' && c <= '9'))) numeric = false;
      ++j;
    }
    if (!numeric) return n;
    ++n;
    i = j;
  }
}

}  // namespace korvel

// ---- Grid block reader ---------------------------------------------------------

namespace korvel {

namespace {

constexpr std::string_view kGridHeader[] = {"nx",        "ncols",    "ny",     "nrows",        "xllcorner",   "xllcenter",
                                            "yllcorner", "yllcenter", "dx",     "dy",           "item",        "rotate",
                                            "cellsize",  ">>grid",    "NODATA_value", "nodata_value"};

void bad_grid_input() {
  unit_write(kStdoutUnit, " -->error in input file");
  parser.aborted = true;
}

// One header value from the rest of the keyword's line; false when unreadable.
bool header_value(std::string_view rest, sketra::FreeTarget target) {
  sketra::FreeTarget t[] = {target};
  sketra::FreeResult r = sketra::read_free(rest, t);
  return !r.error && (r.slash || r.filled == 1);
}

// iigrid_head: keywords up to the first numeric line. False on a bad value.
bool grid_head(GridBlock& g, int& unit, int logunit) {
  std::string line;
  for (;;) {
    int status = kNumericLine;
    int k = iicmd(kGridHeader, line, unit, logunit, status);
    if (k <= 0) return !parser.aborted;
    std::string_view kw = kGridHeader[std::size_t(k - 1)];
    bool ok = true;
    std::string echo;
    float f = 0;
    if (kw == "nx" || kw == "ncols") {
      ok = header_value(line, &g.nx);
      echo = sketra::fmt_i(g.nx, 8);
    } else if (kw == "ny" || kw == "nrows") {
      ok = header_value(line, &g.ny);
      echo = sketra::fmt_i(g.ny, 8);
    } else if (kw == "xllcorner" || kw == "xllcenter") {
      ok = header_value(line, &g.x0);
      echo = sketra::fmt_f(g.x0, 10, 2);
    } else if (kw == "yllcorner" || kw == "yllcenter") {
      ok = header_value(line, &g.y0);
      echo = sketra::fmt_f(g.y0, 10, 2);
    } else if (kw == "dx") {
      ok = header_value(line, &g.dx);
      echo = sketra::fmt_f(g.dx, 10, 3);
    } else if (kw == "dy") {
      ok = header_value(line, &g.dy);
      echo = sketra::fmt_f(g.dy, 10, 3);
    } else if (kw == "item") {
      header_value(line, sketra::TextTarget{&g.name, 32});
      echo = " " + g.name;
    } else if (kw == "rotate") {
      ok = header_value(line, &f);
      echo = sketra::fmt_f(f, 10, 2);
    } else if (kw == "cellsize") {
      ok = header_value(line, &g.dx);
      g.dy = g.dx;
      g.flipped = true;
      echo = sketra::fmt_f(g.dx, 10, 2);
    } else if (kw == ">>grid") {
      echo = "";
    } else {  // NODATA_value
      ok = header_value(line, &g.nodata);
      echo = sketra::fmt_i(std::isfinite(g.nodata) ? (long long)g.nodata : 0, 10);
    }
    unit_write(logunit, echo);
    if (!ok) {
      bad_grid_input();
      return false;
    }
  }
}

// iigrid_body: values line by line until nx*ny are in, the end of the file,
// or a line without numbers (left for the caller). False on a bad value.
bool grid_body(GridBlock& g, int unit) {
  std::size_t total = g.values.size();
  std::size_t filled = 0;
  std::vector<double> buf;
  std::string_view l;
  while (filled < total && sketra::unit_read(unit, l)) {
    int n = iinumber(l);
    if (n == 0) {
      sketra::unit_backspace(unit);
      break;
    }
    std::size_t take = std::min(std::size_t(n), total - filled);
    buf.assign(take, double(g.nodata));
    if (sketra::read_reals(l, buf).error) {
      bad_grid_input();
      return false;
    }
    for (std::size_t i = 0; i < take; ++i) g.values[filled + i] = float(buf[i]);
    filled += take;
  }
  return true;
}

}  // namespace

GridBlock iigrid(int& unit, int logunit, std::int64_t maxnodes) {
  GridBlock g;
  if (!grid_head(g, unit, logunit)) return g;
  std::int64_t nxy = std::int64_t(std::max(g.nx, 0)) * std::int64_t(std::max(g.ny, 0));
  if (nxy > maxnodes) {
    unit_write(kStdoutUnit, sketra::ListLine().text("iigrid nxy ").i(nxy).text(" maximum is ").i(maxnodes).str());
    g.nx = g.ny = 0;
    g.too_large = true;
    return g;
  }
  if (g.nx <= 0 || g.ny <= 0) g.nx = g.ny = 0;
  g.values.assign(std::size_t(g.nx) * std::size_t(g.ny), g.nodata);
  if (!grid_body(g, unit)) return g;
  if (g.flipped) {
    auto row = [&](int j) { return g.values.begin() + std::ptrdiff_t(j) * g.nx; };
    for (int j = 0; j < g.ny / 2; ++j) std::swap_ranges(row(j), row(j) + g.nx, row(g.ny - 1 - j));
  }
  return g;
}

// ---- File prompt ------------------------------------------------------------

bool iiopn(int unit, std::string& name, int& mode, std::istream& in, std::ostream& out) {
  auto ask = [&](std::string_view prompt) {
    out << prompt << std::flush;
    std::string answer;
    if (!std::getline(in, answer)) answer.clear();
    return std::string(sketra::trim_right(answer));
  };
  if (sketra::trim_right(name).empty()) name = ask("Enter filename> ");
  std::error_code ec;
  while (!sketra::trim_right(name).empty() && !std::filesystem::is_regular_file(name, ec))
    name = ask(name.substr(0, 10) + "... not found. Filename> ");
  if (sketra::trim_right(name).empty()) return false;
  if (mode != 0 && mode != 1) {
    std::string a = ask("Direct Access File (Y/n)? ");
    mode = !a.empty() && a[0] == 'n' ? 0 : 1;
  }
  if (mode == 1) {
    std::ifstream f(name, std::ios::binary);
    std::int32_t rec[2] = {0, 0};
    f.read(reinterpret_cast<char*>(rec), sizeof rec);
    mode = f && rec[0] >= -99 && rec[0] <= -90 ? rec[1] : 0;
  }
  return sketra::unit_open(unit, name, sketra::FileStatus::old_file);
}

}  // namespace korvel
