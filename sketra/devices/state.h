#pragma once
// The state of sketra/devices, in one place.
//
//   display_list    DisplayList (devices.h)     the loaded keep files
//   shape_settings  ShapeSettings (devices.h)   shape type, attribute type
//                                               and field name of the
//                                               shapefile hard copy
//   shape_io        ShapeIo (shapefile.cpp)     the first write failure that
//                                               shapelib's file hooks met
//                                               while a shapefile is open
//
// The open file device itself is the kernel's (file_output, kernel
// state.h). devices_state_reset() brings all of them back to the start of
// the process: nothing loaded, Point shapes with integer attributes.

namespace sketra {

void devices_state_reset();

}  // namespace sketra
