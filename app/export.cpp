#include "app/export.h"

#include <algorithm>
#include <filesystem>
#include <span>
#include <string_view>

#include "app/formats/grid_files.h"
#include "app/formats/triangle_files.h"
#include "app/formats/unstruct.h"
#include "app/formats/xyz.h"
#include "app/progress_bar.h"
#include "app/store.h"
#include "sketra/base/script.h"
#include "sketra/base/textfmt.h"
#include "sketra/base/units.h"
#include "sketra/kernel/plot.h"
#include "sketra/ui/dialogs.h"

namespace korvel {

ExportSettings export_settings;

namespace {

// Shows why a write failed; true when it did not.
bool shown(const FileResult& r) {
  if (!r.ok) sketra::grmesg(r.message);
  return r.ok;
}

Origin store_origin() { return {cin1.xorig, cin1.yorig}; }

bool same_file(const std::string& a, const std::string& b) {
  std::error_code ec;
  return a == b || std::filesystem::equivalent(a, b, ec);
}

// The node file of the store's points. A point's boundary marker is 1 when
// the two lowest bits of its code are 0.
bool write_node(TextOut& out) {
  auto marker = [](std::size_t k) { return (cin.code[k] & 3) == 0 ? 1 : 0; };
  ProgressBar bar;
  return shown(write_node_file(out, cin.x, cin.y, cin.z, marker, store_origin(), bar));
}

// The poly file beside the node file, with the holes of the hole file of
// the same base name when there is one.
bool write_poly(const std::string& node_file) {
  const std::string name = poly_name(node_file);
  if (same_file(name, node_file)) {
    sketra::grmesg("write failed: " + name + " (it is the node file)");
    return false;
  }
  if (!sketra::unit_open(cunit.data, name, sketra::FileStatus::unknown)) {
    sketra::grmesg("Cannot write file: " + name);
    return false;
  }
  TextOut out(cunit.data, name);
  const std::string holes = hole_name(node_file);
  HoleLines h;
  std::error_code ec;
  if (std::filesystem::is_regular_file(holes, ec) && !same_file(holes, node_file)) {
    h = read_hole_lines(holes);
    if (!h.counted) sketra::grmesg("no hole count in " + holes);
  }
  ProgressBar bar;
  return shown(write_poly_file(out, cin.seg, h.lines, bar));
}

// Set 1's values when its column holds nx*ny of them; otherwise the message
// line says so and the span is empty.
std::span<const float> set1_values(bool& usable) {
  const GridGeometry& g = cin1.set(1);
  const std::size_t n = std::size_t(std::max(g.nx, 0)) * std::size_t(std::max(g.ny, 0));
  usable = cplot.nsets >= 1 && cin.value[0].size() >= n;
  if (!usable) {
    sketra::grmesg("grid set 1 is incomplete");
    return {};
  }
  return std::span<const float>(cin.value[0].data(), n);
}

bool write_grid(TextOut& out) {
  bool usable = false;
  std::span<const float> v = set1_values(usable);
  if (!usable) {
    out.abandon();
    return false;
  }
  ProgressBar bar;
  return shown(write_keyword_grid(out, cin1.set(1), store_origin(), cpch.set_name[0].trimmed(), v, bar));
}

bool write_xyz(TextOut& out, float tol) {
  bool usable = false;
  std::span<const float> v = set1_values(usable);
  if (!usable) {
    out.abandon();
    return false;
  }
  ProgressBar bar;
  std::int64_t written = 0;
  if (!shown(write_grid_xyz(out, cin1.set(1), store_origin(), cpch.set_name[0].trimmed(), v, tol, written, bar)))
    return false;
  sketra::grmesg("stored" + sketra::fmt_i(written / 1000, 8) + "k points");
  return true;
}

MenuCell cell(const char* caption, bool enabled) {
  MenuCell c(caption);
  c[0] = enabled ? ' ' : '-';
  return c;
}

// The one place where the eXport menu is shown: a pull-down column under
// entry 6 (eXport) of the main menu bar; returns the entry chosen, 0 for
// none.
int choose(std::span<const MenuCell> cells) { return menu_choice(cells, 6); }

}  // namespace

void export_reset() { export_settings = ExportSettings{}; }

std::array<MenuCell, 6> export_menu_cells(int np, int nsets) {
  return {cell(" NNode/Poly", np > 0), cell(" UUnstruct", np > 0), cell(" GGrid", nsets > 0),
          cell(" XXyz", nsets > 0),    cell(" OOmit", true),       cell(" ??", true)};
}

std::vector<std::string> export_help_text() {
  const char* lines[] = {"Node/Poly  stores PSLG (Planar Straight Line Graph) for program TRIANGLE",
                         "Unstruct stores unstructured points/lines in xyz format",
                         "Grid     stores grid values in structured format",
                         "Xyz      stores grid values in xyz-format",
                         "Omit     to define a minimum z-value for storing",
                         "         (default=0.001)"};
  std::vector<std::string> out;
  for (const char* l : lines) out.push_back(sketra::fmt_a(l, 80));
  return out;
}

bool export_write(ExportFormat format, const std::string& name) {
  TextOut out(cunit.data, name);
  switch (format) {
    case ExportFormat::node_poly:
      if (!write_node(out)) return false;
      return cin1.nseg < 1 || write_poly(name);
    case ExportFormat::unstruct: {
      ProgressBar bar;
      return shown(write_unstruct(out, cin.x, cin.y, cin.z, cin.code, cin.seg, store_origin(), bar));
    }
    case ExportFormat::grid:
      return write_grid(out);
    case ExportFormat::xyz:
      return write_xyz(out, export_settings.tol);
  }
  return shown(out.finish());
}

bool export_to(ExportFormat format, const std::string& name) {
  if (!sketra::unit_open(cunit.data, name, sketra::FileStatus::unknown)) {
    sketra::grmesg("Cannot write file: " + name);
    return false;
  }
  return export_write(format, name);
}

ExportAction export_action(int choice) {
  const auto cells = export_menu_cells(cin1.np, cplot.nsets);
  if (choice < 1 || choice > 6 || cells[std::size_t(choice - 1)][0] == '-') return ExportAction::none;
  if (choice == 5) {
    sketra::grinpf("Omit values < ", export_settings.tol);
    return ExportAction::omit;
  }
  if (choice == 6) {
    const auto text = export_help_text();
    sketra::grtext(text);
    sketra::grmesg("");  // the page is gone; the picture under it stays
    return ExportAction::help;
  }
  cpch.file_name.clear();
  if (choice == 1) cpch.file_name.set("pre.node");
  std::string name(cpch.file_name.trimmed());
  if (!sketra::grfil(name, cunit.data)) {
    cpch.file_name.clear();
    return ExportAction::none;
  }
  cpch.file_name.set(name);
  return export_write(ExportFormat(choice), name) ? ExportAction::written : ExportAction::failed;
}

void fsave() {
  const auto cells = export_menu_cells(cin1.np, cplot.nsets);
  export_action(choose(cells));
}

}  // namespace korvel
