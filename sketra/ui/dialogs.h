#pragma once
// Dialogs and messages: the message line, prompts, forms, text pages, the
// file-open helper, choices, the file browser, the colour picker, the
// progress bar, the start-up plate and error reporting.
//
// Behaviour and drawing are separate. These routines decide everything a
// dialog does without a window: answers come from the script queue first
// (a prompt takes the next entry as its answer, a form takes "k value"
// entries and "D", a file dialog takes the entry as the file name, a
// one-character question the entry's first character, a choice a number k
// or a hot key); every message goes to the message log and is echoed to the
// log file. Only when nothing is queued do they ask the window layer
// (`DialogUi`; the default one, dialog_window.h, draws in the window while
// a screen mode is open). Without a window a prompt answers blank, a form
// is cancelled and a file dialog gives up.
//
// A script entry that a form or a number prompt cannot use is reported as
// "unknown script line: " and the entry (an error box on the log unit); the
// rest of the queue is dropped and the dialog goes on with the person.
//
//   sketra::grscpt(std::vector<std::string>{"2 10.5", "D"});
//   std::string prompts[] = {"X-Move", "Y-Move"}, values[] = {"0", "0"};
//   if (sketra::grinfo(prompts, values)) ...  // true, values[1] == "10.5",
//                                             // nothing drawn

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
inline constexpr int kMessageLines = 5;  // lines of the message line

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
  // A pop-up list (captions: hot key, then label); the entry chosen, 0 none.
  virtual int choice(std::span<const std::string> captions) { return 0; }
  // The colour picker; false when cancelled.
  virtual bool pick_colour(float x, float y, int& colour, int mode) { return false; }
};

// The window layer used unless a test installs another: it draws while a
// screen mode is open and answers nothing otherwise.
DialogUi* default_dialog_ui();

// Dialog state of the process (resettable by tests).
struct DialogState {
  DialogUi* ui = default_dialog_ui(); // the window layer; nullptr: none
  int log_unit = -1;                   // unit that every message is echoed to
  std::vector<std::string> messages;   // message log, at most 200 lines of 80 characters
  std::string message_line;            // the text last shown on the message line
  std::vector<std::string> shown;      // lines of the message line, oldest first (at most 5)
  int errors = 0;                      // igrerr counts since the last summary
  int warnings = 0;
  int summary_errors = 0;              // counts shown by the last summary
  int summary_warnings = 0;
  bool fatal = false;                  // a level-3 report was made
  int beam_percent = 0;                // last percentage drawn by grbeam
  std::int64_t beam_draws = 0;         // bars drawn (for tests and benchmarks)
};
extern DialogState dialogs;

// Back to the start-up state (the default window layer, no log unit).
void dialogs_reset();
void set_dialog_ui(DialogUi* ui);
void set_log_unit(int unit);

// Shows text on the message line (trailing blanks removed, at most 100
// characters); a blank text clears it. Each non-blank message is appended
// to the message log (first 80 characters; the 200th line is replaced once
// the log is full) and written to the log unit.
void grmesg(std::string_view text);
// Shows the message line again (after the picture under it was cleared,
// for a new window size), without adding to it.
void grmesg_repaint();

// Text prompt: the next script entry, else the window, else blank.
// `text` is in/out (its value is the preset).
void grinpa(std::string_view prompt, std::string& text);

// Real and integer prompts: the next script entry read as a number, else the
// window, asking again until a number is read. The real field shows the
// value as fixed point, width 12, 3 decimals (blank when its magnitude is
// at most 0.0001). False (value unchanged) when nobody gave a number.
bool grinpf(std::string_view prompt, float& value);
bool grinpi(std::string_view prompt, int& value);

// One-character question ("Overwrite file? "): the first character of the
// answer, blank when there is none.
char grinp1(std::string_view prompt);

// Multi-field form. prompts[i] and values[i] describe field i; prompts that
// start with "#" are headings and not editable. Script entries "k value"
// set editable field k (1-based; a toggle field "+ ..."/"_ ..." is switched
// on, a choice field "|k|..." takes the digit), "D" applies. Returns true
// when the form was applied; false after Cancel, or when nobody answered
// (nothing queued, no window): the caller then changes nothing. Prompts
// are never changed. The cursor pick (XCRSGR, YCRSGR) is cleared to -9999
// on leaving.
[[nodiscard]] bool grinfo(std::span<std::string> prompts, std::span<std::string> values);

