#include "app/edit.h"

#include <cmath>
#include <string>

#include "app/store.h"
#include "sketra/base/textfmt.h"
#include "sketra/control/control.h"
#include "sketra/modes/editor/editor_viewer.h"
#include "sketra/modes/grid/grid_viewer.h"
#include "sketra/ui/dialogs.h"
#include "sketra/ui/menus.h"

namespace korvel {

namespace {

constexpr int kChoice = 7;  // cplot menu word while a grid set is edited

// The viewer's titles from the text block: title, value label, axis units.
sketra::PlotTitles titles_from_cpch() {
  return {cpch.label1.str(), cpch.value_label.str(), cpch.x_label.str(), cpch.y_label.str()};
}

void titles_to_cpch(const sketra::PlotTitles& t) {
  cpch.label1.set(t.title);
  cpch.value_label.set(t.subtitle);
  cpch.x_label.set(t.xlabel);
  cpch.y_label.set(t.ylabel);
}

// Copies the work column into a new set; false when there is no room or
// no name was given.
bool save_as(int k, const std::vector<float>& work) {
  if (cplot.nsets >= kMaxSets) {
    sketra::grmesg("no room for another set");
    return false;
  }
  std::string name;
  sketra::grinpa("Set name", name);
  name = std::string(sketra::trim_right(name.substr(0, std::min<size_t>(name.size(), 32))));
  if (name.empty()) return false;
  const int m = ++cplot.nsets;
  cpch.set_name[size_t(m - 1)].set(name);
  cin1.set(m) = cin1.set(k);
  cin.value[size_t(m - 1)] = work;
  return true;
}

// The save menu until one of its entries is chosen.
EditResult offer_save(int k, const std::vector<float>& work) {
  const auto cells = edit_save_cells();
  for (;;) {
    switch (menu_choice(cells, sketra::kMenuColumn)) {
      case 1: cin.value[size_t(k - 1)] = work; return EditResult::saved;
      case 2:
        if (save_as(k, work)) return EditResult::saved_as;
        break;
      case 3: sketra::grmesg(">changes ignored"); return EditResult::ignored;
      default: break;
    }
  }
}

}  // namespace

std::vector<std::int32_t> compact_store() {
  // Edges to removed points go first, ends at merged points move to the
  // point they were merged into.
  sketra::grclne(cin.code, cin.seg);
  const std::int32_t np = cin1.np;
  std::vector<std::int32_t> map(std::size_t(np) + 1, 0);
  std::int32_t kept = 0;
  for (std::int32_t i = 1; i <= np; ++i) {
    const auto k = std::size_t(i - 1);
    if (cin.code[k] < 1) continue;
    map[std::size_t(i)] = ++kept;
    const auto to = std::size_t(kept - 1);
    cin.x[to] = cin.x[k], cin.y[to] = cin.y[k], cin.z[to] = cin.z[k], cin.code[to] = cin.code[k];
  }
  store_set_np(kept);
  for (Edge& e : cin.seg) e = Edge{map[std::size_t(e.a)], map[std::size_t(e.b)]};
  cin1.nseg = std::int32_t(cin.seg.size());
  return map;
}

void edit_unstructured() {
  for (std::int32_t& c : cin.code) c = (c / 100) * 100 + 1;
  sketra::EditData d{cin.x, cin.y, cin.z, cin.code, cin.seg, cin1.maxp, kMaxEdges};
  sketra::PlotTitles titles = titles_from_cpch();
  sketra::gredit(d, titles, &cplot);
  titles_to_cpch(titles);
  cin1.np = d.np();
  cin1.nseg = d.nseg();
  compact_store();
}

std::vector<MenuCell> edit_choice_items() {
  std::vector<MenuCell> items;
  items.emplace_back(cin1.np > 0 ? " UUnstructured" : "-UUnstructured");
  for (int k = 1; k <= cplot.nsets; ++k) {
    const GridGeometry& g = cin1.set(k);
    const std::string name(cpch.set_name[size_t(k - 1)].view().substr(0, 7));
    items.emplace_back("  " + name + sketra::fmt_i(g.nx, 3) + "/" + sketra::fmt_i(g.ny, 3));
  }
  return items;
}

std::array<MenuCell, 3> edit_save_cells() {
  return {MenuCell(" SSave  "), MenuCell(" SSave as"), MenuCell(" IIgnore")};
}

bool values_differ(const std::vector<float>& work, const std::vector<float>& set) {
  if (work.size() != set.size()) return true;
  for (std::size_t n = 0; n < work.size(); ++n)
    if (!(std::fabs(double(work[n]) - double(set[n])) <= 1e-10)) {
      if (std::isnan(work[n]) && std::isnan(set[n])) continue;
      return true;
    }
  return false;
}

EditResult edit_grid_set(int k) {
  if (k < 1 || k > cplot.nsets) return EditResult::none;
  const GridGeometry& g = cin1.set(k);
  const std::vector<float>& set = cin.value[size_t(k - 1)];
  const std::size_t n = std::size_t(std::max(g.nx, 0)) * std::size_t(std::max(g.ny, 0));
  if (g.nx < 2 || g.ny < 2 || set.size() < n) {
    sketra::grmesg("grid set too small to show");
    return EditResult::none;
  }
  store_grid_nodes(k);
  cplot.menu = kChoice;
  std::vector<float> work(set.begin(), set.begin() + std::ptrdiff_t(n));
  std::vector<float> levels;
  int word = sketra::kContourFill + sketra::kContourClasses;
  sketra::PlotTitles titles = titles_from_cpch();
  sketra::grcont(cin.gx, cin.gy, work, g.nx, g.nx, g.ny, titles, levels, 0, word, cplot.nodata);
  titles_to_cpch(titles);
  if (!values_differ(work, std::vector<float>(set.begin(), set.begin() + std::ptrdiff_t(n))))
    return EditResult::unchanged;
  return offer_save(k, work);
}

EditResult edit() {
  const std::vector<MenuCell> items = edit_choice_items();
  std::vector<std::string> captions;
  for (const MenuCell& c : items) captions.emplace_back(c.view().substr(1));  // hot key and label
  const int choice = sketra::grchoice(captions);
  if (choice < 1 || choice > int(items.size())) return EditResult::none;
  const MenuCell& item = items[size_t(choice - 1)];
  if (item[0] == '-') return EditResult::none;
  cpch.value_label.set(item.view());
  cpch.x_label.set("[m]");
  cpch.y_label.set("[m]");
  if (choice == 1) {
    edit_unstructured();
    return EditResult::unstructured;
  }
  return edit_grid_set(choice - 1);
}

}  // namespace korvel
