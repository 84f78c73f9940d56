#include "sketra/devices/bitmaps.h"

#include <filesystem>
#include <iostream>

#include "sketra/kernel/bitmap.h"
#include "sketra/ui/dialogs.h"

namespace sketra {

namespace {

// The geometry of an image without a world file, from the person; a new
// ".wld" file beside the image keeps it. Nothing when the form is
// cancelled or its values are unusable.
std::optional<BitmapGeometry> ask_geometry(const std::string& file) {
  grmesg("create world file");
  std::string prompts[] = {"x-origin [m]", "y-origin [m]", "pixel size dx [m]", "pixel size dy [m]"};
  std::string values[] = {"0.0", "0.0", "1.0", "1.0"};
  if (!grinfo(prompts, values)) return std::nullopt;
  BitmapGeometry g;
  if (!read_field(values[0], g.x0) || !read_field(values[1], g.y0) || !read_field(values[2], g.dx) ||
      !read_field(values[3], g.dy))
    return std::nullopt;
  if (!g.valid()) {
    grmesg("invalid geometry: not added");
    return std::nullopt;
  }
  std::filesystem::path world(file);
  world.replace_extension(".wld");
  if (!write_world_file(world.string(), g)) grmesg("cannot write " + world.string());
  return g;
}

bool load(const std::string& file, int state) {
  if (grbmps.table.size() >= kMaxBitmaps) {
    grmesg("too many bitmaps: " + file + " not added");
    return false;
  }
  const std::size_t used = grbmps.pixels.size();
  BitmapRead r = grbmpr(file, grbmps.pixels, grbmps.room());
  for (const std::string& line : r.report) std::cout << line << '\n';
  std::cout.flush();
  if (!r.ok) {
    grbmps.pixels.resize(used);
    grmesg("format unknown (accepting raw pbm or pgm)");
    return false;
  }
  std::optional<BitmapGeometry> g;
  if (const std::string world = find_world_file(file); !world.empty()) {
    g = read_world_file(world);
    if (!g) grmesg("invalid geometry: not added");
  } else {
    g = ask_geometry(file);
  }
  if (!g) {
    grbmps.pixels.resize(used);
    return false;
  }
  r.bitmap.geo = *g;
  r.bitmap.state = state;
  grbmps.table.push_back(r.bitmap);
  return true;
}

}  // namespace

bool grbitmap(int mode, const std::string& file, int state) {
  switch (mode) {
    case 0: bitmap_store_reset(); return true;
    case 2: return load(file, state);
    case 3: draw_bitmaps(kBitmapBackground); return true;
    case 4: draw_bitmaps(kBitmapForeground); return true;
    default: return true;
  }
}

}  // namespace sketra
