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
void close_blocks(ParserState& p) {
  p.nlab = std::max(0, p.nlab - p.nbrace);
  p.nbrace = 0;
}

int depth_index(int d) { return std::clamp(d, 0, kMaxBlockDepth - 1); }

bool block_active(const ParserState& p, int d) { return d <= 0 || p.active[std::size_t(depth_index(d))] != 0; }

bool label_given(const ParserState& p, std::string_view names) {
  // A comma-separated list of names; a branch is taken when one is an option.
  while (!names.empty()) {
    std::size_t c = names.find(',');
    std::string_view n = names.substr(0, c);
    for (const auto& o : p.options)
      if (!n.empty() && o == n) return true;
    if (c == std::string_view::npos) break;
    names.remove_prefix(c + 1);
  }
  return false;
}

// "{" and "|" tokens. Returns false when the word is not a block token.
bool block_token(ParserState& p, const std::string& word) {
  if (word[0] == '{') {
    ++p.nlab;
    std::string_view names = std::string_view(word).substr(1);
    bool labelled = names.empty() || label_given(p, names);
    if (names.empty()) unit_write(kStdoutUnit, "Warning: Option must have name");
    bool on = labelled && block_active(p, p.nlab - 1);
    auto d = std::size_t(depth_index(p.nlab));
    p.lget[d] = on;
    p.lget0[d] = on;
    p.active[d] = on;
    return true;
  }
  if (word[0] == '|') {
    if (p.nlab == 0) return true;
    std::string_view names = std::string_view(word).substr(1);
    auto d = std::size_t(depth_index(p.nlab));
    bool labelled = names.empty() || label_given(p, names);
    bool on = !p.lget0[d] && labelled && block_active(p, p.nlab - 1);
    p.lget[d] = on;
    p.lget0[d] = p.lget0[d] || on;
    p.active[d] = on;
    return true;
  }
  return false;
}

// Reads the next line into `line`; at the end of the file the line is ">>".
void read_line(ParserState& p, std::string& line, int unit) {
  std::string_view l;
  if (sketra::unit_read(unit, l)) {
    line.assign(l);
    p.at_eof = false;
  } else {
    line = ">>";
    p.at_eof = true;
  }
}

// True when `name` is the main input or an include file open now.
bool already_open(const ParserState& p, const std::string& name, int unit) {
  std::error_code ec;
  if (std::filesystem::equivalent(name, sketra::unit_name(p.nin0), ec)) return true;
  for (int u = p.nfinc; u <= unit && unit != p.nin0; ++u)
    if (sketra::unit_is_open(u) && std::filesystem::equivalent(name, sketra::unit_name(u), ec)) return true;
  return false;
}

// Opens an include file on the next unit. False when it is missing.
bool open_include(ParserState& p, const std::string& name, int& unit, int logunit) {
  std::error_code ec;
  if (name.empty() || !std::filesystem::is_regular_file(name, ec)) {
    iierr(p, 2, "file not found: " + name, logunit);
    return false;
  }
  if (already_open(p, name, unit)) {
    iierr(p, 2, "include cycle: " + name + " is being read already", logunit);
    return false;
  }
  int next = unit == p.nin0 ? p.nfinc : unit + 1;
  if (next > kLastIncludeUnit) {
    iierr(p, 2, "too many nested include files: " + name, logunit);
    return false;
  }
  unit_write(logunit, "");
  unit_write(logunit, "/include '" + name + "'");
  if (!sketra::unit_open(next, name, sketra::FileStatus::old_file)) {
    iierr(p, 2, "file not found: " + name, logunit);
    return false;
  }
  unit = next;
  unit_write(kStdoutUnit, " >include '" + name + "'");
  return true;
}

// End of an include file: back to the unit that included it.
void close_include(const ParserState& p, int& unit, int logunit) {
  unit_write(logunit, "/end_include");
  sketra::unit_close(unit);
  unit = unit == p.nfinc ? p.nin0 : unit - 1;
}

bool in_include(const ParserState& p, int unit) { return unit != p.nin0 && unit >= p.nfinc; }

void header(ParserState& p, int& unit, int logunit) {
  ++p.ncall;
  if (p.ncall == 1) {
    unit_write(logunit, "");
    unit_write(logunit, "/OUTPUT " + iitim().substr(0, 17) + "/");
    unit_write(logunit, "");
  }
  if (p.nin0 == -1) p.nin0 = unit;
}

