#pragma once
// The entities of a DXF drawing (internal to the DXF reader): the record in
// hand, the state that links records (LINE chains, the POLYLINE whose
// VERTEX records follow), and the vertices each entity gives.

#include <cstdint>
#include <string_view>
#include <vector>

#include "app/formats/dxf.h"

namespace korvel::dxf {

struct Vec3 {
  double x = 0;
  double y = 0;
  double z = 0;
};

enum class Kind : std::int8_t {
  none,  // not an entity the reader takes
  point,
  insert,
  line,
  vertex,
  seqend,
  lwpolyline,
  hatch,
  polyline,
  circle,
  arc,
  face,
  mtext,
};

// The entity kind of a group-0 name; Kind::none for names the reader does not take.
Kind entity_kind(std::string_view name);

// Appends vertices to the drawing up to the capacity and counts the rest.
class Sink {
 public:
  Sink(DxfDrawing& out, std::int64_t capacity, int log) : out_(out), capacity_(capacity), log_(log) {}
  void add(const Vec3& p, std::int8_t kind);
  // Index of the vertex added last; -1 when none.
  std::int64_t last() const { return std::int64_t(out_.x.size()) - 1; }
  const DxfDrawing& drawing() const { return out_; }

 private:
  DxfDrawing& out_;
  std::int64_t capacity_;
  int log_;
  bool million_ = false;
};

// A boundary path of a HATCH, as read.
struct HatchPath {
  std::vector<Vec3> v;  // z unused
};

// The HATCH in hand: its elevation, its boundary paths and the edge being read.
struct Hatch {
  int stage = 0;          // 0 before the paths (group 91), 1 in them, 2 after
  double elevation = 0;   // z of the elevation point
  bool polyline = false;  // the current path is a polyline path
  int edge = 0;           // type of the edge being read: 1 line, 2 arc, 3 ellipse, 4 spline
  Vec3 a, b;              // edge: start or centre (10/20); end or major axis (11/21)
  double r = 0;           // arc radius or ellipse axis ratio
  double a0 = 0, a1 = 0;  // start and end angle, degrees
  bool ccw = true;
  std::vector<HatchPath> paths;
};

// The entity in hand and the links between entities.
class EntityReader {
 public:
  EntityReader(Sink& sink, double sfac, bool circles) : sink_(sink), sfac_(sfac), circles_(circles) {}

  // Starts a new record; `skip` for records inside block definitions.
  // `chosen`: whether the record counts as on a chosen layer until its
  // group 8 says otherwise (a VERTEX without one goes with its POLYLINE).
  void begin(Kind kind, bool skip, bool chosen);
  // One group of the record in hand (not group 0 or 8); false when its
  // value should be a number and is not.
  bool group(int code, std::string_view value);
  // The layer of the record in hand is chosen or not.
  void choose(bool chosen) { chosen_ = chosen; }
  // Ends the record in hand, emitting its vertices when it is taken.
  // Returns 1 when an entity was passed over (block or paper space), else 0.
  int end();
  // Drops the record in hand unread; true when it was an entity.
  bool drop();

  bool active() const { return kind_ != Kind::none; }
  bool skipping() const { return skip_; }

 private:
  bool number(std::string_view value, double& v) const;
  bool hatch_group(int code, double v);
  void hatch_edge_done();
  void emit_line();
  void emit_vertex();
  void emit_closed(const std::vector<Vec3>& v, double z, bool closed);
  void emit_arc(const Vec3& c, double r, double a0, double sweep, int n);
  void emit_face();
  void emit_hatch();
  void start_polyline();
  void finish_polyline();
  void reset();

  Sink& sink_;
  double sfac_;
  bool circles_;

  // The record in hand.
  Kind kind_ = Kind::none;
  bool skip_ = false;
  bool chosen_ = true;
  bool paper_ = false;
  std::vector<Vec3> pts_;  // group 10 triples
  Vec3 p_[4];              // groups 11, 12, 13 in p_[1..3]
  bool have_[4] = {};
  double radius_ = 0, start_ = 0, end_ = 0, elevation_ = 0;
  int flags_ = 0;
  Hatch hatch_;

  // Links between records.
  std::int64_t line_end_ = -2;  // vertex index of the last LINE's end
  Vec3 line_end_at_;
  bool first_vertex_ = true;   // the next VERTEX starts a line
  bool skip_vertices_ = false; // the POLYLINE in hand is passed over
  struct Polyline {
    bool open = false;  // a POLYLINE is in hand
    bool taken = true;  // on a chosen layer
    bool closed = false;
    bool flat = true;   // 2-D: vertices take the elevation
    double elevation = 0;
    std::int64_t first = -1;  // vertex index of its first vertex
    std::int64_t last = -1;   // vertex index of its last vertex
    int count = 0;
  } poly_;
};

}  // namespace korvel::dxf
