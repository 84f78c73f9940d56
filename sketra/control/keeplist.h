#pragma once
// The keep-file list: keep files (recorded drawings, ".kep") and bitmap
// backgrounds (".pbm", ".pgm") that the control loop replays behind or on
// top of every view.
//
// The list lives for the whole run and is saved in the settings file: a
// count line, then one line per entry with its name in apostrophes and its
// state:
//
//      2 /NUMBER OF KEEP FILES
//   'survey.kep'  2 /
//   'ortho.pgm'  3 /
//
// Each entry is hidden (1), drawn behind the view (2, background), drawn on
// top of it (3, foreground) or marked for removal / not found (4). This
// module owns the list and its lines in the settings file; loading and
// drawing the recorded files is the replay's business.

#include <cstddef>
#include <span>
#include <string>
#include <vector>

namespace sketra {

inline constexpr int kKeepCapacity = 40;
inline constexpr int kKeepNameWidth = 128;

inline constexpr int kKeepHidden = 1;
inline constexpr int kKeepBackground = 2;
inline constexpr int kKeepForeground = 3;
inline constexpr int kKeepRemove = 4;

struct KeepEntry {
  std::string name;  // trimmed, at most kKeepNameWidth characters
  int state = kKeepBackground;
};

struct KeepList {
  std::vector<KeepEntry> entries;  // at most kKeepCapacity
  bool lnew = false;               // changed since the last load; the next replay reloads
  double xorksv = 0, yorksv = 0;   // plot origin saved at the last edit
};

// The one list of the process.
extern KeepList keeplist;

// Back to an empty list (tests, and grklst(0)).
void keeplist_reset();

// grklst(mode): 0 empties the list; -4 returns the number of entries;
// 3 and 4 replay the background and foreground layers (nothing to replay
// until recorded files can be loaded). Other modes return -1 and change
// nothing. Returns the number of entries otherwise.
int grklst(int mode);

// The list's lines of the settings file (grklst -3): the count in width 4
// followed by " /NUMBER OF KEEP FILES", then "'" + name + "'" + state in
// width 3 + " /" per entry.
std::vector<std::string> keep_list_lines();

// Reads the list from the settings file's lines, starting at `pos`, which
// is left after the lines used (grklst -2). Entries whose file does not
// exist are dropped and a state of 0 or less becomes 3; at most
// kKeepCapacity entries are kept. An unreadable line or an early end
// empties the list and returns false.
bool read_keep_list(std::span<const std::string> lines, std::size_t& pos);

}  // namespace sketra
