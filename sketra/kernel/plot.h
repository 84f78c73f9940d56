#pragma once
// The graphics kernel of sketra: one plot state, the mapping from world
// co-ordinates to the device, clipping, colours and dash styles, and the
// drawing primitives in two and three dimensions.
//
// World co-ordinates are single-precision values relative to a
// double-precision plot origin (XORGR, YORGR), so that survey co-ordinates of
// seven and more digits can be drawn with floats: the application sets the
// origin near its data and passes differences.
//
// A world point maps to a device point as
//     xd = (x - XMINGR) * XFACGR + XORGGR,  yd = (y - YMINGR) * YFACGR + YORGGR
// in double precision, truncated toward zero to pixels. YFACGR is negative on
// the screen because pixel rows grow downwards. The plot frame is NXINGR x
// NYINGR intervals of 50 * scale pixels with its lower-left corner at
// (XORGGR, YORGGR).
//
// Every primitive looks at the output mode IMODGR:
//   0        nothing is open; primitives keep their state but draw nothing;
//   1 ... 6  the window, through the active display driver (driver.h);
//            colours reach the window only in modes 1 ... 4;
//   8 ... 11 a file device (device.h): record stream, DXF, shapefile,
//            ArcPolygon text.
//
// On the screen, consecutive visible draws collect in a polyline buffer of
// 100 device points and reach the driver as one connected line; a point
// equal to the last buffered one is dropped. The buffer is flushed (grdump)
// before any change of colour, dash style, output mode or drawing surface,
// before a fill or a text, and when it is full.
//
// Pixel mode (grclip(0) ... grclip(1)) lets menus and dialogs draw in pixels
// measured from the lower-left corner of the plot frame, y upwards.
//
// The state lives in two plain structs with one instance each, grcomn
// (numbers) and grcomt (texts); reset_plot_state() brings both back to the
// defaults (state.h lists the rest of the kernel's state and resets it all).
// The application reads and sets the named variables ("XMINGR", "IN01GR",
// ...) through grvalu / grvalu8.

#include <array>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "sketra/kernel/colours.h"
#include "sketra/kernel/driver.h"

