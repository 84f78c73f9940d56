#include "app/loader.h"

#include <algorithm>
#include <cmath>
#include <span>
#include <string_view>
#include <variant>

#include "app/formats/file_kind.h"
#include "app/formats/grid_files.h"
#include "app/formats/keyword_parser.h"
#include "app/formats/unstruct.h"
#include "app/load_files.h"
#include "app/store.h"
#include "app/table_viewer.h"
#include "sketra/base/textfmt.h"
#include "sketra/base/units.h"
#include "sketra/kernel/plot.h"
#include "sketra/ui/dialogs.h"

namespace korvel {

ReaderSettings reader;
std::vector<ValueTable> tables;
PublishedOrigin published_origin;
MeshPoints last_mesh_points;
ParserState parser;

namespace {

using sketra::fmt_f;
using sketra::fmt_i;
using sketra::FreeTarget;
using sketra::TextTarget;

namespace kw = unstruct;

// The plain scan knows the keywords of the unstruct format and both
// first-line commands after them.
constexpr std::size_t kKeywords = std::size(kUnstructKeywords);
constexpr auto kScan = [] {
  std::array<std::string_view, kKeywords + 2> a{};
  for (std::size_t i = 0; i < kKeywords; ++i) a[i] = kUnstructKeywords[i];
  a[kKeywords] = kFirstLineCommands[0];
  a[kKeywords + 1] = kFirstLineCommands[1];
  return a;
}();
constexpr int kScanGrid = int(kKeywords) + 1;
constexpr int kScanUnstruct = int(kKeywords) + 2;

// ---- All-or-nothing loads ------------------------------------------------------
//
// Before a file is read the small state blocks are copied and the columns
// that the load may replace are set aside: a Load moves the old points and
// edges out (no copy), an Add only remembers the counts (new points are
// appended, so truncating restores the store), a grid reader moves the old
// grid sets out. Rollback puts everything back; commit frees what was set
// aside.
class Transaction {
 public:
  explicit Transaction(int mode)
      : cin1_(cin1), cplot_(cplot), cpch_(cpch), reader_(reader), tables_(tables), load_(mode == kLoad) {
    if (load_) {
      x_ = std::move(cin.x);
      y_ = std::move(cin.y);
      z_ = std::move(cin.z);
      code_ = std::move(cin.code);
      seg_ = std::move(cin.seg);
      cin.x.clear();
      cin.y.clear();
      cin.z.clear();
      cin.code.clear();
      cin.seg.clear();
    }
  }

  // The grid sets are about to be replaced.
  void set_aside_sets() {
    if (sets_moved_) return;
    value_ = std::move(cin.value);
    gx_ = std::move(cin.gx);
    gy_ = std::move(cin.gy);
    cin.value = {};
    cin.gx.clear();
    cin.gy.clear();
    sets_moved_ = true;
  }

  // True when the load replaced the grid sets.
  bool sets_replaced() const { return sets_moved_; }

  void rollback() {
    if (load_) {
      cin.x = std::move(x_);
      cin.y = std::move(y_);
      cin.z = std::move(z_);
      cin.code = std::move(code_);
      cin.seg = std::move(seg_);
    } else {
      auto n = std::size_t(cin1_.np);
      cin.x.resize(n);
      cin.y.resize(n);
      cin.z.resize(n);
      cin.code.resize(n);
      cin.seg.resize(std::size_t(cin1_.nseg));
    }
    if (sets_moved_) {
      cin.value = std::move(value_);
      cin.gx = std::move(gx_);
      cin.gy = std::move(gy_);
    }
    cin1 = cin1_;
    cplot = cplot_;
    cpch = cpch_;
    reader = reader_;
    tables = tables_;
  }

