#pragma once
// The state of sketra/modes/section, in one place.
//
//   grsect  SectionState (section_viewer.h)  the section viewer between its
//                                            calls: names, smoothing, label
//                                            mode, Origine's reference line,
//                                            Alter's selection, legend pin
//
// section_state_reset() brings it back to the start of the process.

namespace sketra {

void section_state_reset();

}  // namespace sketra
