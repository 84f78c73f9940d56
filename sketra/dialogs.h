#pragma once
// Dialogs and messages: the message line, prompts, forms, text pages, the
// file-open helper, the progress bar, the start-up plate and error reporting.
//
// Behaviour and drawing are separate. These routines decide everything a
// dialog does without a window: answers come from the script queue first
// (a prompt takes the next entry as its answer, a form takes "k value"
// entries and "D", a file dialog takes the entry as the file name, a
// one-character question the entry's first character); every message goes
// to the message log and is echoed to the log file. Only when nothing is
// queued do they ask the window layer (`DialogUi`, installed by the X11
// side); without one, a prompt answers blank, a form answers "cancel" and a
// file dialog gives up.
//
//   sketra::grscpt(std::vector<std::string>{"2 10.5", "D"});
//   std::string prompts[] = {"X-Move", "Y-Move"}, values[] = {"0", "0"};
//   sketra::grinfo(prompts, values);   // values[1] == "10.5", nothing drawn

#include <algorithm>
#include <cstdint>
#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace sketra {

inline constexpr int kMessageLogLines = 200;
inline constexpr int kMessageLogWidth = 80;
inline constexpr int kMessageWidth = 100;

// What a person at the screen answers. Installed by the window layer; each
// call draws its dialog, waits and returns the answer.
class DialogUi {
 public:
  virtual ~DialogUi() = default;
  virtual void message(std::string_view text) = 0;                 // show on the message line
  virtual bool prompt(std::string_view prompt, std::string& text) = 0;  // false: no answer
  virtual bool form(std::span<std::string> prompts, std::span<std::string> values) = 0;  // false: Cancel
  virtual bool choose_file(std::string& name, std::string& filter) = 0;  // false: Cancel
  virtual void text_page(std::span<const std::string> lines) = 0;
  virtual void plate(std::span<const std::string> lines) = 0;
  virtual void beam(int percent, std::string_view text) = 0;
};

// Dialog state of the process (resettable by tests).
struct DialogState {
  DialogUi* ui = nullptr;              // the window layer, when there is one
  int log_unit = -1;                   // unit that every message is echoed to
  std::vector<std::string> messages;   // message log, at most 200 lines of 80 characters
  std::string message_line;            // the text last shown on the message line
  int errors = 0;                      // igrerr counts since the last summary
  int warnings = 0;
  int summary_errors = 0;              // counts shown by the last summary
  int summary_warnings = 0;
  bool fatal = false;                  // a level-3 report was made
  int beam_percent = 0;                // last percentage drawn by grbeam
  std::int64_t beam_draws = 0;         // bars drawn (for tests and benchmarks)
};
extern DialogState dialogs;

// Back to the start-up state (keeps no window, no log unit).
void dialogs_reset();
void set_dialog_ui(DialogUi* ui);
void set_log_unit(int unit);

// Shows text on the message line (trailing blanks removed, at most 100
// characters); a blank text clears it. Each non-blank message is appended
// to the message log (first 80 characters; the 200th line is replaced once
// the log is full) and written to the log unit.
void grmesg(std::string_view text);

// Text prompt: the next script entry, else the window, else blank.
// `text` is in/out (its value is the preset).
void grinpa(std::string_view prompt, std::string& text);

// Real and integer prompts: the next script entry read as a number, else the
// window. False (value unchanged) when no number was given.
bool grinpf(std::string_view prompt, float& value);
bool grinpi(std::string_view prompt, int& value);

// One-character question ("Overwrite file? "): the first character of the
// answer, blank when there is none.
char grinp1(std::string_view prompt);

// Multi-field form. prompts[i] and values[i] describe field i; prompts that
// start with "#" are headings and not editable. Script entries "k value"
// set editable field k (1-based; a toggle field "+ ..."/"_ ..." is switched
// on), "D" applies. Cancel, an unknown script entry, or no answer at all
// (nothing queued, no window) set prompts[0] to "cancel".
void grinfo(std::span<std::string> prompts, std::span<std::string> values);

// Text page with Save and Done. From the script an "S" entry saves the lines
// ("Filename", then "Append Overwrite eXit?" when the file exists), any
// other entry closes the page.
void grtext(std::span<const std::string> lines);

// Framed plate with centred lines (the start-up banner).
void grplate(std::span<const std::string> lines);

// Opens an existing file for reading on `unit`. A blank name, or one that
// starts with ".", is chosen first (script entry, else the window's file
// browser). A missing file shows "File not found: " and the name and asks
// again; a file whose first record cannot be read shows "Wrong file format: "
// and the name. Returns false, with nothing open, when it gives up.
bool gropn(std::string& name, std::string& filter, int unit);

// Asks for a file to write and opens it on `unit` (created, or written again
// from its start). `name` is the preset. A preset that starts with "pre" asks
// "Enter Prefix> " and puts the answer in place of "pre" ("pre.node" and the
// answer "river" give "river.node"; an answer that already ends with the rest
// of the preset is taken whole). Any other preset asks "Enter Filename> ".
// When the file exists, "Overwrite file? " takes one character: "Y" or "y"
// overwrites, anything else asks for the name again. A blank answer gives up.
// Returns true with `name` set to the file opened; false, with `name` blank
// and nothing opened, when it gives up. A file that cannot be created shows
// "Cannot write file: " and the name and asks again.
bool grfil(std::string& name, int unit);

// Progress bar at 100*i/n percent (at most 100); nothing happens unless the
// percentage changed since the last call, so calling it per record is free.
void grbeam_draw(int percent, std::string_view text);
inline void grbeam(std::int64_t i, std::int64_t n, std::string_view text) {
  int p = n > 0 ? int(std::min<std::int64_t>(100, std::max<std::int64_t>(0, i) * 100 / n)) : 100;
  if (p != dialogs.beam_percent) grbeam_draw(p, text);
}

// Error and warning reports on `unit`: level 1 a warning box, 2 an error box,
// 3 a fatal error box followed by "***fatal error detected" (the caller
// then abandons what it was doing; `dialogs.fatal` is set). Level 0 is the
// summary: when anything was counted it shows " >>errors/ee/  >>warnings/ww/"
// on the message line and the unit, clears both counts and returns 1;
// otherwise it returns 0. Levels 1 to 3 return the count of their kind.
int igrerr(int level, std::string_view text, int unit);

// Number of lines of a text file (line ends counted); -1 when it cannot be read.
long igrlin(const std::string& path);

}  // namespace sketra
