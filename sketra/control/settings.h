#pragma once
// Library start-up and the settings file.
//
// grinit brings the library into a known state: on the first call of the
// run the defaults of the plot state, the palette, the date stamp and the
// settings the user left behind in ".grset" of the working directory; on
// every call the units, the program name, the window size and the window.
// grwset writes ".grset" again whenever a display mode is left, so window,
// scales, switches, titles, keep files and named views survive from one
// run to the next.
//
//   sketra::grinit(5, 4, "Korvel_4.01", false);   // opens the window
//   ...                                           // a display mode runs
//   sketra::grwset();                             // done by the control loop
//
// The settings file is plain text, one item per line, values first and a
// label after them:
//
//   /GRAPHIC ATTRIBUTES
//    1 /CALC SCALES
//    ...
//     24 /NUMBER OF X-AXIS INTERVALS
//     ...
//          2600000.00 /XMIN                    (absolute co-ordinates)
//    ...
//   'Title' /
//    ...
//      0 /NUMBER OF KEEP FILES
//     1 /NUMBER OF VIEWS
//   'bridge'  24  18 2600100.000 2600350.000 1200020.000 1200200.000
//   0 /not used                                (ten times)
//
// Reading stops silently at the first line that cannot be read; what was
// not read keeps its default. Values out of range are corrected after
// reading (see read_settings).

#include <filesystem>
#include <string>
#include <string_view>
#include <vector>

namespace sketra {

inline constexpr const char* kSettingsFile = ".grset";

// Limits that keep a settings file from asking for a window no display can
// hold: interval counts above this are held to it, scaling factors above
// kMaxScaling become 1.0.
inline constexpr int kMaxIntervals = 200;
inline constexpr float kMaxScaling = 10.0f;
// Symbol factors are held to 0.1 ... kMaxSymbolFactor: a larger one draws
// symbols beyond any screen and no longer fits its field of the file.
inline constexpr float kMaxSymbolFactor = 100.0f;

// grinit(input unit, output unit, program name, small window).
// First call of the run: palette, DATEGR, plot-state defaults, the settings
// file (when it exists) with its checks, device factors, and a window of at
// least 1 x 1 world units. Every call: output mode 0, IN08GR and IN15GR 0,
// JINGR / JOUTGR, the program name (window title, cut at a NUL character
// and to 20 characters) and the icon name WNABGR; the small window (310 x
// 125, 4 x 3 intervals) or the normal one with the interval counts from
// before the small one; unless `jout` is 6 the window is opened (screen
// mode 2) and cleared; the message line is cleared. The first call also
// empties the message log.
void grinit(int jin, int jout, std::string_view program_name, bool small_window);

// Makes the next grinit a first call again (tests).
void grinit_forget();

// True once grinit has run in this process (since the last grinit_forget).
bool grinit_done();

// Writes the settings file ".grset" in the working directory, replacing it
// (the new file is written beside it and renamed over it, so a failed write
// leaves the old file). Returns false when it could not be written.
bool grwset();

// The lines grwset writes, in order (without line ends).
std::vector<std::string> settings_lines();

// Reads a settings file into the plot state and applies the checks after
// reading. A missing file changes nothing. Returns the number of lines
// used (0 when the file is missing or empty).
int read_settings(const std::filesystem::path& path);

}  // namespace sketra