// Kinds of form fields, decided by the prompt and the current value.
enum class FieldKind {
  text,    // free text
  toggle,  // "+ ..." on, "_ ..." off
  choice,  // "|k|option 1|option 2|...": option k is current
  colour,  // a prompt starting with "Color": the value is a colour number
};
FieldKind field_kind(std::string_view prompt, std::string_view value);
// The options of a choice value and its current option (1-based, 0 when
// the digit is not a valid option).
std::vector<std::string> choice_options(std::string_view value, int& current);
// Makes option k (1 ... 9) current in a choice value.
void set_choice(std::string& value, int k);
// Every toggle field switched (the form's Invert).
void invert_toggles(std::span<const std::string> prompts, std::span<std::string> values);

// Values of form fields, for the dialogs that build forms:
//   toggle_value(true) == "+ ", toggle_on("+ ") == true;
//   number_field(2.5, 3) == "2.500" (fixed point without blanks; a number
//   too wide for 16 characters in general format with 7 digits);
//   read_field(" 12.5 ", v) puts 12.5 into v and returns true; a field that
//   does not hold exactly one number returns false and leaves v alone.
std::string toggle_value(bool on);
bool toggle_on(std::string_view value);
std::string number_field(double v, int decimals);
bool read_field(std::string_view text, double& v);
bool read_field(std::string_view text, int& v);

// Text page with Save and Done. From the script an "S" entry saves the lines
// ("Filename", then "Append Overwrite eXit?" when the file exists), any
// other entry closes the page.
void grtext(std::span<const std::string> lines);
// Save of a text page: asks "Filename" (blank gives up) and, when the file
// exists, "Append Overwrite eXit?" (A appends, O overwrites, anything else
// abandons); writes the lines without trailing blanks and shows "data
// stored on file". False when nothing was written.
bool save_text_lines(std::span<const std::string> lines);

// Framed plate with centred lines (the start-up banner).
void grplate(std::span<const std::string> lines);

// Opens an existing file for reading on `unit`. A blank name, or one that
// starts with "." and names no file (a suffix such as ".xyz", which then
// becomes the browser's filter), is chosen first (script entry, else the
// file browser). A missing file shows "File not found: " and the name and
// asks again; a file whose first record cannot be read shows "Wrong file
// format: " and the name. Returns false, with nothing open, when it gives up.
// The name loses its surrounding blanks (the padding of a field) unless
// `as_given` is set: a name from the command line may end in a blank.
bool gropn(std::string& name, std::string& filter, int unit, bool as_given = false);

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
// The asking of grfil without the opening: `name` (the preset on entry)
// becomes the file chosen, confirmed when it exists. For writers that
// write a temporary file beside it and rename it over the name at the end.
// False, with `name` blank, when it gives up.
bool grfil_ask(std::string& name);

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

// A pop-up list near the last cursor pick. Each caption is a hot key
// followed by its label ("LLoad"). Returns the number of the entry chosen,
// 0 for none. From the script: an entry holding a whole number k chooses
// entry k (0 when out of range), any other entry is a hot key.
int grchoice(std::span<const std::string> captions);

// The file browser: `name` becomes the chosen file (relative to the
// working directory when it lies below it), `filter` a suffix that limits
// the listing (blank: all files). From the script: the entry is the name.
// False, with a blank name, when cancelled or nobody answered.
bool grfile(std::string& name, std::string& filter);

// The colour picker with its upper-left corner at pixel-mode (x, y) (x
// below -1000: under the menu bar): `colour` (in/out) is a palette colour
// 1 ... 200. With mode 2 a
// pick also sets the colour bank to its row - 1, with mode 3 to its column;
// on leaving the colour mode becomes `mode` (mode 0: colour mode and bank
// are left alone). From the script: the entry read as a colour number.
// False (colour unchanged) when cancelled.
bool grcmap(float x, float y, int& colour, int mode);

}  // namespace sketra
