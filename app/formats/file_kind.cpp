#include "app/formats/file_kind.h"

#include "sketra/base/textfmt.h"

namespace korvel {

std::string ccsfx(const std::string& name) {
  std::string_view t = sketra::trim_right(name);
  std::size_t dot = t.rfind('.');
  return dot == std::string_view::npos ? std::string() : std::string(t.substr(dot + 1));
}

FileKind kind_by_suffix(std::string_view s) {
  if (s == "shp") return FileKind::shapefile;
  if (s == "node") return FileKind::node;
  if (s == "hole") return FileKind::hole;
  if (s == "dxf") return FileKind::dxf;
  if (s == "3ds") return FileKind::text_triangles;
  if (s == "2dm") return FileKind::mesh2dm;
  if (s == "asc" || s == "grd" || s == "agr") return FileKind::grid;
  if (s == "blt") return FileKind::blt;
  return FileKind::plain;
}

FileKind file_kind(int command, std::string_view suffix) {
  if (command == 1) return FileKind::grid;
  if (command == 2) return FileKind::unstruct;
  return kind_by_suffix(suffix);
}

}  // namespace korvel
