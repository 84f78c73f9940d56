// The file browser: the listing of a directory (std::filesystem, no shell)
// and its page in the window.
//
// The browser starts in the working directory and shows its names in pages
// of columns: directories marked by a trailing "/", the parent directory
// as "../" on top. A click on a directory enters it; a click on a file puts
// its name into the Filename field, a second click on it opens it. "<<<"
// and ">>>" turn the pages, " AAll files " drops the suffix filter, " OOpen"
// returns the name in the field (a directory there is entered instead) and
// " CCancel" returns nothing.

#include <algorithm>
#include <cctype>
#include <optional>

#include "sketra/dialog_window.h"
#include "sketra/menus.h"
#include "sketra/plot.h"
#include "sketra/textfmt.h"
#include "sketra/widget_internal.h"

namespace sketra {

namespace fs = std::filesystem;

namespace {

using detail::PixelPoint;
using detail::PixelScope;

constexpr float kLine = 14;
constexpr float kColumn = 186;  // 31 characters
constexpr size_t kNameChars = 30;

std::string lower(std::string_view s) {
  std::string out(s);
  for (char& c : out) c = char(std::tolower(static_cast<unsigned char>(c)));
  return out;
}

std::string_view trim_both(std::string_view s) {
  s = trim_right(s);
  const size_t first = s.find_first_not_of(' ');
  return first == std::string_view::npos ? std::string_view() : s.substr(first);
}

// The shorter of the name relative to the working directory and the
// absolute name.
std::string relative_name(const fs::path& p) {
  std::error_code ec;
  const fs::path cwd = fs::current_path(ec);
  const std::string absolute = p.lexically_normal().string();
  if (ec) return absolute;
  const std::string rel = p.lexically_proximate(cwd).string();
  return rel.size() <= absolute.size() ? rel : absolute;
}

struct Browser {
  fs::path dir;
  std::string filter;
  std::string field;
  std::vector<std::string> entries;
  int page = 0;