 private:
  Cin1 cin1_;
  sketra::Cplot cplot_;
  sketra::Cpch cpch_;
  ReaderSettings reader_;
  std::vector<ValueTable> tables_;
  bool load_;
  bool sets_moved_ = false;
  std::vector<float> x_, y_, z_, gx_, gy_;
  std::vector<std::int32_t> code_;
  std::vector<Edge> seg_;
  std::array<std::vector<float>, kMaxSets> value_;
};

// ---- One load in progress ----------------------------------------------------------

struct Load {
  int unit = 3;
  int log = 4;
  std::int32_t p1 = 1;     // first point of the current group
  int keyword = 0;         // the keyword being read (1..19), for messages
  bool failed = false;     // bad input: reject the file
  bool cancelled = false;  // the load dialog was cancelled
  bool finished = false;   // a finishing step has run for this file
  std::string line;        // the parser's line buffer
  Transaction* tx = nullptr;
};

// Where the reading is: "line 4 of survey.txt".
std::string where(const Load& ld) {
  const sketra::LineReader* r = sketra::unit_reader(ld.unit);
  return "line " + std::to_string(r ? r->record() : 0) + " of " + sketra::unit_name(ld.unit);
}

// Rejects the file; the reason goes to the message line and, on a log
// line of its own, to the log.
void reject(Load& ld, const std::string& reason) {
  sketra::unit_new_record(ld.log);
  sketra::grmesg(reason);
  ld.failed = true;
}

void bad_input(Load& ld, const std::string& reason) {
  sketra::unit_write(sketra::kStdoutUnit, " -->error in input file");
  reject(ld, reason);
}

// A reader's verdict: a failure shows its reason and rejects the file.
bool accepted(Load& ld, const FileResult& r) {
  if (r.ok) return true;
  reject(ld, r.message);
  return false;
}

// Reads a keyword's parameters from the rest of its line. No values at all
// keep the defaults, as a "/" does; a value that cannot be read, or a
// number that is not finite, is bad input.
bool params(Load& ld, std::span<const FreeTarget> t) {
  sketra::FreeResult r = sketra::read_free(ld.line, t);
  bool finite = true;
  for (const FreeTarget& v : t) {
    if (auto* d = std::get_if<double*>(&v)) finite = finite && std::isfinite(**d);
    if (auto* f = std::get_if<float*>(&v)) finite = finite && std::isfinite(**f);
  }
  if (r.error || !finite) {
    const std::string_view kw = ld.keyword > 0 ? kUnstructKeywords[std::size_t(ld.keyword - 1)] : "";
    bad_input(ld, "bad value for " + std::string(kw) + " at " + where(ld));
    return false;
  }
  return true;
}

bool column_ok(Load& ld, std::initializer_list<int> cols) {
  for (int c : cols)
    if (c < 1 || c > 64) {
      bad_input(ld, "column " + std::to_string(c) + " is not from 1 to 64 at " + where(ld));
      return false;
    }
  return true;
}

void echo(Load& ld, const std::string& s) { sketra::unit_write(ld.log, s); }

void finish(Load& ld);
void grid(Load& ld);

// "locate": places the next cross-section; fixes the origin at whole
// kilometres below the point when it is not fixed yet.
void locate(Load& ld) {
  double x = 0, y = 0;
  float deg = 0;
  FreeTarget t[] = {&x, &y, &deg};
  if (!params(ld, t)) return;
  if (!reader.lorig) {
    cin1.xorig = std::trunc(x / 1000.0) * 1000.0;
    cin1.yorig = std::trunc(y / 1000.0) * 1000.0;
    reader.lorig = true;
  }
  reader.x0 = float(x - cin1.xorig);
  reader.y0 = float(y - cin1.yorig);
  reader.angle = deg * 0.017453f;
  echo(ld, fmt_f(x, 12, 1) + fmt_f(y, 12, 1) + fmt_f(deg, 7, 1));
}

// A keyword that sets something for the data after it.
void setting_keyword(Load& ld, int k) {
  switch (k) {
    case kw::kMove: {
      FreeTarget t[] = {&reader.xmv, &reader.ymv};
      if (params(ld, t)) echo(ld, fmt_f(reader.xmv, 12, 2) + fmt_f(reader.ymv, 12, 2));
      break;
    }
    case kw::kRotate: {
      FreeTarget t[] = {&reader.arot};
      if (params(ld, t)) echo(ld, fmt_f(reader.arot, 10, 2));
      break;
    }
    case kw::kLocate:
      locate(ld);
      break;
    case kw::kXclip:
    case kw::kYclip:
    case kw::kZclip: {
      float& lo = k == kw::kXclip ? cplot.xmin : k == kw::kYclip ? cplot.ymin : cplot.zmin;
      float& hi = k == kw::kXclip ? cplot.xmax : k == kw::kYclip ? cplot.ymax : cplot.zmax;
      FreeTarget t[] = {&lo, &hi};
      if (!params(ld, t)) break;
      cplot.clip = 1;
      int d = k == kw::kZclip ? 2 : 1;
      echo(ld, fmt_f(lo, 10, d) + fmt_f(hi, 10, d));
      break;
    }
    case kw::kItem: {
      std::string name(cpch.item.trimmed());
      FreeTarget t[] = {TextTarget{&name, 32}};
      if (!params(ld, t)) break;
      cpch.item.set(name);
      echo(ld, "  " + name);
      break;
    }
    case kw::kBoundary:
      echo(ld, "");
      break;
    case kw::kMaxDistance:
    case kw::kMinDistance: {
      float& v = k == kw::kMaxDistance ? reader.distmax : reader.dmean;
      FreeTarget t[] = {&v};
      if (params(ld, t)) echo(ld, fmt_f(v, 10, 2));
      break;
    }
    case kw::kColor: {
      FreeTarget t[] = {&reader.icolor};
      if (!params(ld, t)) break;
      echo(ld, fmt_i(reader.icolor, 4));
      if (reader.icolor > kMaxPointColour) {
        // colour * 100 + symbol must stay a point code.
        reader.icolor = -1;
        accepted(ld, FileResult::failure("color out of range 0 ... 200"));
      }
      break;
    }
    default:
      break;
  }
}

// A keyword followed by data lines.
void data_keyword(Load& ld, int k) {
  switch (k) {
    case kw::kXyz:
    case kw::kXy: {
      PointColumns c;
      FreeTarget t[] = {&c.x, &c.y, &c.z};
      if (!params(ld, t)) break;
      echo(ld, fmt_i(c.x, 3) + fmt_i(c.y, 3) + fmt_i(c.z, 3));
      if (!column_ok(ld, {c.x, c.y, k == kw::kXyz ? c.z : 1})) break;
      c.running_distance = k == kw::kXy;
      accepted(ld, load_points(ld.unit, c, ld.log));
      break;
    }
    case kw::kCs: {
      std::string name;
      float km = 0, dz = 0;
      FreeTarget t[] = {TextTarget{&name, 8}, &km, &dz};
      if (!params(ld, t)) break;
      echo(ld, " '" + sketra::fmt_a(name, 8) + "'" + fmt_f(km, 8, 3) + fmt_f(dz, 8, 2));
      accepted(ld, load_cross_section(ld.unit, km, dz));
      break;
    }
    case kw::kLines:
    case kw::kBedlevel: {
      std::array<int, 4> c{1, 2, 3, 4};
      if (k == kw::kLines) {
        FreeTarget t[] = {&c[0], &c[1], &c[2], &c[3]};
        if (!params(ld, t)) break;
        echo(ld, fmt_i(c[0], 3) + fmt_i(c[1], 3) + fmt_i(c[2], 3) + fmt_i(c[3], 3));
      }
      if (!column_ok(ld, {c[0], c[1], c[2], c[3]})) break;
      accepted(ld, load_lines(ld.unit, c));
      break;
    }
    case kw::kTable: {
      echo(ld, "  " + ld.line.substr(0, std::min<std::size_t>(ld.line.size(), 32)));
      TableParams p;
      FreeTarget t[] = {&p.ix, &p.iy, &p.ax, &p.bx, &p.ay, &p.by};
      if (!params(ld, t) || !column_ok(ld, {p.ix, p.iy})) break;
      accepted(ld, load_table(ld.unit, ld.log, p));
      break;
    }
    case kw::kTriangles:  // "bedlevel", "triangles" and "mesh2d" have no parameters to echo
      load_text_triangles(ld.unit, ld.log);
      break;
    default:  // mesh2d
      accepted(ld, load_mesh2d(ld.unit, sketra::unit_name(ld.unit), ld.log));
      break;
  }
}

// One keyword of the unstruct format (index 1..19) with its data lines.
void keyword(Load& ld, int k) {
  ld.keyword = k;
  bool data = (k >= kw::kXyz && k <= kw::kLines) || k >= kw::kTable;
  if (data)
    data_keyword(ld, k);
  else
    setting_keyword(ld, k);
}

// Keyword mode: keywords and their data until the end of the section.
void keyword_mode(Load& ld) {
  for (;;) {
    int status = 0;
    int k = iicmd(parser, kUnstructKeywords, ld.line, ld.unit, ld.log, status);
    if (parser.aborted || ld.failed) return;
    if (k <= 0) break;
    keyword(ld, k);
    if (ld.failed) return;
  }
  finish(ld);
}

// The plain scan: a line of three numbers starts a point section, four a
// line section; keywords of the unstruct format work as in keyword mode, and
// ">>grid" and ">>unstruct" enter those modes. Scanning goes on after each
// section, so one file may mix sections, keywords and commands.
void plain_scan(Load& ld) {
  std::array<double, 4> v{};
  std::string_view l;
  auto stop = [&] { return ld.failed || parser.aborted || ld.cancelled; };
  // Where a section read nothing (a line like "a1 b2 c3" counts three
  // numbers but holds none): that line goes to the keyword parser instead,
  // so the scan always moves on.
  struct Place {
    int unit;
    std::int64_t record;
    bool operator==(const Place&) const = default;
  };
  auto here = [&] {
    sketra::LineReader* r = sketra::unit_reader(ld.unit);
    return Place{ld.unit, r ? r->record() : -1};
  };
  Place stuck{-1, -1};
  while (!stop()) {
    if (sketra::unit_read(ld.unit, l)) {
      int n = iireal(l, v);
      sketra::unit_backspace(ld.unit);
      Place before = here();
      if ((n == 3 || n == 4) && !(before == stuck)) {
        if (n == 3)
          accepted(ld, load_points(ld.unit, PointColumns{}, ld.log));
        else
          accepted(ld, load_lines(ld.unit, {1, 2, 3, 4}));
        if (here() == before) stuck = before;
        continue;
      }
    }
    int status = kNumericLine;
    int k = iicmd(parser, kScan, ld.line, ld.unit, ld.log, status);
    if (k == -1) {
      // A line of numbers after a comment, or one that is neither points nor lines.
      Place before = here();
      sketra::unit_read(ld.unit, l);
      int n = iireal(l, v);
      if ((n == 3 || n == 4) && !(before == stuck)) {
        sketra::unit_backspace(ld.unit);
        continue;
      }
      std::string rest(l);
      iierr(parser, 2, "keyword unknown> " + rrxwrd(rest), ld.log);
      if (!parser.aborted) iilist(kScan, ld.log);
    } else if (k == kScanGrid) {
      grid(ld);
    } else if (k == kScanUnstruct) {
      keyword_mode(ld);
    } else if (k > 0) {
      keyword(ld, k);
    } else {
      break;
    }
  }
  if (!stop()) finish(ld);
}

// Grid files: one set replaces the set list; then the scan goes on.
void grid(Load& ld) {
  sketra::grmesg("reading grid file");
  GridBlock g = iigrid(parser, ld.unit, ld.log, cin1.maxp);
  if (!g.error.empty()) {
    reject(ld, g.error);
    return;
  }
  if (parser.aborted) return;
  const std::int64_t nodes = std::int64_t(g.nx) * g.ny;
  if (g.read < nodes)
    sketra::grmesg("grid of" + fmt_i(nodes, 10) + " nodes, values for" + fmt_i(g.read, 10) + " given");
  ld.tx->set_aside_sets();
  cin.value[0] = std::move(g.values);
  cin1.geometry = {};
  // The corner is kept relative to the store origin like every coordinate:
  // a grid read into an empty store fixes the origin at its first node, and a
  // grid added to a store with points is placed relative to their origin.
  // Survey corners such as 2600128.0 would otherwise lose up to 0.125 m in
  // single precision, and points added later would be shifted against it.
  fix_store_origin(g.x0, g.y0);
  GridGeometry& s = cin1.set(1);
  s.x0 = float(g.x0 - cin1.xorig);
  s.y0 = float(g.y0 - cin1.yorig);
  s.dx = g.dx;
  s.dy = g.dy;
  s.nx = g.nx;
  s.ny = g.ny;
  s.angle = 0;
  for (auto& n : cpch.set_name) n.clear();
  cpch.set_name[0].set(g.name);  // a grid written by korvel gets its name back
  cplot.nodata = kEmptyValue;  // the reader turned the file's NODATA value into it
  cplot.nsets = 1;
  store_grid_nodes(1);
}

// Store point i after the move, rotation and z scaling of `r`.
struct MovedPoint {
  float x, y, z;
};
MovedPoint moved(const ReaderSettings& r, std::size_t i) {
  MovedPoint m{cin.x[i], cin.y[i], cin.z[i]};
  if (std::fabs(double(r.arot) + r.xmv + r.ymv) > 0.001) {
    const double a = double(r.arot) * 0.017453;
    const double c = std::cos(a), s = std::sin(a);
    const double X = double(m.x) + cin1.xorig, Y = double(m.y) + cin1.yorig;
    m.x = float(X * c + Y * s - cin1.xorig + r.xmv);
    m.y = float(Y * c - X * s - cin1.yorig + r.ymv);
  }
  if (std::fabs(r.zfac - 1.0f + r.zmv) > 1.0f) m.z = r.zfac * m.z + r.zmv;
  return m;
}

// True when the move, rotation and z scaling of `r` keep the points from
// index `from` on within the range of numbers.
bool stays_finite(const ReaderSettings& r, std::size_t from) {
  for (std::size_t i = from; i < std::size_t(cin1.np); ++i) {
    const MovedPoint m = moved(r, i);
    if (!std::isfinite(m.x) || !std::isfinite(m.y) || !std::isfinite(m.z)) return false;
  }
  return true;
}

// The load dialog for the points from index `from` on; false when it was
// cancelled or a field did not read. A colour or symbol outside its range
// is refused with a message and the dialog asked again, so that colour *
// 100 + symbol stays a point code; so is a move, rotation or z factor that
// would take a point beyond the range of numbers.
bool load_dialog(std::size_t from) {
  std::string prompts[] = {"X-Move", "Y-Move", "Z-Move", "Rotate", "ZFactor", "Color", "Node symbol", "Nodata value"};
  std::string values[] = {fmt_f(reader.xmv, 12, 3), fmt_f(reader.ymv, 12, 3), fmt_f(reader.zmv, 12, 3),
                          fmt_f(reader.arot, 12, 3), fmt_f(reader.zfac, 12, 3), fmt_i(reader.icol / 100, 3),
                          fmt_i(reader.isymb, 3),   fmt_f(cplot.zmin, 12, 0)};
  for (;;) {
    const bool applied = sketra::grinfo(prompts, values);
    for (std::size_t i = 0; i < 8; ++i) cpch.dialog[i].set(values[i]);
    if (!applied) return false;
    ReaderSettings r = reader;
    float zmin = cplot.zmin;
    int color = r.icol / 100;
    FreeTarget t[] = {&r.xmv, &r.ymv, &r.zmv, &r.arot, &r.zfac, &color, &r.isymb, &zmin};
    for (std::size_t i = 0; i < 8; ++i) {
      sketra::FreeResult f = sketra::read_free(values[i], std::span<const FreeTarget>(&t[i], 1));
      if (f.error || (!f.slash && f.filled == 0)) return false;
    }
    if (color < 0 || color > kMaxPointColour || r.isymb < 0 || r.isymb > kMaxPointSymbol) {
      sketra::grmesg("Color must be 0 ... 200 and Node symbol 0 ... 99");
      continue;
    }
    if (!stays_finite(r, from)) {
      sketra::grmesg("Move, Rotate and ZFactor take the points beyond the range of numbers");
      continue;
    }
    r.icol = color * 100;
    reader = r;
    cplot.zmin = zmin;
    cplot.clip = cplot.zmin > -99998.0f ? 1 : 0;
    return true;
  }
}

// The finishing step of a section group: codes, shift, rotation, z scaling
// of the points p1..np.
void finish(Load& ld) {
  if (cin1.np == 0) return;
  if (reader.nl > 0) {  // value tables go to the section viewer as they are
    view_tables();
    return;
  }
  auto from = std::size_t(std::max(ld.p1, 1) - 1), to = std::size_t(cin1.np);
  // A later section of the same file that brought no points (a grid after
  // an unstruct section) has nothing to finish: the dialog is not asked again.
  if (ld.finished && from >= to) return;
  ld.finished = true;
  if (reader.icolor < 0) {
    if (!load_dialog(from)) {
      ld.cancelled = true;
      reader.icolor = -1;
      return;
    }
  } else {
    reader.icol = reader.icolor * 100;
    if (!stays_finite(reader, from)) {
      reader.icolor = -1;
      reject(ld, "move and rotate take the points beyond the range of numbers");
      return;
    }
  }
  reader.icolor = -1;
  std::fill(cin.code.begin() + std::ptrdiff_t(from), cin.code.begin() + std::ptrdiff_t(to), reader.isymb + reader.icol);
  for (std::size_t i = from; i < to; ++i) {
    const MovedPoint m = moved(reader, i);
    cin.x[i] = m.x, cin.y[i] = m.y, cin.z[i] = m.z;
  }
  ld.p1 = cin1.np + 1;
}

// Keeps the grid sets at their absolute place when a load moved the store
// origin from (ox, oy): their corners and nodes are relative to it.
void keep_sets_in_place(double ox, double oy) {
  if (cplot.nsets <= 0 || (ox == cin1.xorig && oy == cin1.yorig)) return;
  const double dx = ox - cin1.xorig, dy = oy - cin1.yorig;
  for (int k = 1; k <= std::min(cplot.nsets, kMaxSets); ++k) {
    GridGeometry& g = cin1.set(k);
    g.x0 = float(double(g.x0) + dx);
    g.y0 = float(double(g.y0) + dy);
  }
  for (float& x : cin.gx) x = float(double(x) + dx);
  for (float& y : cin.gy) y = float(double(y) + dy);
}

// Hands the store origin to the graphics library, which draws everything
// relative to it. It goes over in double precision: a single-precision copy
// of a survey origin such as 2600247.89 would be off by a decimetre.
void publish_origin() {
  published_origin.x = cin1.xorig;
  published_origin.y = cin1.yorig;
  ++published_origin.count;
  sketra::grvalu8("XORGR", cin1.xorig);
  sketra::grvalu8("YORGR", cin1.yorig);
}

// Whether the line that ended a keyword section is a ">>grid" or
// ">>unstruct" command: the file goes on with another section, which the
// plain scan reads. A ">>" alone or the end of the file ends the file.
bool next_is_section_command(Load& ld) {
  if (ld.failed || ld.cancelled || parser.aborted || reader.nl > 0) return false;
  std::string_view l;
  if (!sketra::unit_read(ld.unit, l)) return false;
  sketra::unit_backspace(ld.unit);
  std::string rest(l);
  const std::string word = rrwrd(rest);
  return std::find(std::begin(kFirstLineCommands), std::end(kFirstLineCommands), word) != std::end(kFirstLineCommands);
}

// Reads the open file into the store; the format decided by its first line
// and its suffix (file_kind.h).
void dispatch(Load& ld, const std::string& name) {
  const std::string sfx = ccsfx(name);
  if (kind_by_suffix(sfx) == FileKind::shapefile) {
    sketra::unit_close(ld.unit);
    if (accepted(ld, load_shapefile(name, ld.log))) finish(ld);
    return;
  }
  cpch.last_file.set(name);
  int status = kQuietUnknown;
  const int command = iicmd(parser, kFirstLineCommands, ld.line, ld.unit, ld.log, status);
  if (command == 0) sketra::unit_rewind(ld.unit);
  switch (file_kind(command, sfx)) {
    case FileKind::unstruct:
      keyword_mode(ld);
      if (next_is_section_command(ld)) plain_scan(ld);
      break;
    case FileKind::grid:
      grid(ld);
      if (!ld.failed && !parser.aborted) plain_scan(ld);
      break;
    case FileKind::node:
    case FileKind::hole:
      accepted(ld, load_node_file(ld.unit, name, sfx == "node", ld.log));
      break;
    case FileKind::dxf:
      accepted(ld, load_dxf(ld.unit, name, ld.log));
      break;
    case FileKind::text_triangles:
      load_text_triangles(ld.unit, ld.log);
      keyword_mode(ld);
      break;
    case FileKind::mesh2dm:
      if (accepted(ld, load_mesh2d(ld.unit, name, ld.log))) finish(ld);
      break;
    case FileKind::blt:
      accepted(ld, load_blt(ld.unit, name));
      break;
    default:
      plain_scan(ld);
      break;
  }
}

// Closes what the file left open and clears the parser's per-file state.
void close_input(Load& ld) {
  sketra::unit_close(ld.unit);
  for (int u = parser.nfinc; u <= kLastIncludeUnit; ++u) sketra::unit_close(u);
  ld.unit = cunit.data;
}

}  // namespace

void parser_reset() { parser = ParserState{}; }

void loader_reset() {
  reader = ReaderSettings{};
  last_mesh_points = MeshPoints{};
  tables.clear();
  published_origin = PublishedOrigin{};
}

LoadOutcome load(int mode) { return load_named(mode, std::string(cpch.file_name.trimmed()), false); }

LoadOutcome load_named(int mode, std::string name, bool as_given) {
  std::string filter(cpch.file_filter.trimmed());
  if (!sketra::gropn(name, filter, cunit.data, as_given)) return LoadOutcome::nothing;
  cpch.file_name.set(name);
  cpch.file_filter.set(filter);

  Transaction tx(mode);
  const MeshPoints mesh_before = last_mesh_points;
  const double xorig = cin1.xorig, yorig = cin1.yorig;
  if (mode == kLoad) {
    cin1.np = cin1.nseg = 0;
    reader.ncs = reader.nl = 0;
    reader.lorig = false;
    tables.clear();
    cin1.xorig = cin1.yorig = 0.0;
  }
  Load ld;
  ld.unit = cunit.data;
  ld.log = cunit.log;
  ld.p1 = cin1.np + 1;
  ld.tx = &tx;
  cpch.item.set("unknown");
  parser.aborted = false;

  dispatch(ld, name);
  close_input(ld);
  cpch.file_name.clear();

  bool rejected = ld.failed || parser.aborted;
  if (!rejected) {
    if (sketra::igrerr(0, "", ld.log) == 1 && sketra::dialogs.summary_errors > 0) rejected = true;
  }
  const bool aborted = parser.aborted;
  if (const int errors = iierr(parser, 0, "", ld.log); errors > 0) {
    rejected = true;
    // The boxes are in the log; the message line says how many.
    if (!ld.failed)
      reject(ld, (aborted ? "reading ended at error" : "errors in the file:") + fmt_i(errors, 4) + ", see outp");
  }
  sketra::unit_flush(ld.log);
  if (rejected) {
    sketra::unit_new_record(ld.log);
    parser.level = 0;
    parser.ncall = 0;
    parser.nlab = 0;
    parser.aborted = false;
    tx.rollback();
    last_mesh_points = mesh_before;
    sketra::grmesg("load failed: " + name);
    publish_origin();
    return LoadOutcome::rejected;
  }
  if (!tx.sets_replaced()) keep_sets_in_place(xorig, yorig);
  publish_origin();
  return ld.cancelled ? LoadOutcome::cancelled : LoadOutcome::loaded;
}

}  // namespace korvel
