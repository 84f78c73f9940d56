#pragma once
// meshgen: a quality triangular mesh generator with Triangle's command line
// and file family (.node, .poly, .ele, .area), built on CGAL's constrained
// Delaunay triangulation and Delaunay mesher.
//
//   meshgen -pq30a12.5 river     reads river.node/river.poly, writes
//                                river.1.node, river.1.ele, river.1.poly
//
// The pieces are usable on their own: parse the switches, read the input
// files, generate the mesh, write it. `run_meshgen` strings them together
// the way the command does. Everything here reports bad input through an
// `Error` naming the file and line; nothing calls exit.
//
// Indices in memory are 0-based everywhere (vertices, segments, triangles);
// the number written for index i is first_number + i.

#include <array>
#include <cstddef>
#include <filesystem>
#include <iosfwd>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace meshgen {

// ---- Switches ---------------------------------------------------------------

// The largest minimum angle meshgen asks of CGAL's mesher: the bound up to
// which its termination is proven (sin² θ = 0.125, θ = 20.7°). Larger `q`
// angles are clamped to it, because above it the mesher may never finish.
inline constexpr double kMaxMinAngle = 20.7;

struct Options {
  bool poly = false;             // p: read <base>.poly
  bool convex_hull = false;      // c: mesh the convex hull
  bool quality = false;          // q: minimum angle
  double min_angle = 20.0;       // degrees, already clamped to kMaxMinAngle
  bool angle_clamped = false;    // the q angle asked for was above the cap
  bool area = false;             // a: some area limit is in force
  double max_area = 0.0;         // a<area>: global limit, 0 when none
  bool area_file = false;        // bare a with r: limits from <base>.area
  bool region_areas = false;     // bare a without r: limits of .poly regions
  bool refine = false;           // r: refine <base>.node/.ele
  bool regional_attributes = false;  // A
  bool edges = false;            // e: write <out>.edge
  bool neighbours = false;       // n: write <out>.neigh
  bool zero_based = false;       // z: number output from 0
  bool quiet = false;            // Q
  bool verbose = false;          // V
};

// Reads one switch word (without its leading "-"). Letters that are not
// known are skipped together with any number that follows them.
Options parse_switches(std::string_view word);

// The base name of the output files: "river" -> "river.1", "river.9" ->
// "river.10", "a.b" -> "a.b.1".
std::string next_name(std::string_view base);

// The base name without a trailing ".node", ".poly", ".ele" or ".area".
std::string strip_suffix(std::string_view name);

// The help text: command line and switches.
std::string usage_text();

// ---- Data read and written ------------------------------------------------

struct Error {
  std::string file;  // file name as given; empty for errors of no file
  long line = 0;     // 1-based line, 0 when the error has no line
  std::string message;
  // "file:line: message", "file: message" or "message".
  std::string text() const;
};
using Failure = std::optional<Error>;

struct Vertices {
  int first_number = 1;        // number of the first vertex in its file
  int nattr = 0;               // attributes per vertex
  std::vector<double> xy;      // x0, y0, x1, y1, ...
  std::vector<double> attr;    // nattr values per vertex
  std::vector<int> marker;     // boundary marker, 0 when the file had none
  std::size_t size() const { return marker.size(); }
  double x(std::size_t i) const { return xy[2 * i]; }
  double y(std::size_t i) const { return xy[2 * i + 1]; }
};

struct Segment {
  int a = 0, b = 0;  // vertex indices
  int marker = 0;
};

struct Region {
  double x = 0, y = 0;
  double attribute = 0;
  double max_area = -1;  // <= 0: no limit
};

struct Pslg {
  Vertices vertices;
  std::vector<Segment> segments;
  std::vector<std::array<double, 2>> holes;
  std::vector<Region> regions;
};

using Triangle = std::array<int, 3>;  // vertex indices

// ---- Reading ---------------------------------------------------------------
// Files are read whole; '#' starts a comment anywhere on a line. Counts are
// checked against the records found, vertex numbers must follow on from the
// first one (0 or 1), reals must be finite and positions distinct.

Failure read_node(const std::filesystem::path& path, Vertices& out);

// Reads a .poly file. When its vertex count is 0 the vertices come from
// `node_path`, read here, unless `have_vertices` says `out.vertices` already
// holds them (refinement); a .poly with vertices of its own is refused then.
Failure read_poly(const std::filesystem::path& path, const std::filesystem::path& node_path,
                  bool have_vertices, Pslg& out);

// Reads a .ele file whose corners name vertices of `v`.
Failure read_ele(const std::filesystem::path& path, const Vertices& v, std::vector<Triangle>& out);

// Reads a .area file of `elements` limits (<= 0 meaning none).
Failure read_area(const std::filesystem::path& path, std::size_t elements, std::vector<double>& out);

// ---- Meshing ----------------------------------------------------------------

struct Mesh {
  Vertices vertices;                // the input vertices first, then new ones
  std::vector<Triangle> triangles;  // counter-clockwise
  std::vector<double> triangle_attr;       // one per triangle with A
  std::vector<Segment> segments;           // constrained and boundary edges
  std::vector<Segment> edges;              // every edge, with e
  std::vector<std::array<int, 3>> neighbours;  // with n; -1 for none
};

struct Statistics {
  std::size_t input_vertices = 0, input_segments = 0, input_triangles = 0;
  std::size_t steiner_points = 0;
  double min_angle = 0, max_angle = 0;  // degrees
  double min_area = 0, max_area = 0;
  double seconds_triangulate = 0, seconds_refine = 0;
};

// Triangulates `in` (the input vertices, segments, holes, regions) and
// refines it as `opt` asks. With `opt.refine`, `old` holds the elements of
// the mesh being refined and `limits` their area limits (empty: none): the
// domain is then the union of the old elements. `source` names the input for
// messages.
Failure generate_mesh(const Pslg& in, const std::vector<Triangle>& old,
                      const std::vector<double>& limits, const Options& opt,
                      const std::string& source, Mesh& out, Statistics& stats);

// ---- Writing ----------------------------------------------------------------

// Writes <base>.node, .ele, .poly (and .edge, .neigh when asked) with full
// round-trip precision. Every file goes to a temporary name beside it first;
// only when all are written are they renamed, so a failure leaves nothing.
// `holes` are copied to the .poly.
Failure write_mesh(const std::string& base, const Mesh& mesh,
                   const std::vector<std::array<double, 2>>& holes, const Options& opt);

// ---- The command --------------------------------------------------------

// Runs the command with its arguments (without the program name): progress
// and statistics to `out`, errors as one line each to `err`. Returns the
// exit status: 0 done, 1 bad input or failure.
int run_meshgen(const std::vector<std::string>& args, std::ostream& out, std::ostream& err);

}  // namespace meshgen
