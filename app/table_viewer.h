#pragma once
// The value tables of the last load in the section viewer.

namespace korvel {

// Shows every table of `tables` (loader.h) as one line of markers in the
// section viewer, x against y as stored (tables are not shifted by the
// store origin). Alter and Origine change the stored values. Nothing is
// shown while no window is open.
void view_tables();

}  // namespace korvel