// A keyword was found: echo it and look for asterisks on the rest of its line.
int keyword_found(const ParserState& p, const std::string& word, int index, std::string& line, int logunit, int& status) {
  unit_write_part(logunit, (p.level > 1 ? "     " : "   ") + word + " ");
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
int end_marker(ParserState& p, int& unit, int logunit) {
  if (in_include(p, unit)) {
    close_include(p, unit, logunit);
    return kNextLine;
  }
  --p.level;
  if (p.level == 0) unit_write(logunit, " >>");
  if (p.level < 0) {
    p.level = 0;
    p.ncall = 0;
  }
  if (!p.at_eof) sketra::unit_backspace(unit);
  return 0;
}

// A word beginning with ">>": a known command opens a section; an unknown
// one ends the current section (left for the caller) or, at the top, is an
// error.
int command_word(ParserState& p, const std::string& word, std::span<const std::string_view> keywords, int& unit, int logunit,
                 int mode) {
  if (int k = find_keyword(keywords, word); k > 0) {
    if (++p.level == 1) p.section = word;
    unit_write_part(logunit, (p.level > 1 ? "   " : " ") + word);
    if (mode != kKeepLogLine) sketra::unit_end_line(logunit);
    return k;
  }
  if (mode == kQuietUnknown) return 0;
  if (--p.level < 0) {
    p.level = 0;
    if (iierr(p, 2, "command unknown> " + word, logunit) > 0 && !p.aborted) iilist(keywords, logunit);
    return kNextLine;
  }
  sketra::unit_backspace(unit);
  return 0;
}

// Any other word: a keyword, a number line (mode kNumericLine), or unknown.
int other_word(ParserState& p, const std::string& word, std::span<const std::string_view> keywords, std::string& line, int& unit,
               int logunit, int mode, int& status) {
  if (int k = find_keyword(keywords, word); k > 0) return keyword_found(p, word, k, line, logunit, status);
  if (mode == kQuietUnknown) return 0;
  if (mode == kNumericLine && is_numeric_start(word[0])) {
    sketra::unit_backspace(unit);
    return -1;
  }
  iierr(p, 2, "keyword unknown> " + word, logunit);
  if (!p.aborted) iilist(keywords, logunit);  // a sixth error ends the reading at once
  return kNextLine;
}

// A ">>" command met in an include file while a section is open: the
// section's own command is passed over (the include is part of the
// section); another one is an error and ends the include.
void include_command(ParserState& p, const std::string& word, int& unit, int logunit) {
  if (word == p.section) return;
  iierr(p, 2, "include of another kind of file: " + word + " in " + sketra::unit_name(unit), logunit);
  close_include(p, unit, logunit);
}

}  // namespace

int iicmd(ParserState& p, std::span<const std::string_view> keywords, std::string& line, int& unit, int logunit, int& status) {
  if (keywords.empty()) {
    std::size_t slash = line.rfind('/');
    p.directory = slash == std::string::npos ? std::string() : line.substr(0, slash + 1);
    return 0;
  }
  const int mode = status;
  header(p, unit, logunit);
  bool reuse = mode == kParseBuffer;
  for (;;) {  // read loop
    if (p.aborted) return 0;
    close_blocks(p);
    status = 0;
    if (!reuse) {
      read_line(p, line, unit);
      if (p.at_eof && p.level == 0 && p.nlab > 0) {
        unit_write(kStdoutUnit, ">warning: end of option expected!");
        return 0;
      }
    }
    reuse = false;
    p.nbrace = int(std::count(line.begin(), line.end(), '}'));
    std::replace(line.begin(), line.end(), '}', ' ');
    for (;;) {  // token loop
      std::string word = rrxwrd(line);
      if (word.empty()) {
        if (++p.ii0 == 1) unit_write(logunit, "");
        break;
      }
      p.ii0 = 0;
      char c = word[0];
      if (c == '/' || c == '#' || c == '\r') break;
      if (c == '{' || c == '|') {
        block_token(p, word);
        continue;
      }
      // The end of a file ends its section or include even inside a skipped
      // block: skipping it would read the same end again and again.
      if (!block_active(p, p.nlab) && !(p.at_eof && word == ">>")) break;
      if (word == "include") {
        std::string name = rrxwrd(line);
        open_include(p, name, unit, logunit);
        break;
      }
      const bool command = word.size() > 2 && word[0] == '>' && word[1] == '>';
      if (command && p.level > 0 && in_include(p, unit)) {
        include_command(p, word, unit, logunit);
        break;
      }
      int r = word == ">>" ? end_marker(p, unit, logunit)
              : command ? command_word(p, word, keywords, unit, logunit, mode)
                  : other_word(p, word, keywords, line, unit, logunit, mode, status);
      if (r == kNextLine) break;
      close_blocks(p);
      return r;
    }
  }
}

void iilist(std::span<const std::string_view> keywords, int unit) {
  unit_write(unit, "* available keywords are:");
  for (auto k : keywords) unit_write(unit, "* " + std::string(10, ' ') + sketra::fmt_a(k, 20));
  unit_write(unit, kStars);
}

int iierr(ParserState& p, int code, std::string_view text, int unit) {
  auto box = [&](const char* head) {
    unit_write(unit, "");
    unit_write(unit, kStars);
    unit_write(unit, std::string(head) + std::string(text));
    unit_write(unit, kStars);
    unit_write(unit, "");
  };
  switch (code) {
    case 0: {
      int errors = p.errors;
      if (p.errors > 0) {
        unit_write(kStdoutUnit, "");
        unit_write(kStdoutUnit, "***errors  " + sketra::fmt_i(p.errors, 4) + " ->check output");
        unit_write(kStdoutUnit, "");
      } else if (p.warnings > 0) {
        unit_write(kStdoutUnit, "");
        unit_write(kStdoutUnit, "***warnings" + sketra::fmt_i(p.warnings, 4) + " ->check output");
        unit_write(kStdoutUnit, "");
      }
      p.errors = 0;
      p.warnings = 0;
      return errors;
    }
    case 1:
      box("**warning: ");
      return ++p.warnings;
    case 2:
      box("**error: ");
      if (++p.errors > 5 && !p.aborted) {
        unit_write(kStdoutUnit, ">>program aborted after 5 errors");
        p.aborted = true;
      }
      return p.errors;
    default:
      box("**error: ");
      ++p.errors;
      unit_write(kStdoutUnit, "");
      unit_write(kStdoutUnit, ">>fatal error detected -> check output");
      p.aborted = true;
      return p.errors;
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
