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

#include "sketra/base/textfmt.h"
#include "sketra/kernel/plot.h"
#include "sketra/ui/dialog_window.h"
#include "sketra/ui/menus.h"
#include "sketra/ui/widget_internal.h"

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

// The browser's state and its page in the window.
class Browser {
 public:
  Browser(fs::path dir, std::string filter);
  void draw();
  // What a click did: 0 nothing more to do, else the button it stands for
  // (4 Open). A click on the Filename field edits it; a click that ends the
  // edit elsewhere is left in `pending` (type kEventNone: none).
  int click(const InputEvent& ev, InputEvent& pending);
  // Runs button k: 1 / 2 turn the page, 3 all files, 4 open (true when a
  // file was chosen, its name in `name`).
  bool press(int k, std::string& name);
  const std::string& filter() const { return filter_; }
  detail::ButtonRow buttons;

 private:
  void place();
  void reload();
  void enter(const fs::path& d);
  void entry_at(int j, float& x, float& y) const;
  int entry_hit(const PixelPoint& p) const;

  fs::path dir_;
  std::string filter_;
  std::string field_;
  std::vector<std::string> entries_;
  int page_ = 0;
  PixelPoint top_;
  float list_top_ = 0, field_y_ = 0, box_w_ = 0;
  int rows_ = 0, per_page_ = 0;
};

Browser::Browser(fs::path dir, std::string filter) : dir_(std::move(dir)), filter_(std::move(filter)) {
  buttons.captions = {" <<<<", " >>>>", " AAll files ", " OOpen", " CCancel"};
  place();
  reload();
}

// Under the menu bar, with as many rows and columns as the window holds now.
void Browser::place() {
  const PixelPoint want = detail::under_bar();
  const float height = want.y - detail::message_strip_top() - 2;
  rows_ = std::clamp(int((height - 22 - 8 - detail::kFormRow - 32) / kLine), 4, 40);
  const int columns = std::clamp(int((detail::window_right() - want.x - 16) / kColumn), 1, 4);
  const int first = page_ * per_page_;
  per_page_ = rows_ * columns;
  page_ = per_page_ > 0 ? first / per_page_ : 0;
  const detail::FieldBox fb = detail::field_box(0, 0, 8);
  box_w_ = std::max({kColumn * float(columns) + 16, buttons.width() + 16, fb.x + fb.w + 8});
  top_ = detail::fit_box(want, box_w_, 22 + kLine * float(rows_) + 8 + detail::kFormRow + 32);
  list_top_ = top_.y - 22;
  field_y_ = list_top_ - kLine * float(rows_) - 8 - detail::kFormRow;
  buttons.x = top_.x + 8;
  buttons.y = field_y_ - 26;
}

void Browser::reload() {
  entries_.clear();
  if (dir_.has_relative_path()) entries_.emplace_back("../");
  for (auto& e : list_directory(dir_, filter_)) entries_.push_back(std::move(e));
  page_ = 0;
}

void Browser::enter(const fs::path& d) {
  dir_ = d.lexically_normal();
  if (!dir_.has_filename() && dir_.has_relative_path()) dir_ = dir_.parent_path();
  field_.clear();
  reload();
}

void Browser::entry_at(int j, float& x, float& y) const {
  x = top_.x + 8 + kColumn * float(j / rows_);
  y = list_top_ - kLine * float(j % rows_ + 1) + 3;
}

int Browser::entry_hit(const PixelPoint& p) const {
  for (int j = 0; j < per_page_; ++j) {
    const size_t e = size_t(page_ * per_page_ + j);
    if (e >= entries_.size()) break;
    float x = 0, y = 0;
    entry_at(j, x, y);
    if (detail::inside_rect(p.x, p.y, x - 2, y - 3, kColumn - 6, kLine)) return int(e);
  }
  return -1;
}