namespace sketra {

// ---------------------------------------------------------------- constants

inline constexpr int kModeNone = 0;
inline constexpr int kModeRecord = 8;
inline constexpr int kModeDxf = 9;
inline constexpr int kModeShape = 10;
inline constexpr int kModeArcPolygon = 11;
constexpr bool is_screen_mode(int mode) { return mode >= 1 && mode <= 6; }
constexpr bool is_file_mode(int mode) { return mode >= 8 && mode <= 11; }

inline constexpr int kPolylineCapacity = 100;  // device points
inline constexpr int kFillCapacity = 9000;     // vertices of a filled polygon
inline constexpr int kHatchCapacity = 100;     // vertices of a hatched polygon
inline constexpr int kMaxViews = 20;
inline constexpr int kMaxCleanAreas = 200;
inline constexpr int kFontWidth = 6;           // pixels per character of the "6x12" font
// Pixels at the bottom of the window that belong to the message line alone:
// below the plot frame's tick labels, axis label and date line, so that a
// message never covers them. Three lines of 14 pixels.
inline constexpr int kMessageStrip = 46;

// Text field widths of grcomt.
inline constexpr int kTitleWidth = 80;
inline constexpr int kDateWidth = 15;
inline constexpr int kAuxCaptionWidth = 20;
inline constexpr int kIconNameWidth = 20;
inline constexpr int kPrintCommandWidth = 40;
inline constexpr int kFirmWidth = 80;
inline constexpr int kFileNameWidth = 80;
inline constexpr int kAxisLabelWidth = 40;
inline constexpr int kShapeBaseWidth = 40;
inline constexpr int kProgramNameWidth = 20;

// Colour numbers used by the widgets.
inline constexpr int kBlack = 0;
inline constexpr int kWhite = -1;
inline constexpr int kBevelRaised = -3;  // frame colour of a raised bevel
inline constexpr int kBevelSunken = -4;  // frame colour of a sunken bevel

// ---------------------------------------------------------------- state

// The current point and whether it lies inside the clip window (always true
// while a file mode is open).
struct Pen {
  float x = 0, y = 0, z = 0;  // world, relative to the origin
  float draw_z = 0;           // z of the point being drawn to
  bool inside = false;
};

// Screen polyline buffer (device points).
struct PolylineBuffer {
  std::array<DevicePoint, kPolylineCapacity> points{};
  int count = 0;
};

// What grclip(0) saves and grclip(1) restores.
struct PixelModeSave {
  bool live = false;
  double xmingr = 0, xmncgr = 0, xmxcgr = 0;
  double ymingr = 0, ymncgr = 0, ymxcgr = 0;
  float xorggr = 0, xfacgr = 0, yorggr = 0, yfacgr = 0;
};

// A named view of the control loop: interval counts and absolute window.
struct NamedView {
  std::string name;  // 16 characters
  int nxingr = 24, nyingr = 18;
  double xmin = 0, xmax = 1, ymin = 0, ymax = 1;
};

// A rectangle (pixel-mode units) that buttons and dialogs cover and that is
// wiped later; grcler forgets all of them.
struct CleanArea {
  float x1 = 0, x2 = 0, y1 = 0, y2 = 0;
};

// Settings of the display modes that live with the plot state and are
// saved in the settings file: the legend ("key") position and size, the
// label language (1 English, 2 German), the vector plot settings, shading,
// and the two contour switches that follow switch 14.
// The key size is a factor of the normal size: at most kMaxKeySize, beyond
// which the key is larger than any screen.
inline constexpr float kMaxKeySize = 20.0f;
struct DisplaySettings {
  float key_x = 0, key_y = 10, key_size = 1;
  int language = 1;
  float vector_scale = 10;
  int vector_count = 1, vector_option = 103;
  float vector_factor = 0.01f;
  int shading = 0;
  std::array<int, 2> contour_switches{0, 0};
};

// The control menu of the display-mode loop: 29 caption cells of 16
// characters (12 of the library, a gap, 16 of the mode), the number shown
// and the number that belong to the library; the loop writes a mode's
// entries after cell 13 and sets `shown`.
inline constexpr int kControlCells = 29;
struct ControlMenu {
  std::array<std::string, kControlCells> cells;
  int shown = 12;
  int library = 12;
};

struct PlotState {
  // Plot origin (double) and window / clip window relative to it.
  double xorgr = 0, yorgr = 0;
  double xmingr = 0, xmaxgr = 1, ymingr = 0, ymaxgr = 1;
  double xmncgr = 0, xmxcgr = 1, ymncgr = 0, ymxcgr = 1;
  int indsgr = 0;  // scale request for the axes
  // Option switches: in[k - 1] is switch k (IN01GR ... IN12GR, switch 13
  // "REDRAW KEEP FILES", switch 14 the first contour switch, IN15GR).
  std::array<int, 15> in{1, 1, 1, 0, 1, 1, 1, 0, 0, 1, 1, 1, 1, 0, 0};
  int jingr = 5, joutgr = 6;
  int jdv1gr = 95, jdv2gr = 96, jdv3gr = 97;
  int imodgr = kModeNone;
  int ikeygr = 1;
  float xcrsgr = 0, ycrsgr = 0;  // last cursor pick
  float symfgr = 0.5f;           // pixels per symbol-table unit
  float xpsgr = 1, ypsgr = 1;
  float xsclgr = 0.7865f, ysclgr = 0.7865f;
  int nxingr = 24, nyingr = 18;
  float ybeamgr = 0;
  float xorggr = 65, yorggr = 736;  // device position of the frame's lower-left corner
  float xfacgr = 1, yfacgr = -1;    // world -> pixel factors
  std::array<std::array<float, 4>, 4> trangr{{{1, 0, 0, 0}, {0, 1, 0, 0}, {0, 0, 1, 0}, {0, 0, 0, 1}}};
  std::array<int, 4> wndwgr{100, 0, 1120, 786};  // window x, y, width, height
  ColourState colour;

  float zoom = 0.71f;        // zoom factor (never below 0.1)
  float scaling = 1.0f;      // scaling factor of the settings file
  int hatch_style = 0;       // bit set; 0 = fill instead of hatching
  float hatch_spacing = 5;   // pixels
  bool projection = false;   // 3-D moves and draws pass through TRANGR
  bool small_window = false; // grinit asked for the small window
  int saved_nxingr = 24, saved_nyingr = 18;  // interval counts kept over a small window
  int resizes = 0;  // window sizes taken over from the window system (see apply_resize)

