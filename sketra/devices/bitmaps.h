#pragma once
// The bitmap backgrounds of the keep-file list, replayed with the keep
// files: loading an image with its world file (or asking for its geometry
// and writing one), and drawing the loaded images behind or on top of a
// view. The images themselves live in the kernel's bitmap store
// (sketra/kernel/bitmap.h).

#include <string>

namespace sketra {

// grbitmap(mode, file, state):
//   0     forgets every bitmap;
//   2     loads `file` with keep-list state `state` (2 background, 3
//         foreground) and its world file (".pmw", ".tfw", ".wld" beside
//         it). Without one, "create world file" asks for the upper-left
//         pixel's x and y and the pixel size, and writes a ".wld" file.
//         A file that is not a raw PBM or PGM shows "format unknown
//         (accepting raw pbm or pgm)" (and its reasons on standard
//         output); a cancelled form, an unreadable field or a pixel size
//         that is not positive ("invalid geometry: not added") add nothing;
//   3, 4  draws the bitmaps of state 2 (3) or 3 (4) on the screen.
// Returns true when mode 2 added the bitmap; the other modes return true.
bool grbitmap(int mode, const std::string& file = {}, int state = 2);

}  // namespace sketra
