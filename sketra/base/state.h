#pragma once
// The state of sketra/base, in one place.
//
//   scriptq      ScriptQueue (script.h)  answers queued for menus and prompts
//   file_units   FileUnit table (below)  the file behind each unit number
//
// base_state_reset() empties the script queue and closes every unit, as at
// the start of the process. Nothing else in this folder outlives a call.

#include <array>
#include <cstdio>
#include <memory>
#include <string>

#include "sketra/base/script.h"
#include "sketra/base/units.h"

namespace sketra {

// One numbered unit: a file open for reading (reader) or writing (out), or
// nothing. Reached through the unit_* routines of units.h only.
struct FileUnit {
  std::string name;
  std::unique_ptr<LineReader> reader;
  std::FILE* out = nullptr;
  int error = 0;  // errno of the first failed write, flush or close
  bool open_line = false;  // text written without ending its record
};

// The unit table of the process: entry k is unit k (unit 6, standard
// output, is never opened here).
extern std::array<FileUnit, kMaxUnit + 1> file_units;

// Back to the start of the process: queue empty, every unit closed.
void base_state_reset();

}  // namespace sketra
