#pragma once
// The eXport menu: writes the point store and grid set 1 to text files.
//
//   Node/Poly  points as a TRIANGLE .node file, edges as the .poly file
//              beside it (with the holes of a .hole file of the same base name)
//   Unstruct   points and lines in korvel's own ">>unstruct" format
//   Grid       grid set 1 in korvel's own ">>grid" format
//   Xyz        grid set 1 as an XYZ list, dry nodes omitted below `tol`
//   Omit       sets `tol` ("Omit values < ")
//
// `fsave` is the menu action of the main menu. Its logic lives in functions
// that tests call directly: `export_menu_cells` (what is enabled) and
// `export_action` (what a choice does). The writers live with their
// formats in app/formats (triangle_files.h, unstruct.h, grid_files.h,
// xyz.h); the menu hands them the store's columns and the origin and a file
// that is already open on unit `cunit.data` (the output-file dialog `grfil`
// opens it). A write that fails (a full disk) is never reported as success:
// the message line says "write failed: " with the file name and the reason,
// and the incomplete file is removed.

#include <array>
#include <cstdint>
#include <string>
#include <vector>

#include "app/mainmenu.h"

namespace korvel {

// Settings of the eXport menu, kept for the life of the process.
struct ExportSettings {
  float tol = -9999.0f;  // XYZ export: nodes below it are omitted (except the rim)
};
extern ExportSettings export_settings;

// Back to the start-up settings.
void export_reset();

// The four file formats, numbered as their menu entries.
enum class ExportFormat { node_poly = 1, unstruct = 2, grid = 3, xyz = 4 };

// What a menu choice did.
enum class ExportAction { none, written, failed, omit, help };

// The six cells of the eXport menu: Node/Poly and Unstruct are enabled when
// the store holds points, Grid and Xyz when a grid set is stored, Omit and
// ?? always.
std::array<MenuCell, 6> export_menu_cells(int np, int nsets);

// The help text: six lines of 80 characters.
std::vector<std::string> export_help_text();

// Runs entry `choice` (1..6; anything else, or a disabled entry, does
// nothing). Entries 1-4 ask for the output file with `grfil` (entry 1 with
// the preset "pre.node") and write it; a blank name writes nothing.
ExportAction export_action(int choice);

// The eXport menu action: shows the menu and runs the choice.
void fsave();

// Writes `format` to the file `name`, which is open on unit cunit.data, and
// closes it. True when the whole file reached the disk.
bool export_write(ExportFormat format, const std::string& name);

// Opens `name` on unit cunit.data (replacing the file) and writes `format`
// without asking anything: for scripts, tests and benchmarks.
bool export_to(ExportFormat format, const std::string& name);

}  // namespace korvel