  Pen pen;
  PolylineBuffer polyline;
  PixelModeSave pixel_save;
  int current_colour = 0;  // colour number of the last grcolr
  int last_colour = 0, last_colour_mode = -1;  // grcolr cache (mode -1: none yet)
  int last_colour_scheme = 0, last_colour_bank = 0;
  int last_dash = 0, last_dash_mode = -1;      // grdash cache
  int previous_mode = kModeNone;               // mode active before a file mode
  bool saved_projection = false;               // projection flag before a file mode

  std::vector<NamedView> views;        // at most kMaxViews
  std::vector<CleanArea> clean_areas;  // at most kMaxCleanAreas
  DisplaySettings display;
  ControlMenu control;
};

// Text fields, each blank-padded to its width.
struct PlotText {
  std::string titlgr;     // first title line (80)
  std::string subtitle;   // second title line (80)
  std::string dategr;     // date stamp (15)
  std::string auxcgr;     // auxiliary caption (20)
  std::string wnabgr;     // window icon name (20)
  std::string prntgr;     // print command prefix (40)
  std::string firmgr;     // firm / plot-label line (80)
  std::string filngr;     // file name shown on plots (80)
  std::string xlabel;     // x-axis label (40)
  std::string ylabel;     // y-axis label (40)
  std::string shape_base; // shapefile base name (40)
  std::string progname;   // program name, the window title (20)
};

extern PlotState grcomn;
extern PlotText grcomt;

// Brings grcomn and grcomt back to their defaults (palette built, window
// size and device factors computed, output mode 0) and drops an open file
// device without closing it. The active driver is left as it is.
void reset_plot_state();

// Cuts or blank-pads `text` to `width` characters.
std::string fixed_width(std::string_view text, int width);

// ---------------------------------------------------------------- named variables

// grvalu(name, set, value, text): reads (set = 0) or assigns (set != 0) the
// named variable `name` (trailing blanks ignored). Numbers travel in `value`:
// integers are rounded to nearest on assignment (halves away from zero),
// except WNDWGR(1) ... WNDWGR(4) and NCOLGR, which are truncated toward zero.
// Texts travel in `text`: assignment cuts or pads `text` to the field width;
// reading cuts or pads the field to the length `text` has (a whole field
// when `text` is empty). Assigning XORGR or YORGR shifts the window and clip
// bounds of that axis so that the same absolute area stays in view.
// Throws FatalError("grvalu: variable not defined> " + name) for an unknown name.
void grvalu(std::string_view name, int set, float& value, std::string& text);
float grvalu(std::string_view name);                 // read a number
void grvalu(std::string_view name, float value);     // assign a number
std::string grvalu_text(std::string_view name);      // read a whole text field
void grvalu_text(std::string_view name, std::string_view text);

// The same for XORGR and YORGR in double precision (use these: floats lose
// survey co-ordinates). Throws FatalError("grvalu8: variable not defined> "
// + name) for any other name.
void grvalu8(std::string_view name, int set, double& value);
double grvalu8(std::string_view name);
void grvalu8(std::string_view name, double value);

// ---------------------------------------------------------------- transformation

// Recomputes XORGGR, YORGGR, XFACGR, YFACGR from the window, the interval
// counts and the scales (while IMODGR < 7); factors below 1e-10 in
// magnitude become 1e-10 in every mode.
void grsfac();
// Sets the plot window; nothing else.
void grsset(double xmin, double xmax, double ymin, double ymax);
// Zooms (|key| 1 or 4: by the zoom factor), pans (|key| 2) or zooms out
// (any other key: by 1 / zoom factor) about world point (x, y); key -9 does
// nothing. Resets INDSGR. Ignored when an extent would fall below 1e-25.
void grzoom(float x, float y, int key);
// k = 0 enters pixel mode (a second call does nothing), k = 1 leaves it.
void grclip(int k);
// Applies TRANGR (row vectors; TRANGR(4,4) exaggerates z).
void grtran(float x, float y, float z, float& xs, float& ys, float& zs);
// Round axis step for n intervals over min ... max: step is 1, 2, 4, 5 times
// a power of ten (or 10, 20 times one when nothing smaller fits) and start a
// multiple of it at or below min.
void grscal(double min, double max, int n, double& start, double& step);
// WNDWGR(3), WNDWGR(4) from the interval counts and scales (310 x 125 for
// the small window).
void compute_window_size();

// Device pixel of a world point (truncated toward zero).
DevicePoint world_to_device(double x, double y);
// Inclusive clip test against XMNCGR ... XMXCGR, YMNCGR ... YMXCGR.
bool inside_clip(double x, double y);

// ---------------------------------------------------------------- output state

// Makes `colour` current (see colours.h); a call with the same colour in the
// same mode as the previous one does nothing.
void grcolr(int colour);
// Dash style (taken modulo 100): 1 solid, 2 dashed, 3 dotted, 4 dash-dot,
// 5 dash-dot-dot; 0 and repeats do nothing.
void grdash(int style);
// Screen modes only: k = 0 clears the drawing surface, k = 1 redirects
// drawing to the off-screen pixmap and clears it, any other k fills the clip
// window with white. Then colour 0, and the registered clean areas are
// forgotten.
void grcler(int k);
// Shows the off-screen picture and returns drawing to the window.
void grflip();
// Switches the output mode: 0 closes the current device (a file mode
// returns to the mode active before it); 1 ... 6 open the window; 8 ... 11
// open a file device through its opener. Returns `mode`, or 0 when a file
// mode was not opened (no name, cancelled, no opener). Throws FatalError
// (kNoDisplayMessage) when the window cannot be opened. Mode 7, negative
// modes and modes above 11 show "Mode not currently supported" (standard
// output and the message handler), return 0 and leave the output as it is.
int grmode(int mode);
// The 20-character date-time stamp.
std::string grtime();
// Waits n x 30 ms, unless script answers are waiting or the run is a batch
// run: nobody is there to see what the pause shows.
void grpause(int n);
// Rings the bell.
void grbeep();

// ---------------------------------------------------------------- primitives
// Co-ordinates are world, relative to the plot origin.

void grmov2(float x, float y);
void grdrw2(float x, float y);
void grmov3(float x, float y, float z);
void grdrw3(float x, float y, float z);
// Sends the screen polyline buffer to the driver (when it holds more than
// one point) and keeps its last point as the start of the next polyline.
void grdump();

// Filled polygon of min(x.size(), y.size()) vertices (at most 9000 on the
// screen), clipped to the clip window.
void grfil2(std::span<const float> x, std::span<const float> y, int colour);
// Three-dimensional filled polygon: projected through TRANGR and filled.
void grfil3(std::span<const float> x, std::span<const float> y, std::span<const float> z,
            int colour);
// Closed outline in dash style 1; colours -3 and -4 draw a raised or
// sunken bevel.
void grfram(std::span<const float> x, std::span<const float> y, int colour);
// Rectangle filled with `fill`, outlined with `frame` unless it is 0.
void grect(float x, float y, float w, float h, int fill, int frame);
// Circle of 40 points; filled when fill >= -2, outlined when frame >= 0.
void grcrcl(float x, float y, float r, int fill, int frame);
// Marker symbol at the current point: shape |code| mod 100 (0 none, 16 ...
// 99 as 15), colour code / 100.
void grsymb(int code);
// Text at the current point; a text starting with "~~" is centred there.
// `angle` has no effect on the screen; `size` only in DXF files.
void granot(std::string_view text, float angle);
void grano2(std::string_view text, float angle, float size);
// What granot draws: the text without a leading "~~" (leading blanks then
// skipped) and without trailing blanks, and whether it is centred.
struct DisplayText {
  std::string text;
  bool centred = false;
};
DisplayText text_for_display(std::string_view text);
// Hatches a polygon (at most 100 vertices): style bits 1 horizontal,
// 2 vertical, 4 and 8 the two diagonals; `spacing` in pixels.
void grhtch(std::span<const float> x, std::span<const float> y, int colour, int style,
            float spacing);
// Intersection of segments 1-2 and 3-4: 0 parallel, otherwise
// (1 if 0 < t < 1 else 2) + (0 if 0 < s < 1 else 2); 1 means a proper
// crossing, and then the pen moves to it.
int igsect(float x1, float y1, float x2, float y2, float x3, float y3, float x4, float y4,
           float& xs, float& ys);
// Node of a node array (node (i, j) at index (i - 1) + (j - 1) * ld) nearest
// on the screen to the last cursor pick; moves there and draws marker -702.
// i = j = 0 when there is no node.
void grnear(std::span<const float> x, std::span<const float> y, int nx, int ny, int ld, int& i,
            int& j);
// Translates a plot label "name [unit]" in place (language 2: German).
void grtrans(int language, std::string& label);

}  // namespace sketra