  void reload() {
    entries.clear();
    if (dir.has_relative_path()) entries.emplace_back("../");
    for (auto& e : list_directory(dir, filter)) entries.push_back(std::move(e));
    page = 0;
  }
  void enter(const fs::path& d) {
    dir = d.lexically_normal();
    if (dir.has_filename() == false && dir.has_relative_path()) dir = dir.parent_path();
    field.clear();
    reload();
  }
  // Opens the name in the field: true when it names a file.
  bool open(std::string& name) {
    const std::string_view typed = trim_both(field);
    if (typed.empty()) return false;
    const fs::path p = fs::path(typed).is_absolute() ? fs::path(typed) : dir / typed;
    std::error_code ec;
    if (fs::is_directory(p, ec)) {
      enter(p);
      return false;
    }
    if (fs::is_regular_file(p, ec)) {
      name = relative_name(p);
      return true;
    }
    grmesg("grfile: file " + std::string(typed) + " not found");
    return false;
  }
};

}  // namespace

std::vector<std::string> list_directory(const fs::path& dir, std::string_view filter) {
  std::string suffix = lower(trim_both(filter));
  if (!suffix.empty() && suffix[0] == '*') suffix.erase(0, 1);
  std::vector<std::string> out;
  std::error_code ec;
  fs::directory_iterator it(dir, fs::directory_options::skip_permission_denied, ec);
  for (; !ec && it != fs::directory_iterator(); it.increment(ec)) {
    std::string name = it->path().filename().string();
    if (name.empty() || name[0] == '.') continue;
    std::error_code kind;
    if (it->is_directory(kind))
      out.push_back(name + "/");
    else if (suffix.empty() || lower(name).ends_with(suffix))
      out.push_back(std::move(name));
  }
  std::sort(out.begin(), out.end());
  return out;
}

bool WindowDialogs::choose_file(std::string& name, std::string& filter) {
  if (!detail::screen_ready()) return false;
  PixelScope scope;
  Browser b;
  std::error_code ec;
  b.dir = fs::current_path(ec);
  if (ec) return false;
  b.filter = std::string(trim_both(filter));
  b.reload();

  const PixelPoint top = detail::under_bar();
  const float list_top = top.y - 22;
  const int rows = std::clamp(int((float(grcomn.wndwgr[3]) - 26 - 160) / kLine), 4, 40);
  const int columns = std::clamp(int((detail::window_right() - top.x - 16) / kColumn), 1, 4);
  const int per_page = rows * columns;
  const float field_y = list_top - kLine * float(rows) - 8 - detail::kFormRow;
  detail::ButtonRow buttons{top.x + 8, field_y - 26, {" <<<<", " >>>>", " AAll files ", " OOpen", " CCancel"}};
  const detail::FieldBox fb = detail::field_box(top.x, field_y, 8);
  const float box_w = std::max({kColumn * float(columns) + 16, buttons.width() + 16, fb.x + fb.w + 8 - top.x});
  const size_t dir_chars = size_t(std::max(10.0f, (box_w - 16) / 6)) - 11;
  auto entry_at = [&](int j, float& x, float& y) {
    x = top.x + 8 + kColumn * float(j / rows);
    y = list_top - kLine * float(j % rows + 1) + 3;
  };
  auto draw = [&] {
    const int pages = std::max(1, (int(b.entries.size()) + per_page - 1) / per_page);
    b.page = std::clamp(b.page, 0, pages - 1);
    detail::draw_box(top.x, buttons.y - 6, box_w, top.y - (buttons.y - 6));
    std::string d = b.dir.string();
    if (d.size() > dir_chars) d = "..." + d.substr(d.size() - dir_chars + 3);
    detail::put_text(top.x + 8, top.y - 15, "Directory: " + d, kBlack);
    for (int j = 0; j < per_page; ++j) {
      const size_t e = size_t(b.page * per_page + j);
      if (e >= b.entries.size()) break;
      float x = 0, y = 0;
      entry_at(j, x, y);
      std::string shown = b.entries[e];
      if (shown.size() > kNameChars) shown = shown.substr(0, kNameChars - 1) + "_";
      detail::put_text(x, y, shown, shown.ends_with('/') ? -7 : kBlack);
    }
    detail::draw_field_row(top.x, field_y, "Filename", b.field, 8);
    buttons.draw();
    if (pages > 1)
      detail::put_text(buttons.x + buttons.width() + 8, buttons.y + 5,
                       "page " + std::to_string(b.page + 1) + "/" + std::to_string(pages), kBlack);
    grflip();
  };
  // The entry under a click, -1 for none.
  auto entry_hit = [&](const PixelPoint& p) {
    for (int j = 0; j < per_page; ++j) {
      const size_t e = size_t(b.page * per_page + j);
      if (e >= b.entries.size()) break;
      float x = 0, y = 0;
      entry_at(j, x, y);
      if (detail::inside_rect(p.x, p.y, x - 2, y - 3, kColumn - 6, kLine)) return int(e);
    }
    return -1;
  };
  draw();
  std::optional<InputEvent> pending;
  bool opened = false;
  for (;;) {
    const InputEvent ev = pending ? *pending : detail::wait_input(scope, draw);
    pending.reset();
    int button = 0;
    if (ev.type == kKeyPress) {
      if (ev.code == kKeyReturn) button = 4;
      else if (ev.code == kKeyEscape) button = 5;
      else if (ev.code == kKeyUp || ev.code == kKeyLeft) button = 1;
      else if (ev.code == kKeyDown || ev.code == kKeyRight) button = 2;
      else button = buttons.key(detail::upper_key(ev.code));
    } else if (ev.code == 4 || ev.code == 5) {
      button = ev.code - 3;
    } else {
      const PixelPoint p = detail::to_pixel(ev.x, ev.y);
      if (const int e = entry_hit(p); e >= 0) {
        const std::string& entry = b.entries[size_t(e)];
        if (entry == "../") {
          b.enter(b.dir.parent_path());
        } else if (entry.ends_with('/')) {
          b.enter(b.dir / entry.substr(0, entry.size() - 1));
        } else if (b.field == entry) {
          button = 4;
        } else {
          b.field = entry;
        }
        if (button == 0) {
          draw();
          continue;
        }
      } else if (detail::inside_rect(p.x, p.y, fb.x, fb.y, fb.w, fb.h)) {
        const InputEvent end = grgstr(top.x, field_y, "Filename", b.field, 8);
        if (end.type == kButtonPress) pending = end;
        draw();
        continue;
      } else {
        button = buttons.hit(p.x, p.y);
      }
    }
    if (button == 1 || button == 2) b.page += button == 1 ? -1 : 1;
    if (button == 3) {
      b.filter.clear();
      b.reload();
    }
    if (button == 4 && b.open(name)) {
      opened = true;
      break;
    }
    if (button == 5) break;
    if (button != 0) draw();
  }
  grclean(1);
  if (opened) filter = b.filter;
  else name.clear();
  return opened;
}

}  // namespace sketra
