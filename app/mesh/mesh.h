#pragma once
// The mesh store and the Mesh menu.
//
// korvel holds one unstructured triangular mesh at a time, apart from the
// point store: `mod_mesh` keeps its nodes (relative to the first node
// read), its triangles and its boundary segments, under the base name of
// its TRIANGLE files ("river" for river.node, river.poly, river.ele).
// Nothing here reads or writes the point store.
//
// The Mesh menu (`mesh`) opens a mesh, runs the mesh generator on it
// (Mesh, Remesh), refines it from the wave file "wave.xyz", shows it in the
// surface viewer and reports its counts. The generator is a separate
// program with Triangle's switches and files: "meshgen" beside korvel's
// executable, or the program named by the environment variable
// KORVEL_TRIANGLE. It is run with an argument vector, never through a
// shell:
//
//   meshgen -pQrqa32.00 river   reads river.node, river.poly, river.ele,
//                               writes river.1.node, river.1.ele, river.1.poly
//
// A mesh is always read whole before it replaces the one held: a file that
// does not read, a generator that fails or writes nothing leaves the mesh,
// its name and the iteration count as they were, and says why on the
// message line.

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "app/formats/format_io.h"
#include "app/formats/geometry.h"

namespace korvel {

// The mesh. Node k (1-based, as the files count) is element k-1 of the
// node columns; element e is iele[e-1], three 1-based node numbers; segment s joins isegm[2(s-1)] and isegm[2(s-1)+1].
struct MeshStore {
  std::string mesh_name;       // base name of the mesh files; empty when none
  std::string mesh_old;        // the name before the last generation
  std::int32_t i_mesh = 0;     // meshes generated since the last Open
  std::int32_t node = 0;       // nodes
  std::int32_t nele = 0;       // triangles
  std::int32_t nsegm = 0;      // boundary segments
  std::int32_t natt = 0;       // attributes per node in the node file
  double xnorig = 0;           // the first node read: the origin of xn, yn
  double ynorig = 0;
  std::vector<float> xn, yn;   // node co-ordinates minus the origin
  std::vector<float> zn;       // node value: the first attribute, or 0
  std::vector<Triangle> iele;       // nele triangles
  std::vector<float> xord;          // nele: the surface viewer's sort keys
  std::vector<std::int32_t> iord;   // nele: and its element order
  std::vector<std::int32_t> isegm;  // 2 * nsegm ends
};
extern MeshStore mod_mesh;

// The Mesh menu's settings, kept for the life of the process.
struct MeshSettings {
  int lqual = 1;        // Quality switch
  int larea = 1;        // Area-limit switch
  float armax = 32.0f;  // area limit (m2) of Mesh; the first area of Refine
  float armin = 1.0f;   // smallest area (m2) of Refine
  float dt = 0.1f;      // time step (s) of Refine
  float cfl = 0.6f;     // Courant number of Refine (set again by every Refine)
  float rfac = 2.0f;    // refine factor (set again by every Refine)
  std::string line;     // the last generator command, as written to the log
};
extern MeshSettings mesh_settings;

// No mesh, the settings of a fresh start (app_reset calls it).
void mesh_reset();

// ---- Reading ------------------------------------------------------------------

// Which files of a mesh may be read: by default all that exist. After a
// generator run only those the run wrote count.
using FileFilter = std::function<bool(const std::string& file)>;

// Reads the mesh `base`.node (required), `base`.poly and `base`.ele (when
// present and passing `usable`) into `out`, which is emptied first; its
// name becomes `base`. Node numbers in the poly and ele files follow the
// node file's numbering (from 1, or from 0 when its first node says so)
// and must name nodes it has. Fails, naming the file and the line, when a
// file does not read, the node file holds no nodes, the poly file lists
// vertices of its own ("expecting nodes on node file"), or an element line
// is short or names a node outside the node file. Progress: "reading
// nodes", "reading elements".
FileResult read_mesh(const std::string& base, MeshStore& out, Progress& progress, const FileFilter& usable = {});

// Replaces the mesh held by `fresh`, keeping the iteration count and the
// previous name.
void mesh_commit(MeshStore&& fresh);

// The Open and re-read of the menu: the node file of the current name, or
// when that does not exist a node file chosen in the file dialog (an empty
// answer changes nothing). A mesh that reads replaces the held one and
// "found" + count + " elements" is shown when it has elements; otherwise
// the reason is shown and the mesh stays. True when a mesh was read.
bool mesh_read();

// The base name of the next generated mesh, as the generator names its
// output: "river" -> "river.1", "river.9" -> "river.10", "a.b" -> "a.b.1".
std::string mesh_next(const std::string& base);

// ---- The generator ------------------------------------------------------------

// The generator's program: KORVEL_TRIANGLE when set and not blank, else
// "meshgen" in the directory of the running executable.
std::string mesher_program();

// Runs the generator with the switch word `switches` ("-pQrq...") on the
// current mesh and reads the mesh it wrote under the next name. It counts
// as written only when the generator exits with status 0 and the node and
// element files of the next name were (re)written by this run. On success
// the new mesh replaces the held one, mesh_old is the former name and
// i_mesh counts one up; otherwise "*** Trouble running " ... is shown and
// the mesh stays as it was. True on success.
bool mesh_generate(const std::string& switches);

// ---- Entries ------------------------------------------------------------------

// The six 32-character cells of the Mesh menu: Open, Mesh (Remesh when
// elements exist; enabled with nodes), Refine and Show (with elements),
// Info (with nodes), ??.
std::vector<std::string> mesh_menu_cells();

// What a menu choice does (1..6; anything else, or a disabled entry,
// nothing).
void mesh_action(int choice);

// Mesh / Remesh: the form of switches and area limit, then the generator.
void mesh_remesh();

// Refine: repeated generator runs with area limits from "wave.xyz".
void mesh_refine();

// The surface viewer with the mesh; the plot origin is restored afterwards.
void mesh_show();

// The five lines of Info, and their page.
std::vector<std::string> mesh_info_lines();
void mesh_info();

// The help page of the menu (five lines of 64 characters).
std::vector<std::string> mesh_help_text();

// The Mesh menu: a pull-down under entry 5 of the main menu bar.
void mesh();

// ---- Refine -------------------------------------------------------------------

// Whether point (px, py) lies in the bounding box of the triangle
// (x1, y1), (x2, y2), (x3, y3): -1 when the box lies right of the point, -2
// when it lies left of it, 0 when the point is outside the box's y range or
// the triangle is degenerate (twice its area at most 1e-8), 1 otherwise.
std::int32_t iitri2(float x1, float y1, float x2, float y2, float x3, float y3, float px, float py);

// Wave points in absolute co-ordinates, ordered by x, with their
// admissible element area (m2).
struct WavePoints {
  std::vector<double> x, y;
  std::vector<float> area;
};

// Reads the wave file (x, y absolute, celerity u in m/s per line, until the
// end or the first line that does not read). Every point with u > 0.01
// gives an area (u dt / cfl)^2 and four companions at (+h,+h), (-h,-h),
// (+h,-h), (-h,+h), h = sqrt(armin)/2; all are then ordered by x. False
// when the file cannot be opened.
bool read_wave_points(const std::string& name, float dt, float cfl, float armin, WavePoints& out);

// The area limit of each element of `m` for the target area `arnew`: -1
// (none) unless a wave point lies in the element's bounding box (iitri2),
// and arnew when 1.5 times the largest admissible area of those points is
// at most arnew. Cost: a sort of the elements by their smallest x and one
// sweep over elements and points. `interrupted` is asked every few
// thousand elements; false, with `limits` incomplete, when it said so.
bool refine_limits(const MeshStore& m, const WavePoints& w, float arnew, std::vector<float>& limits,
                   const std::function<bool()>& interrupted = {});

}  // namespace korvel
