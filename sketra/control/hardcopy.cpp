// The Hardcopy and Keep sub-menus of the display-mode loop, and screen
// shots.
//
// A vector hard copy (DXF, shapefile, ArcPolygon text) or a keep file is
// the mode's view drawn once more with a file output mode open: the file
// device's opener asks for the name; when a file was opened the view is
// drawn into it (view code 1) and the mode closed again.
//
// A screen shot is taken by the external capture program `import`, run
// with an argument vector (never through a shell) at the end of the next
// redraw, when the picture is complete and no menu covers it. Its file is
// "gr" + the first free four-digit number + "." + the format's suffix.

#include <spawn.h>
#include <sys/wait.h>

#include <cctype>
#include <cerrno>
#include <cstdio>
#include <filesystem>

#include "sketra/base/textfmt.h"
#include "sketra/control/control.h"
#include "sketra/control/control_internal.h"
#include "sketra/control/keeplist.h"
#include "sketra/control/state.h"
#include "sketra/kernel/device.h"
#include "sketra/kernel/plot.h"
#include "sketra/ui/dialogs.h"

extern char** environ;

namespace sketra {

CommandRunner command_runner;

namespace {

// Runs argv[0] found on the PATH and waits for it.
int spawn_and_wait(const std::vector<std::string>& argv) {
  if (argv.empty()) return -1;
  std::vector<char*> args;
  for (const std::string& a : argv) args.push_back(const_cast<char*>(a.c_str()));
  args.push_back(nullptr);
  pid_t pid = 0;
  if (posix_spawnp(&pid, args[0], nullptr, nullptr, args.data(), environ) != 0) return -1;
  int status = 0;
  while (waitpid(pid, &status, 0) < 0) {
    if (errno != EINTR) return -1;
  }
  return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

std::string window_title() {
  const std::string& p = grcomt.progname;
  return std::string(trim_right(std::string_view(p).substr(0, p.find('\0'))));
}

// Draws the view into a file of output mode `mode`.
void draw_into_file(int mode, std::string_view what) {
  if (!has_file_device_opener(mode)) {
    grmesg(std::string(what) + " files are not available in this version");
    return;
  }
  if (grmode(mode) == kModeNone) return;
  detail::call_view(kViewDraw);
  grmode(kModeNone);
}

// BMP ... TIFF: the suffix is the first three letters of the label.
void prepare_screen_shot(std::string_view label) {
  std::string suffix(label.substr(0, 3));
  for (char& ch : suffix) ch = char(std::tolower(static_cast<unsigned char>(ch)));
  const std::string file = screen_shot_name(suffix);
  if (file.empty()) {
    grmesg("No free screen shot name");
    return;
  }
  ctrl.pending_shot = screen_shot_command(window_title(), file, ctrl.shot, grcomn.wndwgr[2], grcomn.wndwgr[3]);
  ctrl.pending_shot_file = file;
  detail::redraw();
}

void shot_attributes() {
  std::string prompts[] = {"with frame", "crop", "with date"};
  std::string values[] = {toggle_value(ctrl.shot.frame), toggle_value(ctrl.shot.crop),
                          toggle_value(ctrl.shot.date)};
  if (!grinfo(prompts, values)) return;
  ctrl.shot.frame = toggle_on(values[0]);
  ctrl.shot.crop = toggle_on(values[1]);
  ctrl.shot.date = toggle_on(values[2]);
}

}  // namespace

void set_command_runner(CommandRunner r) { command_runner = std::move(r); }

int run_command(const std::vector<std::string>& argv) {
  return command_runner ? command_runner(argv) : spawn_and_wait(argv);
}

std::string screen_shot_name(std::string_view suffix) {
  for (int k = 0; k <= 9999; ++k) {
    char digits[8];
    std::snprintf(digits, sizeof digits, "%04d", k);
    std::string name = "gr" + std::string(digits) + "." + std::string(suffix);
    std::error_code ec;
    if (!std::filesystem::exists(name, ec) && !ec) return name;
  }
  return {};
}

std::vector<std::string> screen_shot_command(std::string_view title, const std::string& file,
                                             const ScreenShotOptions& opt, int width, int height) {
  std::vector<std::string> argv = {"import", "-window", std::string(title)};
  if (opt.frame) argv.emplace_back("-frame");
  if (opt.crop) {
    char geometry[40];
    std::snprintf(geometry, sizeof geometry, "%04dX%04d+0+0", std::clamp(width - 100, 1, 9999),
                  std::clamp(height, 1, 9999));
    argv.emplace_back("-crop");
    argv.emplace_back(geometry);
    // Without it the picture keeps the whole window as its canvas, and a
    // GIF, for one, is then shown at the window's width after all.
    argv.emplace_back("+repage");
  }
  argv.push_back(file);
  return argv;
}

namespace detail {

void take_pending_shot() {
  if (ctrl.pending_shot.empty()) return;
  const std::vector<std::string> argv = std::move(ctrl.pending_shot);
  const std::string file = std::move(ctrl.pending_shot_file);
  ctrl.pending_shot.clear();
  ctrl.pending_shot_file.clear();
  grflip();
  if (run_command(argv) == 0)
    grmesg("screen shot to " + file);
  else
    grmesg("screen shot failed: " + file);
}

void hardcopy_menu() {
  static const std::vector<std::string> help = {
      "Stores display content in vector formats (Shape,", "DXF, ArcPolygon) or screen shots (TIFF, GIF etc).",
      "Makes use of the import function (ImageMagick) to",
      "capture screen input. Attributes (color, frames) can", "be specified"};
  const std::vector<std::string> cells =
      cells16({" DDXF", " SShape", " AArcPolygon", " BBMP", " GGIF", " JJPG", " PPNG", " MPNM", " TTIFF",
               " AAttributes", " ??", " XeXit"});
  for (;;) {
    float x = 0, y = 0;
    const int sel = submenu(cells, x, y);
    switch (sel) {
      case 1: draw_into_file(kModeDxf, "DXF"); break;
      case 2: draw_into_file(kModeShape, "Shape"); break;
      case 3: draw_into_file(kModeArcPolygon, "ArcPolygon"); break;
      case 4: case 5: case 6: case 7: case 8: case 9:
        prepare_screen_shot(trim_right(std::string_view(cells[size_t(sel - 1)]).substr(2)));
        break;
      case 10: shot_attributes(); break;
      case 11: grtext(help); break;
      case 12:
        grflip();
        grpause(5);
        return;
      default: break;
    }
  }
}

bool keep_menu() {
  static const std::vector<std::string> help = {
      "KEEP options:", "  Save    saves the current image into a file",
      "  Recall  recalls previously stored keep files", "          and bitmaps (.pgm format) with world",
      "          files (.wld)", "  Play    plays previously recalled keep files", "  and bitmaps"};
  for (;;) {
    const std::vector<std::string> cells =
        cells16({" SSave", " RRecall", keeplist.entries.empty() ? "-PPlay" : " PPlay", " ??", " DDone"});
    float x = 0, y = 0;
    switch (submenu(cells, x, y)) {
      case 1: draw_into_file(kModeRecord, "Keep"); break;
      case 2: {
        // Recall: add a file, then show the list to set each entry's layer.
        grklst(1);
        grklst(2);
        if (keeplist.lnew) detail::redraw();
        break;
      }
      case 3: return true;
      case 4: grtext(help); break;
      case 5: return false;
      default: break;
    }
  }
}

}  // namespace detail

}  // namespace sketra
