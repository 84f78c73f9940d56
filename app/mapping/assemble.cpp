// Assembling a triangulated surface from the files the user loaded, and
// showing it in the surface viewer.

#include <algorithm>

#include "app/formats/element_file.h"
#include "app/formats/format_io.h"
#include "app/formats/mesh2dm.h"
#include "app/mapping/mapping.h"
#include "sketra/base/textfmt.h"
#include "sketra/base/units.h"
#include "sketra/kernel/plot.h"
#include "sketra/modes/surface/surface_viewer.h"
#include "sketra/ui/dialogs.h"

namespace korvel {

namespace {

constexpr std::int32_t kMaxNodes = 19600000;  // the point capacity
constexpr int kMaxChoices = 100;              // element files offered before giving up

class Beam : public Progress {
 public:
  void percent(int p, std::string_view what) override { sketra::grbeam(p, 100, what); }
};

bool ends_with(std::string_view s, std::string_view tail) {
  return s.size() >= tail.size() && s.substr(s.size() - tail.size()) == tail;
}

// Reads the element file open on `unit` for the nodes of `mesh`. Returns
// the triangles, or nullopt with `again` telling whether to offer the
// choice once more (a file that is no element file, or too large).
std::optional<std::vector<Triangle>> read_elements(int unit, const MeshPoints& mesh, bool& again) {
  Beam beam;
  sketra::LineReader* r = sketra::unit_reader(unit);
  ElementFile e = r ? read_element_file(*r, kMaxTriangles, mesh.base, mesh.count, beam) : ElementFile{};
  if (!r) e.status = ElementStatus::bad_header;
  sketra::unit_close(unit);
  again = false;
  switch (e.status) {
    case ElementStatus::ok: return std::move(e.triangles);
    case ElementStatus::bad_header: {
      const auto help = element_help_text();
      sketra::grtext(help);
      again = true;
      return std::nullopt;
    }
    case ElementStatus::too_many:
      sketra::grmesg("too many elements");
      again = true;
      return std::nullopt;
    case ElementStatus::bad_line: {
      const std::vector<std::string> lines = {"error in element file. line number:",
                                              sketra::ListLine().i(e.bad_line).str()};
      sketra::grtext(lines);
      return std::nullopt;
    }
    case ElementStatus::short_file: {
      const std::vector<std::string> lines = {
          "element list too short",
          "expecting" + sketra::fmt_i(e.expected, 9) + " found" + sketra::fmt_i(std::int64_t(e.triangles.size()), 9)};
      sketra::grtext(lines);
      return std::nullopt;
    }
  }
  return std::nullopt;
}

// Reads the triangles of the 2DM mesh open on `unit`, numbered over the
// nodes of `mesh`.
std::optional<std::vector<Triangle>> read_mesh(int unit, const MapInput& in, const std::string& name) {
  Ir2dmRequest req;
  req.max_nodes = kMaxNodes;
  req.max_triangles = kMaxTriangles;
  req.first_number = 1;
  double xo = in.xorig, yo = in.yorig;
  sketra::LineReader* r = sketra::unit_reader(unit);
  Mesh2dm m = r ? ir2dm(*r, xo, yo, req) : Mesh2dm{};
  sketra::unit_close(unit);
  if (!m.error.empty()) {
    sketra::grmesg(m.error);
    return std::nullopt;
  }
  if (m.ignored_triangles > 0) {
    sketra::grmesg("too many elements");
    return std::nullopt;
  }
  if (std::int64_t(m.x.size()) != in.mesh.count) {
    sketra::grmesg("Map: " + name + " has" + sketra::fmt_i(std::int64_t(m.x.size()), 9) + " nodes, " + in.mesh.file +
                   " had" + sketra::fmt_i(in.mesh.count, 9));
    return std::nullopt;
  }
  sketra::grmesg("found nodes:" + sketra::fmt_i(std::int64_t(m.x.size()), 8) +
                 " elements:" + sketra::fmt_i(std::int64_t(m.triangles.size()), 8));
  return std::move(m.triangles);
}

}  // namespace

TinSource tin_source(std::string_view last_file) {
  const std::string_view name = sketra::trim_right(last_file);
  if (ends_with(name, ".node")) return TinSource::node;
  if (ends_with(name, ".2dm")) return TinSource::mesh2dm;
  return TinSource::none;
}

std::string element_name(std::string_view node_file) {
  std::string_view name = sketra::trim_right(node_file);
  if (ends_with(name, ".node")) name.remove_suffix(5);
  return std::string(name) + ".ele";
}

std::vector<std::string> element_help_text() {
  const char* lines[] = {"Element file expected",
                         "---------------------",
                         "An element file stores the information of the",
                         "triangulation mesh. See the program TRIANGLE on",
                         "https://www.cs.cmu.edu/~quake/triangle.html",
                         "for file formats.",
                         "Node files and poly files used",
                         "within TRIANGLE can be created from given",
                         "data points using the Export option in KORVEL.",
                         ""};
  std::vector<std::string> out;
  for (const char* l : lines) out.push_back(sketra::fmt_a(l, 64));
  return out;
}

std::optional<Tin> assemble_tin(const MapInput& in, int unit) {
  const TinSource source = tin_source(in.last_file);
  const MeshPoints& mesh = in.mesh;
  if (source == TinSource::none || mesh.first < 1 || mesh.count < 1 ||
      sketra::trim_right(mesh.file) != sketra::trim_right(in.last_file)) {
    sketra::grmesg("Map: the last file loaded is no node file and no 2dm mesh");
    return std::nullopt;
  }
  const std::size_t first = std::size_t(mesh.first - 1), count = std::size_t(mesh.count);
  if (first + count > std::min({in.x.size(), in.y.size(), in.z.size()})) {
    sketra::grmesg("Map: the points of " + mesh.file + " are no longer in the store");
    return std::nullopt;
  }
  for (int choice = 0; choice < kMaxChoices; ++choice) {
    // The first choice proposes the file that belongs to the last one; a
    // choice offered again asks without a proposal.
    std::string name;
    if (choice == 0) name = source == TinSource::node ? element_name(in.last_file) : std::string(in.last_file);
    std::string filter;
    if (source == TinSource::mesh2dm) sketra::grmesg("name of element file");
    if (!sketra::gropn(name, filter, unit)) return std::nullopt;
    bool again = false;
    std::optional<std::vector<Triangle>> triangles =
        source == TinSource::node ? read_elements(unit, mesh, again) : read_mesh(unit, in, name);
    if (!triangles) {
      if (again) continue;
      return std::nullopt;
    }
    return Tin{in.x.subspan(first, count), in.y.subspan(first, count), in.z.subspan(first, count),
               std::move(*triangles)};
  }
  return std::nullopt;
}

void view_tin(Tin& tin, std::array<double, 2> origin, const std::string& title, const std::string& value_label,
              const std::string& xlabel, const std::string& ylabel) {
  sketra::SurfaceData s{tin.x, tin.y, tin.z, tin.triangles};
  sketra::PlotTitles titles{title, value_label, xlabel, ylabel};
  std::vector<float> levels;
  sketra::grtrig(s, titles, levels, 0, sketra::kSurfaceFill + sketra::kSurfaceClasses, origin);
}

}  // namespace korvel
