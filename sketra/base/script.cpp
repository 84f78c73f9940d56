#include "sketra/base/script.h"

#include <algorithm>
#include <fstream>

#include "sketra/base/fatal.h"

namespace sketra {

ScriptQueue scriptq;

namespace {

std::string pad_entry(std::string_view s) {
  std::string e(s.substr(0, std::min<size_t>(s.size(), kScriptWidth)));
  e.resize(kScriptWidth, ' ');
  return e;
}

}  // namespace

void grscpt(std::span<const std::string> entries) {
  std::vector<std::string> next;
  size_t unread = scriptq.pos < scriptq.length ? size_t(scriptq.length - scriptq.pos) : 0;
  next.reserve(std::min<size_t>(entries.size() + unread, kScriptCapacity));
  for (const auto& e : entries) {
    if (next.size() >= size_t(kScriptCapacity)) break;
    next.push_back(pad_entry(e));
  }
  for (int i = scriptq.pos; i < scriptq.length && next.size() < size_t(kScriptCapacity); ++i)
    next.push_back(scriptq.entries[size_t(i)]);
  scriptq.entries = std::move(next);
  scriptq.pos = 0;
  scriptq.length = int(scriptq.entries.size());
}

void grscpt(std::string_view entry) {
  std::string e(entry);
  grscpt(std::span<const std::string>(&e, 1));
}

bool script_pending() { return scriptq.pos < scriptq.length; }

std::string script_take() {
  if (!script_pending()) return {};
  return scriptq.entries[size_t(scriptq.pos++)];
}

void script_drop() {
  scriptq.length = 0;
  scriptq.pos = 0;
}

void script_check_batch() {
  if (scriptq.batch && !script_pending())
    throw BatchEnd("korvel: the script ended while an answer was awaited (SKETRA_BATCH=1)");
}

void script_set_length(int n) {
  scriptq.length = std::clamp(n, 0, int(scriptq.entries.size()));
  if (scriptq.pos > scriptq.length) scriptq.pos = scriptq.length;
}

bool script_load_file(const std::string& path, std::string* why) {
  std::ifstream in(path);
  if (!in) {
    if (why) *why = "the script " + path + " cannot be read";
    return false;
  }
  std::vector<std::string> lines;
  std::string line;
  while (std::getline(in, line)) {
    if (!line.empty() && line.back() == '\r') line.pop_back();
    if (line.starts_with(kScriptComment)) continue;
    if (lines.size() == std::size_t(kScriptCapacity)) {
      if (why) *why = "the script " + path + " holds more than " + std::to_string(kScriptCapacity) + " answers";
      return false;
    }
    lines.push_back(std::move(line));
  }
  grscpt(lines);
  return true;
}

}  // namespace sketra
