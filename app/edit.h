#pragma once
// The Edit entry of the main menu: choose the unstructured data or one
// stored grid set and edit it.
//
// A grid set is shown in the grid contour viewer on a work copy of its
// values, with the node co-ordinates of its geometry. When the viewer is
// left and some value differs from the set by more than 1e-10, a menu
// offers Save (back into the set), Save as (a new set, named by the user)
// and Ignore (">changes ignored"); without a change nothing is asked.
//
// The choice list ("SETS") has one item per grid set after the item for
// the unstructured data, which is disabled while the store holds no
// points. The unstructured data are edited in the point and line editor
// (sketra/modes/editor): every code first gets symbol part 1, and when the
// editor returns the store is compacted.

#include <array>
#include <cstdint>
#include <vector>

#include "app/mainmenu.h"

namespace korvel {

// The items of the choice list, 32 characters each: " UUnstructured"
// (state flag "-" while np = 0), then per set k two blanks, the first 7
// characters of its name, nx in width 3, "/" and ny in width 3.
std::vector<MenuCell> edit_choice_items();

// The three cells of the menu shown after a grid set was changed. Save and
// Save as share the hot key S: a key chooses Save, a script reaches Save as
// with "#2".
std::array<MenuCell, 3> edit_save_cells();

// What Edit did.
enum class EditResult { none, unstructured, unchanged, saved, saved_as, ignored };

// True when some value of `work` differs from `set` by more than 1e-10.
bool values_differ(const std::vector<float>& work, const std::vector<float>& set);

// Drops the points with code < 1 from the store after the edge clean-up
// (edges to deleted points dropped, ends at merged points redirected); the
// points kept move down in order and both ends of every edge are
// renumbered. Returns the map from old to new point numbers (element i for
// point i, 0 for a dropped point; element 0 unused).
std::vector<std::int32_t> compact_store();

// Edits the points and edges of the store in the point and line editor.
void edit_unstructured();

// Edits grid set k (1 ... nsets) in the contour viewer and offers to keep
// the changes.
EditResult edit_grid_set(int k);

// The Edit menu action: the choice list, then the chosen data.
EditResult edit();

}  // namespace korvel
