#include "app/table_viewer.h"

#include <algorithm>
#include <string>
#include <vector>

#include "app/loader.h"
#include "app/store.h"
#include "sketra/kernel/plot.h"
#include "sketra/modes/section/section_viewer.h"

namespace korvel {

void view_tables() {
  if (tables.empty() || !sketra::is_screen_mode(sketra::grcomn.imodgr)) return;
  const std::size_t n = tables.size();  // the viewer takes the first 100
  // The viewer's lines follow one another; the tables need not (other data
  // may lie between them), so their points are gathered and put back.
  std::vector<int> style(n, 0), symbol(n), count(n);
  std::vector<std::string> names(n);
  std::vector<float> x, y;
  for (std::size_t k = 0; k < n; ++k) {
    const ValueTable& t = tables[k];
    const int m = int(k) + 1;
    symbol[k] = 200 * (m - 1) + m;  // colour 2 (k - 1), marker k
    names[k] = t.name;
    const std::size_t f = std::size_t(std::max(t.first, 1) - 1);
    const std::size_t c = std::min(std::size_t(std::max(t.count, 0)), cin.x.size() - std::min(f, cin.x.size()));
    count[k] = int(c);
    x.insert(x.end(), cin.x.begin() + std::ptrdiff_t(f), cin.x.begin() + std::ptrdiff_t(f + c));
    y.insert(y.end(), cin.y.begin() + std::ptrdiff_t(f), cin.y.begin() + std::ptrdiff_t(f + c));
  }
  cplot.display = -1;
  cplot.menu = 4;
  sketra::PlotTitles titles = sketra::PlotTitles::from_text(std::string(cpch.label1.view()) + std::string(cpch.value_label.view()) +
                                                            std::string(cpch.x_label.view()) + std::string(cpch.y_label.view()));
  const sketra::SectionLines lines{style, symbol, count, x, y, y};
  int options = sketra::kSectionXExtents + sketra::kSectionYExtents;
  sketra::grklin(lines, names, titles, cplot.display, options);
  std::size_t i = 0;
  for (std::size_t k = 0; k < n; ++k) {
    const std::size_t f = std::size_t(std::max(tables[k].first, 1) - 1);
    for (int j = 0; j < count[k]; ++j, ++i) cin.x[f + std::size_t(j)] = x[i], cin.y[f + std::size_t(j)] = y[i];
  }
}

}  // namespace korvel
