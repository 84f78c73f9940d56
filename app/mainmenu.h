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

#include "sketra/blocks.h"

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

// Start-up in order: capacity, the log "outp", the dialogs' log unit, the
// plate, the entries of the file named by SKETRA_SCRIPT queued as script
// answers, then every command-line file loaded (the first with Load, the
// others with Add). Returns false when the log cannot be opened.
bool startup(std::span<char* const> files);

// Closes the log and every unit.
void shutdown();

}  // namespace korvel
