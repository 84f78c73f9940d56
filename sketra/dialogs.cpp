#include "sketra/dialogs.h"

#include <filesystem>
#include <fstream>

#include "sketra/script.h"
#include "sketra/textfmt.h"
#include "sketra/units.h"

namespace sketra {

DialogState dialogs;

namespace {

std::string_view trimmed(std::string_view s) { return trim_right(s); }

const std::string kStars(47, '*');

// Script entry or window answer for a single-field prompt. False when
// nobody answered.
bool answer(std::string_view prompt, std::string& text) {
  if (script_pending()) {
    text = std::string(trimmed(script_take()));
    return true;
  }
  if (dialogs.ui) return dialogs.ui->prompt(prompt, text);
  text.clear();
  return false;
}

bool is_toggle(std::string_view v) { return v.size() >= 2 && (v[0] == '+' || v[0] == '_') && v[1] == ' '; }

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
    std::string_view rest = trimmed(e.substr(nd + 1));
    if (is_toggle(values[f])) {
      values[f][0] = '+';
    } else if (values[f].size() >= 3 && values[f][0] == '|' && values[f][2] == '|') {
      if (!rest.empty() && rest[0] >= '1' && rest[0] <= '9') values[f][1] = rest[0];
    } else {
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
  std::string_view t = trimmed(text);
  if (t.size() > std::size_t(kMessageWidth)) t = t.substr(0, std::size_t(kMessageWidth));
  dialogs.message_line = std::string(t);
  if (dialogs.ui) dialogs.ui->message(t);
  if (t.empty()) return;
  std::string logged(t.substr(0, std::min(t.size(), std::size_t(kMessageLogWidth))));
  if (dialogs.messages.size() < std::size_t(kMessageLogLines))
    dialogs.messages.push_back(std::move(logged));
  else
    dialogs.messages.back() = std::move(logged);
  if (dialogs.log_unit >= 0) unit_write(dialogs.log_unit, t);
}

void grinpa(std::string_view prompt, std::string& text) { answer(prompt, text); }

bool grinpf(std::string_view prompt, float& value) {
  std::string text = fmt_f(value, 12, 3);
  if (!answer(prompt, text)) return false;
  double d = 0;
  FreeTarget t[] = {&d};
  FreeResult r = read_free(text, t);
  if (r.error || r.filled != 1) return false;
  value = float(d);
  return true;
}

bool grinpi(std::string_view prompt, int& value) {
  std::string text = fmt_i(value, 12);
  if (!answer(prompt, text)) return false;
  int v = 0;
  FreeTarget t[] = {&v};
  FreeResult r = read_free(text, t);
  if (r.error || r.filled != 1) return false;
  value = v;
  return true;
}

char grinp1(std::string_view prompt) {
  std::string text;
  answer(prompt, text);
  return text.empty() ? ' ' : text[0];
}

void grinfo(std::span<std::string> prompts, std::span<std::string> values) {
  auto cancel = [&] {
    if (!prompts.empty()) prompts[0] = "cancel";
  };
  while (script_pending()) {
    std::string e = script_take();
    int r = form_entry(e, prompts, values);
    if (r == 1) return;
    if (r < 0) {
      igrerr(2, "unknown script line: " + std::string(trimmed(e)), dialogs.log_unit);
      cancel();
      return;
    }
  }
  if (dialogs.ui && dialogs.ui->form(prompts, values)) return;
  cancel();
}

void grtext(std::span<const std::string> lines) {
  while (script_pending()) {
    char key = script_take()[0];
    if (key != 'S' && key != 's') return;
    std::string name;
    grinpa("Filename", name);
    if (name.empty()) continue;
    bool append = false;
    if (std::filesystem::exists(name)) {
      char c = grinp1("Append Overwrite eXit?");
      if (c == 'A' || c == 'a')
        append = true;
      else if (c != 'O' && c != 'o')
        continue;
    }
    std::ofstream out(name, append ? std::ios::app : std::ios::trunc);
    for (const auto& l : lines) out << trimmed(l) << '\n';
    grmesg("data stored on file");
  }
  if (dialogs.ui) dialogs.ui->text_page(lines);
}

void grplate(std::span<const std::string> lines) {
  if (dialogs.ui) dialogs.ui->plate(lines);
}

bool gropn(std::string& name, std::string& filter, int unit) {
  for (int tries = 0; tries < 100; ++tries) {
    std::string_view t = trimmed(name);
    if (t.empty() || t[0] == '.') {
      if (script_pending()) {
        name = std::string(trimmed(script_take()));
      } else if (!dialogs.ui || !dialogs.ui->choose_file(name, filter)) {
        name.clear();
      }
      t = trimmed(name);
      if (t.empty()) return false;
    }
    name = std::string(t);
    std::error_code ec;
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

bool grfil(std::string& name, int unit) {
  const std::string preset(trimmed(name));
  const bool prefix = preset.compare(0, 3, "pre") == 0;
  name.clear();
  for (int tries = 0; tries < 100; ++tries) {
    std::string text = prefix ? std::string() : preset;
    if (!answer(prefix ? "Enter Prefix> " : "Enter Filename> ", text)) return false;
    std::string_view t = trimmed(text);
    while (!t.empty() && t.front() == ' ') t.remove_prefix(1);
    if (t.empty()) return false;
    std::string file = prefix ? with_prefix(t, std::string_view(preset).substr(3)) : std::string(t);
    std::error_code ec;
    if (std::filesystem::exists(file, ec)) {
      char c = grinp1("Overwrite file? ");
      if (c != 'Y' && c != 'y') continue;
    }
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
  if (level == 1) return ++dialogs.warnings;
  ++dialogs.errors;
  if (level >= 3) {
    unit_write(unit, "***fatal error detected");
    dialogs.fatal = true;
  }
  return dialogs.errors;
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

}  // namespace sketra
