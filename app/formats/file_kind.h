#pragma once
// Which reader a file goes to: decided by the commands of its first line
// and by its suffix.
//
//   suffix shp                   ESRI shapefile (the first line is not read)
//   first line ">>unstruct"      the unstruct keyword format
//   first line ">>grid"          grid, then the plain scan goes on
//   suffix node, hole            TRIANGLE nodes (a node file with the .poly edges)
//   suffix dxf                   DXF drawing
//   suffix asc, grd, agr         grid (ESRI ASCII), then the plain scan goes on
//   suffix blt                   BLT lines
//   suffix 3ds                   text triangles, then keywords
//   suffix 2dm                   2DM nodes
//   anything else                plain scan: 3 numbers on a line start a
//                                point section, 4 numbers a line section

#include <string>
#include <string_view>

namespace korvel {

enum class FileKind { shapefile, unstruct, grid, node, hole, dxf, blt, text_triangles, mesh2dm, plain };

// The commands that the first line may hold, in the order of their numbers
// (iicmd returns 1 for ">>grid", 2 for ">>unstruct").
inline constexpr std::string_view kFirstLineCommands[] = {">>grid", ">>unstruct"};

// Characters after the last "." of the trimmed name ("" when there is none).
std::string ccsfx(const std::string& name);

// The kind of a file by its suffix alone (compared case-sensitively).
FileKind kind_by_suffix(std::string_view suffix);

// The kind of a file whose first line gave command `command` (a number of
// kFirstLineCommands, 0 for none) and whose suffix is `suffix`.
FileKind file_kind(int command, std::string_view suffix);

}  // namespace korvel
