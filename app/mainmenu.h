#pragma once
// The main program's logic: start-up, the main menu bar and the File
// submenu as functions of the store's counts, the help texts.
//
// Menu cells are 32 characters: an 8-character caption (state flag, hot key,
// label) followed by 24 blanks. A "-" state flag disables the entry; a blank
// enables it.

#include <array>
#include <span>
#include <string>
#include <vector>

#include "sketra/control/blocks.h"

namespace korvel {

inline constexpr const char* kProgramTitle = "Korvel_4.01";
inline constexpr const char* kRelease = "12-2020";

using MenuCell = sketra::Text<32>;

// The seven cells of the main menu bar: File, Edit, Map, Grid, Mesh, eXport,
// ??. Edit and eXport are enabled when np > 0 or nsets > 0, Map and Grid
// when np > 0; the others always.
std::array<MenuCell, 7> main_menu_cells(int np, int nsets);

// The four cells of the File submenu: Load, Add (enabled when np > 0), ??,
// eXit.
std::array<MenuCell, 4> file_menu_cells(int np);

// What a File submenu choice did.
enum class FileAction { none, loaded, added, help, exit };

// Runs File submenu entry `choice` (1..4; anything else does nothing). Load
// and Add ask for the file through the file dialog; a disabled Add does
// nothing.
FileAction file_menu_action(int choice);

// The File help text: eleven lines of 60 characters.
std::vector<std::string> file_help_text();

// The help screen: eighteen lines of 60 characters; the last shows the
// point capacity in millions (" -NUMBER OF POINTS  19.6 M").
std::vector<std::string> help_text(int maxp);

// Shows the help screen in a text page.
void help();

// The start-up plate: title and release, then what korvel is.
std::vector<std::string> startup_plate();

// Start-up in order: capacity, the graphics library and its window
// (grinit with the title "Korvel_4.01"; without a display it throws
// sketra::FatalError before any file is touched), the log "outp" and the
// dialogs' log unit, the plate, the entries of the file named by
// SKETRA_SCRIPT queued as script answers, then every command-line file
// loaded (the first with Load, the others with Add). Returns false, with
// the reason on standard error, when the log cannot be opened or the script
// cannot be run whole (unreadable, or more answers than the queue holds).
bool startup(std::span<char* const> files);

// Closes the log and every unit.
void shutdown();

// The application's state, beside the five blocks of store.h (cin, cin1,
// cplot, cpch, cunit):
//   reader, tables, published_origin  loader.h          reader settings kept
//                                                       from file to file,
//                                                       value tables, origin
//   last_mesh_points                  loader.h          where the last node
//                                                       file or 2DM mesh went
//   parser                            loader.h          include nesting,
//                                                       call and error counts
//   export_settings                   export.h          the XYZ export's
//                                                       tolerance
//   grid_settings                     grid.h            the radius and mode of
//                                                       the inverse-distance form
//   mod_mesh, mesh_settings           mesh/mesh.h       the mesh and the
//                                                       Mesh menu's settings
// The shapefile reader points shapelib's error hook at the log unit only
// while it reads (formats/shapefile.cpp).
// app_reset() brings all of it and the whole library (sketra/library.h) back
// to the state of a fresh start before start-up, without a window: every
// unit closed, nothing queued. The installed display driver stays. Tests and
// benchmarks start from here.
void app_reset();

// Shows `cells` with grcurs in layout `sel` (see sketra/menus.h: -1 a bar,
// k a pull-down under entry k of the bar) and returns the answer.
int menu_choice(std::span<const MenuCell> cells, int sel);

// What a pass of the main menu did.
enum class MainAction { none, ran, exit };

// Runs main-menu entry `choice` (1..7): the File submenu, Edit, Map, Grid,
// Mesh, eXport or the help screen. Returns exit when File eXit was chosen.
MainAction main_menu_action(int choice);

// One pass of the main menu: the bar rebuilt from the store's counts, shown
// until an entry is chosen, and that entry run.
MainAction main_menu_pass();

// The whole program after its arguments: start-up, the main menu until
// File eXit, shutdown. Returns the exit status.
int run(std::span<char* const> files);

}  // namespace korvel
