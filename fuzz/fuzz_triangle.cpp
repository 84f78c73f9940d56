// TRIANGLE files: a node file, the poly file beside it, its hole file and
// an element file, as parts of one input ("%%%%" lines between them).
#include "app/formats/element_file.h"
#include "app/formats/triangle_files.h"
#include "fuzz_support.h"

using namespace korvel;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const auto parts = fuzz::split_parts(fuzz::bytes(data, size), 4);
  fuzz::write_parts(parts, {"n.node", "n.poly", "n.hole", "n.ele"});

  fuzz::CountingSink sink;
  NodeFile nodes;
  sketra::LineReader r;
  if (!r.open("n.node")) std::abort();
  const bool nodes_read = read_node_file(r, "n.node", 1, sink, nodes).ok;

  if (nodes_read && parts.size() > 1) {
    sketra::LineReader poly;
    if (!poly.open("n.poly")) std::abort();
    PolyEdges edges;
    read_poly_file(poly, "n.poly", 0, nodes, sink, edges);
  }
  read_hole_lines("n.hole");

  if (parts.size() > 3) {
    sketra::LineReader ele;
    if (!ele.open("n.ele")) std::abort();
    NoProgress quiet;
    std::vector<Triangle> triangles;
    if (nodes_read) read_ele_file(ele, "n.ele", nodes, triangles, quiet);
    ele.rewind();
    const ElementFile e = read_element_file(ele, 100000, nodes.base, nodes.count, quiet);
    for (const Triangle& t : e.triangles)
      if (t.a < 1 || t.b < 1 || t.c < 1 || t.a > nodes.count || t.b > nodes.count || t.c > nodes.count) std::abort();
  }
  return 0;
}
