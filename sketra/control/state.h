#pragma once
// The state of sketra/control, in one place.
//
//   ctrl            ControlState (control.h)  the display-mode loop between
//                                             its calls: window shape, extents,
//                                             screen-shot options, yaw
//   grplst          PlotList (control.h)      the free-drawing plot list
//   keeplist        KeepList (keeplist.h)     keep files and backgrounds
//   library_start   LibraryStart (below)      whether grinit has run
//   command_runner  CommandRunner (below)     how external programs are run
//
// control_state_reset() brings all of them back to the start of the process:
// the loop never entered, empty lists, grinit not run, external programs
// spawned directly. The loop's binding to the mode that is running
// (control.cpp: its view, entry handlers and pending answer) is set on entry
// to grctrl and restored on every way out of it, so nothing of it outlives
// a call.

#include "sketra/control/control.h"
#include "sketra/control/keeplist.h"

namespace sketra {

// Library start-up (settings.cpp).
struct LibraryStart {
  bool started = false;  // grinit has run: the next call is not a first start
};
extern LibraryStart library_start;

// The runner of external programs (set_command_runner, run_command); empty:
// the program is spawned from the PATH and waited for.
extern CommandRunner command_runner;

// Back to the start of the process (see above).
void control_state_reset();

}  // namespace sketra