void Browser::draw() {
  place();
  const int pages = std::max(1, (int(entries_.size()) + per_page_ - 1) / per_page_);
  page_ = std::clamp(page_, 0, pages - 1);
  detail::draw_box(top_.x, buttons.y - 6, box_w_, top_.y - (buttons.y - 6));
  const size_t dir_chars = size_t(std::max(30.0f, (box_w_ - 16) / 6)) - 11;
  std::string d = dir_.string();
  if (d.size() > dir_chars) d = "..." + d.substr(d.size() - dir_chars + 3);
  detail::put_text(top_.x + 8, top_.y - 15, "Directory: " + d, kBlack);
  for (int j = 0; j < per_page_; ++j) {
    const size_t e = size_t(page_ * per_page_ + j);
    if (e >= entries_.size()) break;
    float x = 0, y = 0;
    entry_at(j, x, y);
    std::string shown = entries_[e];
    if (shown.size() > kNameChars) shown = shown.substr(0, kNameChars - 1) + "_";
    detail::put_text(x, y, shown, shown.ends_with('/') ? -7 : kBlack);
    detail::log_layout(shown, x - 2, y - 3, kColumn - 6, kLine);
  }
  detail::draw_field_row(top_.x, field_y_, "Filename", field_, 8);
  const detail::FieldBox fb = detail::field_box(top_.x, field_y_, 8);
  detail::log_layout("Filename", fb.x, fb.y, fb.w, fb.h);
  buttons.draw();
  if (pages > 1)
    detail::put_text(buttons.x + buttons.width() + 8, buttons.y + 5,
                     "page " + std::to_string(page_ + 1) + "/" + std::to_string(pages), kBlack);
  grflip();
}

int Browser::click(const InputEvent& ev, InputEvent& pending) {
  const PixelPoint p = detail::to_pixel(ev.x, ev.y);
  if (const int e = entry_hit(p); e >= 0) {
    const std::string& entry = entries_[size_t(e)];
    if (entry == "../") {
      enter(dir_.parent_path());
    } else if (entry.ends_with('/')) {
      enter(dir_ / entry.substr(0, entry.size() - 1));
    } else if (field_ == entry) {
      return 4;  // a second click on the same file opens it
    } else {
      field_ = entry;
    }
    draw();
    return 0;
  }
  const detail::FieldBox fb = detail::field_box(top_.x, field_y_, 8);
  if (detail::inside_rect(p.x, p.y, fb.x, fb.y, fb.w, fb.h)) {
    const InputEvent end = grgstr(top_.x, field_y_, "Filename", field_, 8);
    if (end.type == kButtonPress) pending = end;
    draw();
    return 0;
  }
  return buttons.hit(p.x, p.y);
}

bool Browser::press(int k, std::string& name) {
  if (k == 1 || k == 2) page_ += k == 1 ? -1 : 1;
  if (k == 3) {
    filter_.clear();
    reload();
  }
  if (k == 4) {
    const std::string_view typed = trim(field_);
    if (!typed.empty()) {
      const fs::path p = fs::path(typed).is_absolute() ? fs::path(typed) : dir_ / typed;
      std::error_code ec;
      if (fs::is_directory(p, ec)) {
        enter(p);
      } else if (fs::is_regular_file(p, ec)) {
        name = relative_name(p);
        return true;
      } else {
        grmesg("grfile: file " + std::string(typed) + " not found");
      }
    }
  }
  draw();
  return false;
}

}  // namespace

std::vector<std::string> list_directory(const fs::path& dir, std::string_view filter) {
  std::string suffix = lower(trim(filter));
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
  std::error_code ec;
  fs::path dir = fs::current_path(ec);
  if (ec) return false;
  PixelScope scope;
  Browser b(std::move(dir), std::string(trim(filter)));
  b.draw();
  InputEvent pending;
  bool opened = false;
  for (;;) {
    const InputEvent ev = pending.type != kEventNone ? pending : detail::wait_input(scope, [&] { b.draw(); });
    pending = InputEvent{};
    int button = 0;
    if (ev.type == kKeyPress) {
      if (ev.code == kKeyReturn) button = 4;
      else if (ev.code == kKeyEscape) button = 5;
      else if (ev.code == kKeyUp || ev.code == kKeyLeft) button = 1;
      else if (ev.code == kKeyDown || ev.code == kKeyRight) button = 2;
      else button = b.buttons.key(detail::upper_key(ev.code));
    } else if (ev.code == 4 || ev.code == 5) {
      button = ev.code - 3;  // the wheel turns the pages
    } else {
      button = b.click(ev, pending);
    }
    if (button == 5) break;
    if (button != 0 && b.press(button, name)) {
      opened = true;
      break;
    }
  }
  grclean(1);
  if (opened)
    filter = b.filter();
  else
    name.clear();
  return opened;
}

}  // namespace sketra
