#include "app/mainmenu.h"

#include <cstdlib>

#include <cstdio>

#include "app/edit.h"
#include "app/export.h"
#include "app/grid.h"
#include "app/formats/keyword_parser.h"
#include "app/loader.h"
#include "app/map.h"
#include "app/mesh/mesh.h"
#include "app/store.h"
#include "sketra/base/fatal.h"
#include "sketra/base/script.h"
#include "sketra/base/textfmt.h"
#include "sketra/base/units.h"
#include "sketra/control/settings.h"
#include "sketra/kernel/device.h"
#include "sketra/kernel/plot.h"
#include "sketra/library.h"
#include "sketra/ui/dialogs.h"
#include "sketra/ui/menus.h"

namespace korvel {

namespace {

MenuCell cell(const char* caption, bool enabled) {
  MenuCell c(caption);
  c[0] = enabled ? ' ' : '-';
  return c;
}

std::string line60(std::string_view s) { return sketra::fmt_a(s, 60); }

// Input unit handed to the graphics library (it reads nothing from it).
constexpr int kInputUnit = 5;

// The File submenu, a pull-down under the File entry.
MainAction file_menu() {
  cpch.file_name.clear();
  const auto cells = file_menu_cells(cin1.np);
  const FileAction done = file_menu_action(menu_choice(cells, cplot.menu));
  return done == FileAction::exit ? MainAction::exit : MainAction::ran;
}

}  // namespace

std::array<MenuCell, 7> main_menu_cells(int np, int nsets) {
  bool any = np > 0 || nsets > 0;
  return {cell(" FFile  ", true),  cell("-EEdit  ", any),    cell("-MMap   ", np > 0), cell("-GGrid  ", np > 0),
          cell(" MMesh  ", true),  cell("-XeXport", any),    cell(" ??     ", true)};
}

std::array<MenuCell, 4> file_menu_cells(int np) {
  return {cell(" LLoad  ", true), cell(" AAdd   ", np > 0), cell(" ??     ", true), cell(" XeXit  ", true)};
}

FileAction file_menu_action(int choice) {
  switch (choice) {
    case 1:
      cpch.file_name.clear();
      load(kLoad);
      return FileAction::loaded;
    case 2:
      if (cin1.np <= 0) return FileAction::none;
      cpch.file_name.clear();
      load(kAdd);
      return FileAction::added;
    case 3: {
      auto text = file_help_text();
      sketra::grtext(text);
      return FileAction::help;
    }
    case 4:
      return FileAction::exit;
    default:
      return FileAction::none;
  }
}

std::vector<std::string> file_help_text() {
  const char* lines[] = {"FILE options are:",
                         "Load   reading data from file. Accepted formats are:",
                         "       -points in ASCII XYZ format",
                         "       -lines in ASCII XYZI format (i=0 or 1)",
                         "       .nodes from program TRIANGLE",
                         "       .shp (ESRI Shapefiles)",
                         "       .dxf (ACAD Data eXchange Format R12)",
                         "       .asc (ESRI Grid Format)",
                         "       .3ds (triangles from CADworks)",
                         "       .2dm (meshfile from ems-i)",
                         "Add    adding new data"};
  std::vector<std::string> out;
  for (const char* l : lines) out.push_back(line60(l));
  return out;
}

std::vector<std::string> help_text(int maxp) {
  const char* lines[] = {"KORVEL is a tool for processing spatial data sets",
                         "in structured and unstructured formats.",
                         "",
                         "korvel 4.01 (release 12-2020), graphics by sketra 3.0",
                         "Builds on Xlib, shapelib and CGAL (meshgen)",
                         "Documentation: README.md; every run is logged in outp",
                         "Please attach outp when you report a problem",
                         "",
                         "Main Options:",
                         "  File    loading data from disk",
                         "  Edit    editing and filtering stored data",
                         "  Map     mapping mesh nodes on DTM",
                         "  Grid    creating grids from unstructured data",
                         "  Mesh    creates quality meshes with Triangle",
                         "  eXport  exports data in various file-formats",
                         "",
                         "Limits of this version:"};
  std::vector<std::string> out;
  for (const char* l : lines) out.push_back(line60(l));
  out.push_back(line60(" -NUMBER OF POINTS" + sketra::fmt_f(double(maxp) / 1000000.0, 6, 1) + " M"));
  return out;
}

void help() {
  auto text = help_text(cin1.maxp);
  sketra::grtext(text);
}

std::vector<std::string> startup_plate() {
  return {line60(std::string(kProgramTitle) + "  " + kRelease), line60(""),
          line60("processing river and terrain surveys"),
          line60("points, breaklines, grids, meshes and their export")};
}

bool startup(std::span<char* const> files) {
  store_reset();
  cin1.maxp = kMaxPoints;
  // A scripted session runs whole or not at all: a script longer than the
  // queue would stop and wait at its 8001st answer. The script and the
  // batch flag are known before the window opens, so that a run nobody
  // watches does not pause to show it.
  if (const char* script = std::getenv("SKETRA_SCRIPT"); script && *script) {
    std::string why;
    if (!sketra::script_load_file(script, &why)) {
      std::fputs(("korvel: " + why + "; nothing was run\n").c_str(), stderr);
      return false;
    }
  }
  if (const char* batch = std::getenv("SKETRA_BATCH"); batch && std::string_view(batch) == "1")
    sketra::scriptq.batch = true;
  sketra::grinit(kInputUnit, cunit.log, kProgramTitle, false);
  if (!sketra::unit_open(cunit.log, "outp", sketra::FileStatus::unknown)) {
    std::fputs("korvel: cannot write the log file outp in this directory\n", stderr);
    return false;
  }
  sketra::set_log_unit(cunit.log);
  sketra::set_message_handler([](std::string_view text) { sketra::grmesg(text); });
  auto plate = startup_plate();
  sketra::grplate(plate);
  for (std::size_t i = 0; i < files.size(); ++i) load_named(i == 0 ? kLoad : kAdd, files[i], true);
  sketra::unit_flush(cunit.log);
  return true;
}

void shutdown() { sketra::unit_close_all(); }

void app_reset() {
  sketra::reset_library();
  store_reset();
  parser_reset();
  loader_reset();
  export_reset();
  grid_reset();
  mesh_reset();
}

int menu_choice(std::span<const MenuCell> cells, int sel) {
  std::vector<std::string> captions;
  captions.reserve(cells.size());
  for (const auto& c : cells) captions.emplace_back(c.view());
  float x = 0, y = 0;
  // The main bar's picture follows the window's size: the plate in the
  // middle, the message line at the bottom.
  sketra::MenuHooks hooks;
  if (sel < 0)
    hooks.on_window_change = [] {
      sketra::grcler(0);
      auto plate = startup_plate();
      sketra::grplate(plate);
      sketra::grmesg_repaint();
    };
  sketra::grcurs(captions, sel, x, y, &hooks);
  return sel;
}

MainAction main_menu_action(int choice) {
  switch (choice) {
    case 1: return file_menu();
    case 2: edit(); break;
    case 3: {
      int set = -1;
      map(set);
      break;
    }
    case 4: grid(); break;
    case 5: mesh(); break;
    case 6: fsave(); break;
    case 7: help(); break;
    default: return MainAction::none;
  }
  return MainAction::ran;
}

MainAction main_menu_pass() {
  const auto cells = main_menu_cells(cin1.np, cplot.nsets);
  for (std::size_t i = 0; i < cells.size(); ++i) cpch.menu[i] = cells[i];
  int choice = 0;
  while (choice <= 0) {
    cplot.menu = -1;
    choice = menu_choice(cells, cplot.menu);
  }
  cplot.menu = choice;
  const MainAction done = main_menu_action(choice);
  sketra::unit_flush(cunit.log);
  return done;
}

int run(std::span<char* const> files) {
  if (!startup(files)) return 1;
  try {
    while (main_menu_pass() != MainAction::exit) {
    }
  } catch (const sketra::WindowGone&) {
    // The window closed by the window manager or the display lost: the
    // settings are kept as a display mode's eXit keeps them.
    sketra::grwset();
    shutdown();
    throw;
  } catch (const sketra::FatalError&) {
    shutdown();  // the log keeps what happened up to here
    throw;
  }
  shutdown();
  return 0;
}

}  // namespace korvel
