#pragma once
// Merging the filled pieces of a Polygon hard copy into one polygon (with
// holes) per fill colour. Internal to the shapefile device.
//
// A filled view arrives as many small pieces (cells, cell triangles cut at
// class levels) that tile the classes. The merger keeps, per colour, only
// the edges no other piece of that colour has run along the other way:
// the boundary of the union. It streams: an edge met from both sides is
// dropped as soon as the second side arrives, so memory follows the length
// of the boundaries, not the number of pieces. The pieces themselves go to
// a spool file beside the target so that a colour that cannot be merged
// cleanly is written piece by piece as before.
//
// At the end, per colour: vertices lying inside another boundary edge (a
// cell filled whole next to a cell cut at a level; exactly on it, or
// failing that within a few roundings) split that edge, edges
// cancel again, the boundary must be free of crossings and overlaps, the
// edges are chained into rings (at a vertex with several ways on, the one
// turning most to the left, so that rings only touch there), rings with
// positive area are outer rings and the others holes, every hole is put
// into the smallest outer ring around it (a strip index over the edges),
// and the area of the rings must equal the area of the pieces. A colour
// failing any of these, or drawn as a single piece, falls back to its
// pieces.

#include <array>
#include <cstdint>
#include <cstdio>
#include <functional>
#include <map>
#include <set>
#include <span>
#include <string>
#include <vector>

namespace sketra::detail {

// One merged colour: rings of world co-ordinates (relative to the plot
// origin), outer rings clockwise each followed by its holes
// (counter-clockwise), every ring closed by repeating its first vertex.
struct MergedPolygon {
  std::vector<double> x, y;
  std::vector<int> part_start;  // index of each ring's first vertex
};

// A directed edge between two vertices given by the bits of their float
// co-ordinates.
struct MergeEdge {
  std::uint64_t a = 0, b = 0;
  int colour = 0;
  std::uint32_t stamp = 0;  // when it was added (see OpenEdges)
};

// Open-addressing set of directed edges in which adding b-a removes a-b.
class EdgeTable {
 public:
  enum class Added { inserted, cancelled, duplicate, absent };
  // Removes b-a when present (cancelled); a-b present is a duplicate;
  // otherwise adds a-b (inserted), or with `insert` false only says absent.
  Added toggle(std::uint64_t a, std::uint64_t b, int colour, bool insert = true, std::uint32_t stamp = 0);
  std::size_t size() const { return count_; }
  void clear();
  // Empties the table but keeps its room.
  void empty_out();
  // Room for n edges without growing.
  void reserve(std::size_t n);
  // The edges left, in no particular order.
  std::vector<MergeEdge> edges() const;
  void edges(std::vector<MergeEdge>& out) const;

 private:
  std::size_t home(const MergeEdge& e) const;
  void grow();

  std::vector<MergeEdge> slots_;  // a == b marks a free slot
  int shift_ = 64;                // 64 - log2(slots)
  std::size_t count_ = 0;
};

// The open edges of a stream of pieces in two tables: those added lately,
// among which the partner of an edge nearly always turns up (pieces come
// row by row), and the older ones, mostly final boundary, with a bit
// filter that spares most look-ups there. The lately added table stays
// small enough for the processor's cache.
class OpenEdges {
 public:
  EdgeTable::Added toggle(const MergeEdge& e);
  std::size_t size() const { return hot_.size() + cold_.size(); }
  std::vector<MergeEdge> edges() const;
  void clear();

 private:
  void age();  // moves the edges older than kHotSpan additions to cold_
  bool maybe_cold(const MergeEdge& e) const;
  void mark_cold(const MergeEdge& e);

  static constexpr std::uint32_t kHotSpan = 16384;
  EdgeTable hot_, cold_;
  std::vector<MergeEdge> aging_;  // room for age()
  std::vector<std::uint64_t> filter_;  // bits over cold_ (a power of two of them)
  std::uint32_t now_ = 0;
};

class PieceMerger {
 public:
  using WriteMerged = std::function<bool(int colour, const MergedPolygon&)>;
  using WritePiece = std::function<bool(std::span<const float> x, std::span<const float> y, int colour)>;

  // Pieces are spooled to `spool` (created here, removed on destruction).
  explicit PieceMerger(std::string spool);
  PieceMerger(const PieceMerger&) = delete;
  PieceMerger& operator=(const PieceMerger&) = delete;
  ~PieceMerger();

  // Adds one filled polygon; false when the spool cannot be written.
  bool add(std::span<const float> x, std::span<const float> y, int colour);

  // Writes every merged colour (ascending), then the pieces of the colours
  // that were not merged in drawing order. False when a writer returned
  // false or the spool could not be read back.
  bool finish(const WriteMerged& merged, const WritePiece& piece);

  // Open boundary edges kept at most; beyond that nothing is merged.
  static constexpr std::size_t kEdgeLimit = 1000000;

 private:
  struct ClassTotals {
    std::int64_t pieces = 0;
    double area = 0;      // sum of the pieces' areas
    bool broken = false;  // with pieces that cannot be merged
  };
  ClassTotals& totals_of(int colour);  // the last colour's without a look-up
  bool merge_class(std::span<MergeEdge> edges, const ClassTotals& totals, MergedPolygon& out) const;
  bool merge_class(std::span<MergeEdge> edges, const ClassTotals& totals, double ulps, MergedPolygon& out) const;
  static constexpr double kSplitUlps = 16;  // how near an edge a vertex splits it
  bool replay(const std::set<int>& colours, const WritePiece& piece);
  bool flush_spool();  // false once a spool write failed
  // Edges pass a few places of staging (oldest out first) before the
  // table: neighbouring pieces drawn one after the other cancel there
  // without a table look-up.
  void stage(const MergeEdge& e);
  void unstage();

  static constexpr std::size_t kSpoolBlock = 1 << 20;  // bytes gathered per write

  std::string spool_path_;
  std::FILE* spool_ = nullptr;
  bool spool_failed_ = false;
  bool merging_ = true;
  OpenEdges open_;
  std::map<int, ClassTotals> classes_;
  int last_colour_ = 0;
  ClassTotals* last_totals_ = nullptr;  // of last_colour_ (map entries stay put)
  std::vector<std::uint64_t> keys_;  // vertices of the piece being added
  std::vector<char> spooled_;        // pieces not yet written to the spool
  std::array<MergeEdge, 16> stage_;  // a power of two
  std::size_t first_staged_ = 0, staged_ = 0;
  std::array<std::uint8_t, 64> stage_slots_{};  // staged edges per slot (stage_slot): most look-ups end there
};

}  // namespace sketra::detail
