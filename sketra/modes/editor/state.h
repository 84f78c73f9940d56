#pragma once
// The state of sketra/modes/editor, in one place.
//
//   gredst  EditorState (editor_viewer.h)  the editor's settings and picks
//                                          for the life of the process:
//                                          tolerances, label mode, the last
//                                          Nearest pick, the rotation centre
//                                          and origin, the cut not yet
//                                          committed
//
// editor_state_reset() brings it back to the start of the process.

namespace sketra {

// Back to the start of the process (see above).
void editor_state_reset();

}  // namespace sketra
