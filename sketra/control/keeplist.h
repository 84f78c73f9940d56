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

#include "sketra/devices/devices.h"

namespace sketra {

struct KeepList {
  std::vector<KeepEntry> entries;  // at most kKeepCapacity
  bool lnew = false;               // changed since the last load; the next replay reloads
  double xorksv = 0, yorksv = 0;   // plot origin saved at the last edit
};

// The one list of the process.
extern KeepList keeplist;

// Back to an empty list (tests, and grklst(0)).
void keeplist_reset();

// grklst(mode): 0 empties the list; 1 adds a file chosen with the file
// dialog (suffixes ".kep", ".pbm", ".pgm"; a name already listed shows
// "File already on list: " and is not added); 2 edits the list in one form
// (hide, background, foreground, remove); 3 and 4 replay the background and
// foreground layers, loading the files again first when the list changed;
// -4 returns the number of entries. Other modes return -1 and change
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
