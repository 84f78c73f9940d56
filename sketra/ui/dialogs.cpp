// What the dialogs do, whoever answers them: the script queue first, then
// the window layer (DialogUi). Messages, the message log, error counts and
// boxes, file opening and saving live here; drawing lives in
// dialog_window.cpp, fields.cpp and browser.cpp.

#include "sketra/ui/dialogs.h"

#include <cmath>
#include <filesystem>
#include <fstream>

#include "sketra/base/script.h"
#include "sketra/base/textfmt.h"
#include "sketra/base/units.h"
#include "sketra/kernel/plot.h"

namespace sketra {

DialogState dialogs;

namespace {


const std::string kStars(47, '*');

// Who answered a prompt.
enum class Source { nobody, script, window };

// Script entry or window answer for a single-field prompt.
Source answer(std::string_view prompt, std::string& text) {
  if (script_pending()) {
    text = std::string(trim_right(script_take()));
    return Source::script;
  }
  if (dialogs.ui && dialogs.ui->prompt(prompt, text)) return Source::window;
  text.clear();
  return Source::nobody;
}

// A script entry the dialog cannot use: an error box, the message line,
// and the rest of the queue dropped, so the person takes over. The box is
// not counted as an error: counted errors reject the file being read, and
// the person who answers instead must get what the dialog normally does.
void unknown_script_line(std::string_view entry) {
  const std::string text = "unknown script line: " + std::string(trim_right(entry));
  unit_write(dialogs.log_unit, kStars);
  unit_write(dialogs.log_unit, "**error: " + text);
  unit_write(dialogs.log_unit, kStars);
  grmesg(text);
  script_drop();
}

// True when `text` is one number (blank-padded).
bool is_number(std::string_view text) {
  double d = 0;
  const FreeTarget t[] = {&d};
  const FreeResult r = read_free(text, t);
  return !r.error && r.filled == 1;
}

bool is_toggle(std::string_view v) { return v.size() >= 2 && (v[0] == '+' || v[0] == '_') && v[1] == ' '; }
bool is_choice(std::string_view v) { return v.size() >= 3 && v[0] == '|' && v[1] >= '0' && v[1] <= '9' && v[2] == '|'; }

// The pick of colour c under colour mode `mode` (see grcmap).
void apply_colour_pick(int c, int mode) {
  if (mode == 0) return;
  ColourState& s = grcomn.colour;
  if (mode == 2) s.bank = (c - 1) / 20;
  if (mode == 3) s.bank = (c - 1) % 20 + 1;
  s.mode = mode;
}

// Applies one script entry to a form. Returns 1 for "D", 0 when a field was
// set, -1 for an entry the form cannot use.
int form_entry(std::string_view e, std::span<std::string> prompts, std::span<std::string> values) {
  if (!e.empty() && (e[0] == 'D' || e[0] == 'd')) return 1;
  std::size_t nd = 0;
  while (nd < e.size() && nd < 3 && e[nd] >= '0' && e[nd] <= '9') ++nd;
  if (nd == 0 || nd >= e.size() || e[nd] != ' ') return -1;
  int k = 0;
  for (std::size_t i = 0; i < nd; ++i) k = k * 10 + (e[i] - '0');
  // The k-th editable field (headings do not count).
  int seen = 0;
  for (std::size_t f = 0; f < prompts.size() && f < values.size(); ++f) {
    if (!prompts[f].empty() && prompts[f][0] == '#') continue;
    if (++seen != k) continue;
    std::string_view rest = trim_right(e.substr(nd + 1));
    if (is_toggle(values[f])) {
      values[f][0] = '+';
    } else if (is_choice(values[f])) {
      if (!rest.empty() && rest[0] >= '1' && rest[0] <= '9') values[f][1] = rest[0];
    } else {
      // A field that shows a number takes a number (or blank, which keeps
      // the value); anything else is no answer for it.
      if (is_number(values[f]) && !rest.empty() && !is_number(rest)) return -1;
      values[f] = std::string(rest);
    }
    return 0;
  }
  return -1;
}

}  // namespace

void dialogs_reset() { dialogs = DialogState{}; }

void set_dialog_ui(DialogUi* ui) { dialogs.ui = ui; }

void set_log_unit(int unit) { dialogs.log_unit = unit; }

void grmesg(std::string_view text) {
  std::string_view t = trim_right(text);
  if (t.size() > std::size_t(kMessageWidth)) t = t.substr(0, std::size_t(kMessageWidth));
  dialogs.message_line = std::string(t);
  if (t.empty()) {
    dialogs.shown.clear();
  } else {
    if (dialogs.shown.size() >= size_t(kMessageLines)) dialogs.shown.erase(dialogs.shown.begin());
    dialogs.shown.emplace_back(t);
  }
  if (dialogs.ui) dialogs.ui->message(t);
  if (t.empty()) return;
  std::string logged(t.substr(0, std::min(t.size(), std::size_t(kMessageLogWidth))));
  if (dialogs.messages.size() < std::size_t(kMessageLogLines))
    dialogs.messages.push_back(std::move(logged));
  else
    dialogs.messages.back() = std::move(logged);
  if (dialogs.log_unit >= 0) {
    // The log is complete at every moment: a killed session keeps its history.
    unit_write(dialogs.log_unit, t);
    unit_flush(dialogs.log_unit);
  }
}

void grmesg_repaint() {
  if (dialogs.ui && !dialogs.shown.empty()) dialogs.ui->message(dialogs.message_line);
}

void grinpa(std::string_view prompt, std::string& text) { answer(prompt, text); }

bool grinpf(std::string_view prompt, float& value) {
  for (;;) {
    std::string text = std::fabs(value) <= 0.0001f ? std::string() : fmt_f(value, 12, 3);
    const Source from = answer(prompt, text);
    if (from == Source::nobody) return false;
    double d = 0;
    const FreeTarget t[] = {&d};
    const FreeResult r = read_free(text, t);
    if (!r.error && r.filled == 1) {
      value = float(d);
      return true;
    }
    if (from == Source::script) unknown_script_line(text);
    else grmesg("not a number: " + std::string(trim(text)));
  }
}

bool grinpi(std::string_view prompt, int& value) {
  for (;;) {
    std::string text = fmt_i(value, 12);
    const Source from = answer(prompt, text);
    if (from == Source::nobody) return false;
    int v = 0;
    const FreeTarget t[] = {&v};
    const FreeResult r = read_free(text, t);
    if (!r.error && r.filled == 1) {
      value = v;
      return true;
    }
    if (from == Source::script) unknown_script_line(text);
    else grmesg("not a number: " + std::string(trim(text)));
  }
}

char grinp1(std::string_view prompt) {
  std::string text;
  answer(prompt, text);
  const std::string_view t = trim(text);
  return t.empty() ? ' ' : t[0];
}

bool grinfo(std::span<std::string> prompts, std::span<std::string> values) {
  auto leave = [](bool applied) {
    grcomn.xcrsgr = grcomn.ycrsgr = -9999;
    return applied;
  };
  while (script_pending()) {
    std::string e = script_take();
    int r = form_entry(e, prompts, values);
    if (r == 1) return leave(true);
    if (r < 0) {
      unknown_script_line(e);
      break;
    }
  }
  return leave(dialogs.ui && dialogs.ui->form(prompts, values));
}

FieldKind field_kind(std::string_view prompt, std::string_view value) {
  if (is_toggle(value)) return FieldKind::toggle;
  if (is_choice(value)) return FieldKind::choice;
  if (prompt.starts_with("Color")) return FieldKind::colour;
  return FieldKind::text;
}

std::vector<std::string> choice_options(std::string_view value, int& current) {
  std::vector<std::string> out;
  current = 0;
  if (!is_choice(value)) return out;
  std::string_view rest = trim_right(value.substr(3));
  while (!rest.empty()) {
    const size_t bar = rest.find('|');
    out.emplace_back(rest.substr(0, bar));
    rest = bar == std::string_view::npos ? std::string_view() : rest.substr(bar + 1);
  }
  const int k = value[1] - '0';
  current = k >= 1 && k <= int(out.size()) ? k : 0;
  return out;
}

std::string toggle_value(bool on) { return on ? "+ " : "_ "; }
bool toggle_on(std::string_view value) { return !value.empty() && value[0] == '+'; }

std::string number_field(double v, int decimals) {
  std::string t = fmt_f(v, 16, decimals);
  if (t.find('*') != std::string::npos) t = fmt_g(v, 16, 7);
  return std::string(trim(t));
}

bool read_field(std::string_view text, double& v) {
  double r = v;  // a null value leaves it
  const FreeTarget t[] = {&r};
  const FreeResult f = read_free(text, t);
  if (f.error || f.filled != 1) return false;
  v = r;
  return true;
}

bool read_field(std::string_view text, int& v) {
  int r = v;
  const FreeTarget t[] = {&r};
  const FreeResult f = read_free(text, t);
  if (f.error || f.filled != 1) return false;
  v = r;
  return true;
}

void set_choice(std::string& value, int k) {
  if (is_choice(value) && k >= 1 && k <= 9) value[1] = char('0' + k);
}

void invert_toggles(std::span<const std::string> prompts, std::span<std::string> values) {
  for (size_t f = 0; f < values.size(); ++f) {
    if (f < prompts.size() && !prompts[f].empty() && prompts[f][0] == '#') continue;
    if (is_toggle(values[f])) values[f][0] = values[f][0] == '+' ? '_' : '+';
  }
}

bool save_text_lines(std::span<const std::string> lines) {
  std::string name;
  grinpa("Filename", name);
  name = std::string(trim(name.substr(0, std::min<size_t>(name.size(), 64))));
  if (name.empty()) return false;
  bool append = false;
  std::error_code ec;
  if (std::filesystem::exists(name, ec)) {
    const char c = grinp1("Append Overwrite eXit?");
    if (c == 'A' || c == 'a')
      append = true;
    else if (c != 'O' && c != 'o')
      return false;
  }
  std::ofstream out(name, append ? std::ios::app : std::ios::trunc);
  for (const auto& l : lines) out << trim_right(l) << '\n';
  out.close();
  if (!out) {
    grmesg("cannot write file " + name);
    return false;
  }
  grmesg("data stored on file");
  return true;
}

void grtext(std::span<const std::string> lines) {
  while (script_pending()) {
    const char key = script_take()[0];
    if (key != 'S' && key != 's') return;
    save_text_lines(lines);
  }
  if (dialogs.ui) dialogs.ui->text_page(lines);
}

void grplate(std::span<const std::string> lines) {
  if (dialogs.ui) dialogs.ui->plate(lines);
}

bool gropn(std::string& name, std::string& filter, int unit, bool as_given) {
  for (int tries = 0; tries < 100; ++tries) {
    std::string t = as_given ? name : std::string(trim(name));
    as_given = false;  // names chosen afterwards come from fields and lose their padding
    std::error_code ec;
    if (t.empty() || (t[0] == '.' && !std::filesystem::exists(t, ec))) {
      if (!t.empty() && trim(filter).empty()) filter = t;
      if (!grfile(name, filter)) return false;
      t = std::string(trim(name));
      if (t.empty()) return false;
    }
    name = t;
    if (!std::filesystem::is_regular_file(name, ec)) {
      grmesg("File not found: " + name);
      name.clear();
      continue;
    }
    if (!unit_open(unit, name, FileStatus::old_file)) {
      grmesg("Wrong file format: " + name);
      return false;
    }
    std::string_view first;
    if (!unit_read(unit, first)) {
      unit_close(unit);
      grmesg("Wrong file format: " + name);
      return false;
    }
    unit_rewind(unit);
    return true;
  }
  return false;
}

namespace {

// The file name that the answer to "Enter Prefix> " stands for.
std::string with_prefix(std::string_view answer, std::string_view rest) {
  if (answer.size() >= rest.size() && answer.substr(answer.size() - rest.size()) == rest) return std::string(answer);
  return std::string(answer) + std::string(rest);
}

}  // namespace

bool grfil_ask(std::string& name) {
  const std::string preset(trim_right(name));
  const bool prefix = preset.compare(0, 3, "pre") == 0;
  name.clear();
  for (int tries = 0; tries < 100; ++tries) {
    std::string text = prefix ? std::string() : preset;
    if (answer(prefix ? "Enter Prefix> " : "Enter Filename> ", text) == Source::nobody) return false;
    std::string_view t = trim_right(text);
    while (!t.empty() && t.front() == ' ') t.remove_prefix(1);
    if (t.empty()) return false;
    std::string file = prefix ? with_prefix(t, std::string_view(preset).substr(3)) : std::string(t);
    std::error_code ec;
    if (std::filesystem::exists(file, ec)) {
      char c = grinp1("Overwrite file? ");
      if (c != 'Y' && c != 'y') continue;
    }
    name = file;
    return true;
  }
  return false;
}

bool grfil(std::string& name, int unit) {
  const std::string preset = name;
  name.clear();
  for (int tries = 0; tries < 100; ++tries) {
    std::string file = preset;
    if (!grfil_ask(file)) return false;
    if (!unit_open(unit, file, FileStatus::unknown)) {
      grmesg("Cannot write file: " + file);
      continue;
    }
    name = file;
    return true;
  }
  return false;
}

void grbeam_draw(int percent, std::string_view text) {
  dialogs.beam_percent = percent;
  ++dialogs.beam_draws;
  if (dialogs.ui) dialogs.ui->beam(percent, text);
}

int igrerr(int level, std::string_view text, int unit) {
  if (level == 0) {
    dialogs.summary_errors = dialogs.errors;
    dialogs.summary_warnings = dialogs.warnings;
    if (dialogs.errors == 0 && dialogs.warnings == 0) return 0;
    std::string s = " >>errors/" + fmt_i(dialogs.errors, 2) + "/  >>warnings/" + fmt_i(dialogs.warnings, 2) + "/";
    grmesg(s);
    if (unit != dialogs.log_unit) unit_write(unit, s);
    dialogs.errors = 0;
    dialogs.warnings = 0;
    return 1;
  }
  const char* head = level == 1 ? "**warning: " : level == 2 ? "**error: " : "**fatal error: ";
  unit_write(unit, kStars);
  unit_write(unit, std::string(head) + std::string(text));
  unit_write(unit, kStars);
  if (level >= 3) {
    unit_write(unit, "***fatal error detected");
    dialogs.fatal = true;
  }
  unit_flush(unit);
  if (level == 1) return ++dialogs.warnings;
  return ++dialogs.errors;
}

long igrlin(const std::string& path) {
  LineReader r;
  if (!r.open(path)) return -1;
  long n = 0;
  std::string_view l;
  while (r.next(l)) ++n;
  // A last line without a line end is not counted, as "wc -l" counts.
  if (r.size() > 0 && r.size() != UINT64_MAX) {
    std::ifstream in(path, std::ios::binary);
    in.seekg(std::streamoff(r.size() - 1));
    if (in.get() != '\n') --n;
  }
  return n;
}

int grchoice(std::span<const std::string> captions) {
  if (script_pending()) {
    const std::string entry = script_take();
    const std::string_view e = trim(entry);
    int k = 0;
    if (parse_int(e, k)) return k >= 1 && k <= int(captions.size()) ? k : 0;
    if (e.empty()) return 0;
    auto upper = [](char c) { return c >= 'a' && c <= 'z' ? char(c - 32) : c; };
    for (size_t i = 0; i < captions.size(); ++i)
      if (!captions[i].empty() && upper(captions[i][0]) == upper(e[0])) return int(i) + 1;
    return 0;
  }
  return dialogs.ui ? dialogs.ui->choice(captions) : 0;
}

bool grfile(std::string& name, std::string& filter) {
  if (script_pending()) {
    name = std::string(trim(script_take()));
    return !name.empty();
  }
  if (dialogs.ui && dialogs.ui->choose_file(name, filter) && !trim(name).empty()) return true;
  name.clear();
  return false;
}

bool grcmap(float x, float y, int& colour, int mode) {
  if (script_pending()) {
    const std::string e = script_take();
    int c = 0;
    if (parse_int(trim(e), c) && c >= 1 && c <= kPaletteSize - 1) {
      colour = c;
      apply_colour_pick(c, mode);
      return true;
    }
    unknown_script_line(e);
  }
  const int before = colour;
  const bool picked = dialogs.ui && dialogs.ui->pick_colour(x, y, colour, mode);
  if (picked && colour >= 1 && colour < kPaletteSize) {
    apply_colour_pick(colour, mode);
    return true;
  }
  colour = before;
  if (mode != 0) grcomn.colour.mode = mode;
  return false;
}

}  // namespace sketra
