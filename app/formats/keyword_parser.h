#pragma once
// The keyword-input parser.
//
// Keyword text files (the unstruct format, grid files) are read through
// `iicmd`: it reads lines from a unit, skips comments ("/", "#") and the
// inactive branches of conditional blocks ("{name", "|name", "}"), follows
// include files on units 45, 46, ..., recognises ">>" commands and keywords
// of a caller-supplied list, echoes them to the log, counts errors, and hands
// the rest of the keyword's line back to the caller, who reads the keyword's
// parameters and data lines itself.
//
// Around it: the token helpers (`lenbl`, `lenxt`, `rrwrd`, `rrxwrd`), the
// number scanners (`iireal`, `iinumber`), the message counter `iierr`, the
// time stamp `iitim` and the file prompt `iiopn`. The grid block reader
// `iigrid` is in grid_files.h.
//
// The parser's state (`ParserState`) belongs to the caller, who keeps one
// for the life of the process (the loader does) and passes it to every
// call: nesting, open blocks and include files, and the error counts run on
// from one call to the next and from one file to the next.
//
// A "word" is a run of printable characters: codes 33 to 125, and every byte
// of 128 and above so that UTF-8 names stay whole. Everything else, the blank
// included, separates words.
//
// Bad input never ends the program: where a sixth error or a fatal error
// would stop it, `aborted` is set in the state instead, `iicmd` returns 0 from then
// on, and the caller rejects the file.

#include <array>
#include <cstdint>
#include <ctime>
#include <iosfwd>
#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace korvel {

inline constexpr int kMaxBlockDepth = 64;  // conditional blocks nested deeper are counted, not tracked
inline constexpr int kLastIncludeUnit = 94;  // 95 to 97 belong to the graphics library

// Status values of `iicmd` (in: a mode; out: asterisks on the keyword line).
inline constexpr int kParseBuffer = 11;  // do not read a new line, parse the one held
inline constexpr int kKeepLogLine = 12;  // after a ">>" command do not end the log line
inline constexpr int kQuietUnknown = 13; // return 0 quietly on an unknown word
inline constexpr int kNumericLine = -1;  // return -1 when a line starts with a number

// Parser state, kept by the caller for the life of the process.
struct ParserState {
  int ncall = 0;    // calls since the last reset; the first writes the log header
  int level = 0;    // command nesting
  int nin0 = -1;    // the caller's main input unit
  int nfinc = 45;   // unit of the first include file
  int nlab = 0;     // depth of open conditional blocks
  int nbrace = 0;   // "}" counted on the current line, applied when the next is read
  std::array<int, kMaxBlockDepth> lget{};    // branch at that depth active
  std::array<int, kMaxBlockDepth> lget0{};   // some branch of the block taken
  std::array<int, kMaxBlockDepth> active{};  // lines at that depth are read
  int ii0 = 0;      // consecutive empty lines
  int warnings = 0; // iierr counts since the last summary
  int errors = 0;
  bool aborted = false;  // a sixth or fatal error: the file is to be rejected
  bool at_eof = false;   // the last read met the end of the file
  std::string section;   // the ">>" command of the open section (">>unstruct")
  std::string directory; // recorded by a call with no keywords
  std::vector<std::string> options;  // names of the conditional blocks (kept empty)
};
// Include files: an include that begins with the command of the section
// it is read into (a part kept in a file that also loads on its own) is
// read as part of that section, its command line passed over; any other
// command in an include is an error and ends the include. An include of a
// file already open (itself, or one including it) is an error.
//
// Reads the next keyword or command. `keywords` are compared whole (trailing
// blanks ignored). `line` in/out: on return with a keyword it holds the rest
// of the keyword's line, left-trimmed. `unit` in/out: changed while include
// files are open. `status` in: a mode (0, kParseBuffer, kKeepLogLine,
// kQuietUnknown, kNumericLine); out: 0, or 1 / 2 when the keyword's line held
// "**" / "***" (every "*" of it is then blanked).
// Returns the 1-based index of the keyword; 0 at the end of the input or of
// the command section, for an unknown word in kQuietUnknown mode, and after
// the file was aborted; -1 for a numeric line in kNumericLine mode (the line
// is left for the caller). With no keywords it only records the directory
// part of `line` and returns 0.
int iicmd(ParserState& p, std::span<const std::string_view> keywords, std::string& line, int& unit, int logunit, int& status);

// Counts a message and writes its box to `unit`:
//   0: summary; writes "***errors  nnnn ->check output" (or "***warnings")
//      between blank lines to standard output when anything was counted,
//      clears both counters and returns the number of errors counted.
//   1: warning box, returns the warning count.
//   2: error box, returns the error count; the sixth error writes
//      ">>program aborted after 5 errors" and aborts the file.
//   3: fatal: error box and ">>fatal error detected -> check output"; aborts.
int iierr(ParserState& p, int code, std::string_view text, int unit);

// Writes the keyword list to the log (after an unknown keyword).
void iilist(std::span<const std::string_view> keywords, int unit);

// 20-character time stamp "dd Mon yyyy hh:mm:ss" (day blank-padded).
std::string iitim(std::time_t t);
std::string iitim();

// ---- Token helpers ------------------------------------------------------------

// True for the characters that make up words.
inline bool is_printable(unsigned char c) { return (c >= 33 && c <= 125) || c >= 128; }

// Number of leading separators of s (0 when s starts with a word or holds none).
int lenbl(std::string_view s);

// 1-based position of the last character of the first word; s.size() when
// there is no word.
int lenxt(std::string_view s);

// Shifts s left over its leading separators and returns its first word
// (empty when s holds none).
std::string rrwrd(std::string& s);

// Like rrwrd, then removes the word and the separators after it from s. A
// word in apostrophes is returned without them and may hold blanks
// ('my file.txt').
std::string rrxwrd(std::string& s);

// ---- Number scanners ----------------------------------------------------------

// Reads up to values.size() numbers: from the current position it skips to
// the next digit (a "-" or "." directly before it belongs to the number),
// reads one value there in free format and skips to the next separator.
// Returns the count read, or 0 as soon as one read fails.
int iireal(std::string_view line, std::span<double> values);

// Number of leading words made only of "+,-./" and digits.
int iinumber(std::string_view line);

// ---- File prompt ------------------------------------------------------------

// Asks for a file on `out`/`in` until it exists or the answer is blank, then
// opens it on `unit`. Mode 0: sequential. Mode 1: looks at the first record
// as two 32-bit integers (marker, record length): a marker from -99 to -90
// returns the record length in mode, anything else mode 0. Other modes ask
// "Direct Access File (Y/n)? " first. Returns false when nothing was opened.
bool iiopn(int unit, std::string& name, int& mode, std::istream& in, std::ostream& out);

}  // namespace korvel
