// The mesh store: reading a mesh from its TRIANGLE files and replacing the
// held one.
//
// A mesh is read into a store of its own and swapped in only when every
// file read, so the held mesh is never a mixture of two. Node numbers in
// the poly and ele files are checked against the node file before they are
// kept, so no later loop indexes past the node columns.

#include <filesystem>
#include <limits>

#include "app/formats/triangle_files.h"
#include "app/mesh/mesh.h"
#include "app/mesh/mesh_internal.h"
#include "meshgen/meshgen.h"
#include "sketra/base/textfmt.h"
#include "sketra/base/units.h"
#include "sketra/kernel/plot.h"
#include "sketra/ui/dialogs.h"

namespace korvel {

MeshStore mod_mesh;
MeshSettings mesh_settings;

void mesh_reset() {
  mod_mesh = MeshStore{};
  mesh_settings = MeshSettings{};
}

namespace {

// The unit of the file dialog.
constexpr int kDialogUnit = 1;

// Delivers the node and poly readers' points and edges into a mesh: nodes
// relative to the first one, edges as segment ends.
class MeshSink : public PointSink {
 public:
  MeshSink(MeshStore& m, Progress& progress) : m_(m), progress_(progress) {}

  void fix_origin(double x, double y) override {
    if (fixed_) return;
    m_.xnorig = x;
    m_.ynorig = y;
    fixed_ = true;
  }
  bool add_point(double x, double y, float z, std::int32_t) override {
    m_.xn.push_back(float(x - m_.xnorig));
    m_.yn.push_back(float(y - m_.ynorig));
    m_.zn.push_back(z);
    return true;
  }
  bool add_edge(std::int32_t a, std::int32_t b) override {
    m_.isegm.push_back(a);
    m_.isegm.push_back(b);
    return true;
  }
  std::int32_t points() const override { return std::int32_t(m_.xn.size()); }
  std::int32_t capacity() const override { return std::numeric_limits<std::int32_t>::max(); }
  void reserve(std::size_t n) override {
    m_.xn.reserve(n);
    m_.yn.reserve(n);
    m_.zn.reserve(n);
  }
  void percent(int p, std::string_view what) override { progress_.percent(p, what); }

 private:
  MeshStore& m_;
  Progress& progress_;
  bool fixed_ = false;
};

bool exists(const std::string& file) {
  std::error_code ec;
  return std::filesystem::exists(file, ec);
}

// Opens a file of the mesh that exists; a failure names it.
FileResult open_part(sketra::LineReader& r, const std::string& file) {
  if (r.open(file)) return FileResult::success();
  return FileResult::failure("cannot read " + file, file);
}

}  // namespace

FileResult read_mesh(const std::string& base, MeshStore& out, Progress& progress, const FileFilter& usable) {
  out = MeshStore{};
  MeshSink sink(out, progress);
  const auto wanted = [&](const std::string& f) { return exists(f) && (!usable || usable(f)); };

  const std::string node_file = base + ".node";
  sketra::LineReader r;
  if (!r.open(node_file)) return FileResult::failure("File not found: " + node_file, node_file);
  NodeFile nodes;
  if (FileResult res = read_node_file(r, node_file, 0, sink, nodes); !res.ok) return res;
  if (nodes.count == 0) return FileResult::failure("no nodes in " + node_file, node_file, 1);
  out.node = std::int32_t(nodes.count);
  out.natt = std::int32_t(std::min<std::int64_t>(nodes.attributes, std::numeric_limits<std::int32_t>::max()));

  if (const std::string poly = base + ".poly"; wanted(poly)) {
    PolyEdges pe;
    if (FileResult res = open_part(r, poly); !res.ok) return res;
    if (FileResult res = read_poly_file(r, poly, 0, nodes, sink, pe); !res.ok) return res;
    if (pe.own_vertices) return FileResult::failure("expecting nodes on node file", poly, 1);
    out.nsegm = std::int32_t(out.isegm.size() / 2);
  }

  if (const std::string ele = base + ".ele"; wanted(ele)) {
    if (FileResult res = open_part(r, ele); !res.ok) return res;
    if (FileResult res = read_ele_file(r, ele, nodes, out.iele, progress); !res.ok) return res;
    if (out.iele.size() > std::size_t(std::numeric_limits<std::int32_t>::max()))
      return FileResult::failure("too many elements in " + ele, ele);
    out.nele = std::int32_t(out.iele.size());
    out.xord.assign(std::size_t(out.nele), 0.0f);
    out.iord.assign(std::size_t(out.nele), 0);
  }
  out.mesh_name = base;
  return FileResult::success();
}

void mesh_commit(MeshStore&& fresh) {
  fresh.i_mesh = mod_mesh.i_mesh;
  fresh.mesh_old = std::move(mod_mesh.mesh_old);
  mod_mesh = std::move(fresh);
}

void show_element_count() {
  sketra::grflip();
  if (mod_mesh.nele > 0) sketra::grmesg("found" + sketra::fmt_i(mod_mesh.nele, 10) + " elements");
}

bool mesh_read() {
  std::string base = mod_mesh.mesh_name;
  if (base.empty() || !exists(base + ".node")) {
    std::string name = ".node", filter;
    if (!sketra::gropn(name, filter, kDialogUnit)) return false;
    sketra::unit_close(kDialogUnit);
    if (!name.ends_with(".node") || name.size() == 5) {
      sketra::grmesg("not a node file: " + name);
      return false;
    }
    base = name.substr(0, name.size() - 5);
  }
  MeshStore fresh;
  BeamProgress bar;
  if (FileResult res = read_mesh(base, fresh, bar); !res.ok) {
    sketra::grmesg(res.message);
    return false;
  }
  mesh_commit(std::move(fresh));
  show_element_count();
  return true;
}

std::string mesh_next(const std::string& base) { return meshgen::next_name(base); }

std::vector<std::string> mesh_info_lines() {
  const MeshStore& m = mod_mesh;
  return {sketra::fmt_a("Filename  = " + m.mesh_name, 32), sketra::fmt_a("Iteration =" + sketra::fmt_i(m.i_mesh, 3), 32),
          sketra::fmt_a("Nodes     =" + sketra::fmt_i(m.node, 10), 32),
          sketra::fmt_a("Segments  =" + sketra::fmt_i(m.nsegm, 10), 32),
          sketra::fmt_a("Elements  =" + sketra::fmt_i(m.nele, 10), 32)};
}

void mesh_info() {
  const auto lines = mesh_info_lines();
  sketra::grtext(lines);
}

}  // namespace korvel
