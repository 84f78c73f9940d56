// The meshgen command: arguments, which files to read, meshing, writing,
// and what is reported on the way.

#include <chrono>
#include <cstdio>
#include <filesystem>
#include <ostream>
#include <string>
#include <vector>

#include "meshgen/meshgen.h"
#include "sketra/base/textfmt.h"

namespace meshgen {

namespace {

// The input of one run.
struct Input {
  Pslg pslg;
  std::vector<Triangle> old;    // with r
  std::vector<double> limits;   // with r and a .area file
  std::vector<std::string> files;  // names read, for the report
};

bool exists(const std::string& name) {
  std::error_code ec;
  return std::filesystem::is_regular_file(name, ec);
}

// Reads the files that the switches ask for.
Failure read_input(const std::string& base, const Options& opt, Input& in) {
  const std::string node = base + ".node", poly = base + ".poly";
  if (opt.refine) {
    const std::string ele = base + ".ele";
    if (auto e = read_node(node, in.pslg.vertices)) return e;
    if (auto e = read_ele(ele, in.pslg.vertices, in.old)) return e;
    in.files = {node, ele};
    if (opt.poly && exists(poly)) {
      if (auto e = read_poly(poly, node, true, in.pslg)) return e;
      in.files.push_back(poly);
    }
    if (opt.area_file) {
      const std::string area = base + ".area";
      if (auto e = read_area(area, in.old.size(), in.limits)) return e;
      in.files.push_back(area);
    }
    return std::nullopt;
  }
  if (opt.poly && exists(poly)) {
    in.files = {poly};
    return read_poly(poly, node, false, in.pslg);
  }
  in.files = {node};
  return read_node(node, in.pslg.vertices);
}

// A real in the general layout without its padding: "0.47136", "27794.".
std::string general(double v) {
  const std::string s = sketra::fmt_g(v, 14, 5);
  const std::string_view t = sketra::trim_right(s);
  return std::string(t.substr(t.find_first_not_of(' ')));
}

std::string joined(const std::vector<std::string>& names) {
  std::string s;
  for (const auto& n : names) s += (s.empty() ? "" : ", ") + n;
  return s;
}

void report(std::ostream& out, const Options& opt, const Input& in, const Mesh& mesh, const Statistics& st,
            double seconds_io) {
  out << "Mesh: " << mesh.vertices.size() << " vertices, " << mesh.triangles.size() << " triangles, "
      << mesh.segments.size() << " segments.\n";
  if (mesh.triangles.empty()) out << "Warning: no triangle is inside the segments (switch c meshes the convex hull).\n";
  if (!opt.verbose) return;
  out << "Input: " << st.input_vertices << " vertices, " << st.input_segments << " segments, "
      << in.pslg.holes.size() << " holes, " << in.pslg.regions.size() << " regions, " << st.input_triangles
      << " triangles.\n";
  out << "Steiner points: " << st.steiner_points << ".\n";
  out << "Angles: smallest" << sketra::fmt_f(st.min_angle, 9, 3) << ", largest" << sketra::fmt_f(st.max_angle, 9, 3)
      << " degrees.\n";
  out << "Areas: smallest " << general(st.min_area) << ", largest " << general(st.max_area) << ".\n";
  out << "Time: triangulation" << sketra::fmt_f(st.seconds_triangulate, 8, 3) << " s, refinement"
      << sketra::fmt_f(st.seconds_refine, 8, 3) << " s, files" << sketra::fmt_f(seconds_io, 8, 3) << " s.\n";
}

}  // namespace

int run_meshgen(const std::vector<std::string>& args, std::ostream& out, std::ostream& err) {
  std::string switches, base;
  for (const std::string& a : args) {
    if (a == "--help" || a == "-h") {
      out << usage_text();
      return 0;
    }
    if (a.size() > 1 && a[0] == '-') {
      switches += a.substr(1);
    } else if (base.empty() && !a.empty()) {
      base = a;
    } else {
      err << "meshgen: one file name is expected, not also '" << a << "'\n";
      return 1;
    }
  }
  if (base.empty()) {
    err << usage_text();
    return 1;
  }
  const Options opt = parse_switches(switches);
  base = strip_suffix(base);
  const auto t0 = std::chrono::steady_clock::now();
  Input in;
  Mesh mesh;
  Statistics st;
  Failure failure = read_input(base, opt, in);
  if (!failure && !opt.quiet) out << "Read " << joined(in.files) << ".\n";
  if (!failure && opt.angle_clamped && !opt.quiet) {
    out << "Minimum angle lowered to " << kMaxMinAngle << " degrees, the largest with a sure end.\n";
  }
  const auto t1 = std::chrono::steady_clock::now();
  if (!failure) failure = generate_mesh(in.pslg, in.old, in.limits, opt, base, mesh, st);
  const auto t2 = std::chrono::steady_clock::now();
  const std::string out_base = next_name(base);
  if (!failure) failure = write_mesh(out_base, mesh, in.pslg.holes, opt);
  if (failure) {
    err << "meshgen: " << failure->text() << "\n";
    return 1;
  }
  if (!opt.quiet) {
    out << "Wrote " << out_base << ".node, " << out_base << ".ele, " << out_base << ".poly"
        << (opt.edges ? ", " + out_base + ".edge" : "") << (opt.neighbours ? ", " + out_base + ".neigh" : "") << ".\n";
    const double io = std::chrono::duration<double>((t1 - t0) + (std::chrono::steady_clock::now() - t2)).count();
    report(out, opt, in, mesh, st, io);
  }
  return 0;
}

}  // namespace meshgen
