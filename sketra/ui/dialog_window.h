#pragma once
// The window side of the dialogs: what a person sees and answers.
//
// WindowDialogs draws every dialog of dialogs.h with the primitives in
// pixel mode and reads the answer from the display driver. It is the
// default window layer: while no screen mode is open it answers nothing
// (a prompt gets no answer, a form is cancelled), so the library works
// without a window. Each dialog is modal: it draws, waits, wipes what it
// drew (grclean) and returns.
//
// Layout (pixels): 6 per character, 16 per form row, 14 per text line,
// buttons 17 high. Forms, text pages, the browser and the colour picker sit
// at pixel x 30 under the menu bar; prompts and choices near the last
// cursor pick.

#include <filesystem>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "sketra/kernel/driver.h"
#include "sketra/ui/dialogs.h"

namespace sketra {

// grgstr position meaning "near the last cursor pick".
inline constexpr float kNearPick = -99999;
// Characters a text field holds.
inline constexpr int kFieldBuffer = 128;

// Edits one field: the prompt at (x, y) (pixel-mode, lower-left corner of
// the 16-pixel row; x = kNearPick: 50 pixels up and left of the last cursor
// pick, at least 20 pixels from the edges), then the value. The prompt
// column is `prompt_chars` characters wide (0: the prompt's own length).
//   text     printable keys insert at the cursor, Delete and BackSpace
//            remove the character before it, Left and Right move it;
//            the value is copied back left-aligned (at most 128 characters);
//   toggle, choice, colour
//            a click on the field switches the toggle, moves the choice to
//            its next option (right button: the previous one) or opens the
//            colour picker.
// Return or Escape end the edit, and so does a click beside the field or a
// resize of the window (the caller places its dialog anew). Returns the
// event that ended it (a key press 11 or 12, that click, or the resize).
// The value keeps what was typed either way.
InputEvent grgstr(float x, float y, std::string_view prompt, std::string& value, int prompt_chars = 0);

// The file browser's listing of `dir`: names sorted, directories marked by
// a trailing "/", hidden names (starting with ".") left out; with a
// non-blank filter only files ending with it (case ignored; a leading "*"
// is dropped) besides the directories.
std::vector<std::string> list_directory(const std::filesystem::path& dir, std::string_view filter);

class WindowDialogs final : public DialogUi {
 public:
  void message(std::string_view text) override;
  bool prompt(std::string_view prompt, std::string& text) override;
  bool form(std::span<std::string> prompts, std::span<std::string> values) override;
  bool choose_file(std::string& name, std::string& filter) override;
  void text_page(std::span<const std::string> lines) override;
  void plate(std::span<const std::string> lines) override;
  void beam(int percent, std::string_view text) override;
  int choice(std::span<const std::string> captions) override;
  bool pick_colour(float x, float y, int& colour, int mode) override;
};

}  // namespace sketra
