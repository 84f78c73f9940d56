#pragma once
// The script queue: answers that menus, prompts and forms take before they
// ask the person at the screen.
//
// Every interactive routine of sketra first looks here. A queued entry is a
// 16-character text (cut or blank-padded); a menu reads its first character as
// a hot key, a prompt reads the whole entry as its answer. The queue is filled
// at start-up from the file named by SKETRA_SCRIPT (and by tests).

#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace sketra {

inline constexpr int kScriptCapacity = 8000;  // entries
inline constexpr int kScriptWidth = 16;       // characters per entry

struct ScriptQueue {
  std::vector<std::string> entries;  // each exactly kScriptWidth characters
  int pos = 0;                       // 0-based read position
  int length = 0;                    // number of valid entries
  bool batch = false;                // nobody at the screen (SKETRA_BATCH=1)

  void reset() { entries.clear(); pos = 0; length = 0; batch = false; }
};

// The one queue of the process.
extern ScriptQueue scriptq;

// Puts new entries in front of the entries not yet read. When everything has
// been read the queue becomes just the new entries. At most kScriptCapacity
// entries are kept; each is cut or blank-padded to kScriptWidth characters.
void grscpt(std::span<const std::string> entries);
void grscpt(std::string_view entry);

// True while an entry is waiting to be read.
bool script_pending();

// Takes the next unread entry (kScriptWidth characters). Returns an empty
// string when nothing is pending.
std::string script_take();

// Drops every unread entry (the queue's length becomes 0).
void script_drop();

// In a batch run (scriptq.batch, set from SKETRA_BATCH=1) nobody answers
// at the screen: when the program is about to wait for input and nothing
// is queued (the script ran out or was dropped), the run ends with
// BatchEnd instead of waiting for ever.
void script_check_batch();

// Sets the queue length directly (the named variable NSCRGR); clamped to the
// entries present.
void script_set_length(int n);

// A script file line that starts with "##" is a comment and gives no entry,
// so that a session can say what its answers do:
//
//   ## File Add: the bank lines, then their load dialog
//   F
//   A
//   river_banks.xyzi
//   D
//
// The prefix cannot be mistaken for a menu answer: "#" followed by a digit
// chooses an entry by its place, and no menu has the hot key "#". The price
// is that an answer starting with "##" cannot be scripted. A "#" anywhere
// else in a line, or after leading blanks, belongs to the entry.
inline constexpr std::string_view kScriptComment = "##";

// Reads a script file: one entry per line, blank lines included, comment
// lines left out, each entry cut or blank-padded to kScriptWidth
// characters. Returns false, with the queue unchanged and the reason in
// `why`, when the file cannot be read or holds more than kScriptCapacity
// answers (a longer session would stop waiting at its 8001st answer).
bool script_load_file(const std::string& path, std::string* why = nullptr);

}  // namespace sketra
