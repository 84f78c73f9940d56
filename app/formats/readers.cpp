#include "app/formats/readers.h"

#include <algorithm>

#include "app/loader.h"
#include "app/store.h"
#include "sketra/base/textfmt.h"
#include "sketra/base/units.h"

namespace korvel {

void report(std::string_view text, int log) {
  sketra::unit_write(sketra::kStdoutUnit, text);
  sketra::unit_write(log, text);
}

void fix_origin(double x, double y) {
  if (reader.lorig) return;
  cin1.xorig = x;
  cin1.yorig = y;
  reader.lorig = true;
}

bool add_point_abs(double x, double y, float z, std::int32_t code) {
  return store_add_point(float(x - cin1.xorig), float(y - cin1.yorig), z, code);
}

void EdgeSink::add(std::int32_t a, std::int32_t b) {
  if (!store_add_edge(a, b)) ++refused_;
}

void EdgeSink::flush() {
  if (refused_ == 0) return;
  sketra::unit_write(log_, " edges ignored (edge table full):" + sketra::fmt_i(refused_, 10));
  refused_ = 0;
}

bool blank_line(std::string_view l) {
  return std::all_of(l.begin(), l.end(), [](char c) { return c == ' ' || c == '\t' || c == '\r'; });
}

}  // namespace korvel
