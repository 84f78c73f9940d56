#pragma once
// File devices: where the primitives go in the file output modes.
//
// In output modes 8 ... 11 (record stream, DXF, shapefile, ArcPolygon text)
// the primitives of plot.h do not draw; they hand each call to the open file
// device. A device is an implementation of FileDevice that writes one file
// format; the primitives stay the same whatever the format.
//
// What the kernel does before calling the device:
//   - it keeps the current point (with its z) itself and passes the segment
//     ends to draw();
//   - in mode 8 (the record stream) three-dimensional calls arrive as such
//     (three_d = true, fill3); in the other modes they arrive as their
//     two-dimensional equivalents with z carried along;
//   - grcolr and grdash call colour() and dash() only when the colour or
//     style changed; the colour is the number the caller gave, unmapped;
//   - polygons to be hatched arrive as draws, not as fill().
//
// Devices are created by an opener registered per mode. grmode(mode) calls
// it; the opener asks for the file name, opens and initialises the file and
// returns the device, or returns nullptr when the user gave no name or
// cancelled (grmode then returns 0 and the caller skips drawing).

#include <functional>
#include <memory>
#include <span>
#include <string>
#include <string_view>

namespace sketra {

struct FileVertex {
  float x = 0;  // world, relative to the plot origin
  float y = 0;
  float z = 0;
};

class FileDevice {
 public:
  virtual ~FileDevice() = default;

  // The three-dimensional projection flag while the file is open: 1 set it
  // (record stream), 0 clear it (DXF: real z reaches the file), -1 leave it.
  // grmode restores the flag when the file is closed.
  virtual int projection_while_open() const { return -1; }

  // Writes the trailer and closes the file (grmode(0)). Returns the message
  // to show once the previous output mode is back (e.g. "DXF File done"),
  // or an empty text. Nothing may be drawn from here: the file is still the
  // output device.
  virtual std::string close() = 0;

  // grmov2 / grmov3 (three_d) to `to`.
  virtual void move(const FileVertex& to, bool three_d) {}
  // grdrw2 / grdrw3 (three_d): from the current point with its z to `to`
  // with the z of the draw point (0 for two-dimensional draws).
  virtual void draw(const FileVertex& from, const FileVertex& to, bool three_d) {}
  // grfil2 with the polygon as passed and the colour as given.
  virtual void fill(std::span<const float> x, std::span<const float> y, int colour) {}
  // True when the device joins the filled polygons of one colour into one
  // area: then how an area is divided into polygons does not change the
  // file, and a caller may hand over larger pieces.
  virtual bool joins_fills() const { return false; }
  // grfil3, record stream only.
  virtual void fill3(std::span<const float> x, std::span<const float> y, std::span<const float> z,
                     int colour) {}
  // grsymb(code) at the current point.
  virtual void symbol(int code, const FileVertex& at) {}
  // granot / grano2 at the current point. `text` as the caller gave it
  // (a leading "~~" asks for centring, see text_for_display); `height` is
  // 3.0 for granot and size * 0.25 for grano2.
  virtual void text(std::string_view text, const FileVertex& at, float height) {}
  // grcolr / grdash with a changed value.
  virtual void colour(int colour) {}
  virtual void dash(int style) {}
};

using FileDeviceOpener = std::function<std::unique_ptr<FileDevice>()>;

// Registers the opener of file mode `mode` (8 ... 11); an empty function
// removes it. Without an opener grmode(mode) opens nothing and returns 0.
void set_file_device_opener(int mode, FileDeviceOpener opener);

// True when file mode `mode` has an opener (the format can be written).
bool has_file_device_opener(int mode);

// The open file device, or nullptr outside the file modes.
FileDevice* active_file_device();

// Where grmode shows the closing message of a file device (the message line,
// once the dialogs install it). Without a handler the message is dropped.
void set_message_handler(std::function<void(std::string_view)> handler);

}  // namespace sketra
