// The Mesh menu: its cells, its entries and the Mesh / Remesh form.

#include <cmath>
#include <filesystem>

#include "app/mesh/mesh.h"
#include "app/mesh/mesh_internal.h"
#include "sketra/base/textfmt.h"
#include "sketra/kernel/plot.h"
#include "sketra/ui/dialogs.h"
#include "sketra/ui/menus.h"

namespace korvel {

namespace {

std::string cell(std::string_view caption, bool enabled) {
  std::string c = sketra::fmt_a(caption, 32);
  c[0] = enabled ? ' ' : '-';
  return c;
}

bool enabled(const std::vector<std::string>& cells, int choice) {
  return choice >= 1 && choice <= int(cells.size()) && cells[std::size_t(choice - 1)][0] != '-';
}

// The area as the generator's switch takes it: digits with at most one
// decimal point. The text as typed when it is such a number, else the value
// written in that form.
std::string area_digits(std::string_view typed, double area) {
  const std::string_view t = sketra::trim(typed);
  int dots = 0;
  bool plain = !t.empty();
  for (char ch : t) {
    if (ch == '.') ++dots;
    else if (ch < '0' || ch > '9') plain = false;
  }
  if (plain && dots <= 1) return std::string(t);
  std::string s = sketra::fmt_f(area, 30, 6);
  s.erase(0, s.find_first_not_of(' '));
  while (s.back() == '0') s.pop_back();
  if (s.back() == '.') s.pop_back();
  return s;
}

}  // namespace

std::vector<std::string> mesh_menu_cells() {
  const MeshStore& m = mod_mesh;
  return {cell(" OOpen", true),
          m.nele > 0 ? cell(" RRemesh", true) : cell("-MMesh", m.node > 0),
          cell("-RRefine", m.nele > 0),
          cell("-SShow", m.nele > 0),
          cell("-IInfo", m.node > 0),
          cell(" ??", true)};
}

std::vector<std::string> mesh_help_text() {
  return {sketra::fmt_a("Open    load data (node/poly file)", 64),
          sketra::fmt_a("Mesh    do quality meshing with Triangle", 64),
          sketra::fmt_a("Refne   refine mesh with file wave.xyz", 64),
          sketra::fmt_a("Show    show quality mesh (refined)", 64),
          sketra::fmt_a("Info    displays some information of the mesh", 64)};
}

void mesh_action(int choice) {
  if (!enabled(mesh_menu_cells(), choice)) return;
  switch (choice) {
    case 1:
      if (mesh_read()) {
        mesh_settings.line.clear();
        mod_mesh.i_mesh = 0;
      }
      break;
    case 2: mesh_remesh(); break;
    case 3: mesh_refine(); break;
    case 4: mesh_show(); break;
    case 5: mesh_info(); break;
    case 6: {
      const auto text = mesh_help_text();
      sketra::grtext(text);
      sketra::grmesg("");  // the page is gone; the picture under it stays
      break;
    }
    default: break;
  }
}

void mesh_remesh() {
  MeshStore& m = mod_mesh;
  MeshSettings& s = mesh_settings;
  std::error_code ec;
  const bool lex = std::filesystem::is_regular_file(m.mesh_name + ".area", ec);
  std::vector<std::string> prompts = {"Convex Hull", "Quality"};
  std::vector<std::string> values = {sketra::toggle_value(m.nsegm == 0), sketra::toggle_value(s.lqual == 1)};
  if (lex) {
    prompts.emplace_back("Load area file");
    values.push_back(sketra::toggle_value(true));
  } else {
    prompts.emplace_back("Area limit");
    values.push_back(sketra::toggle_value(s.larea == 1));
    prompts.emplace_back("Area[m2]");
    values.push_back(sketra::fmt_f(s.armax, 8, 2));
  }
  double area = s.armax;
  for (;;) {
    if (!sketra::grinfo(prompts, values)) return;
    if (lex || !sketra::toggle_on(values[2])) break;
    if (read_number(values[3], area) && area > 0 && area < 1.0e12) break;
    sketra::grmesg("Area[m2] not read: " + std::string(sketra::trim(values[3])));
  }

  std::string option = "-pQ";
  if (m.nele > 0) option += 'r';
  if (sketra::toggle_on(values[0])) option += 'c';
  s.lqual = sketra::toggle_on(values[1]) ? 1 : 0;
  if (s.lqual == 1) option += 'q';
  const bool limit = sketra::toggle_on(values[2]);
  if (!lex) s.larea = limit ? 1 : 0;
  if (limit) {
    option += 'a';
    if (!lex) {
      option += area_digits(values[3], area);
      s.armax = float(area);
    }
  }
  mesh_generate(option);
}

void mesh() {
  const auto cells = mesh_menu_cells();
  int sel = 5;
  float x = 0, y = 0;
  sketra::grcurs(cells, sel, x, y);
  mesh_action(sel);
}

}  // namespace korvel
