// camera2d.h: Camera2D, the 2D view the pass projects through: the world point at
// the screen centre and the zoom in world units per pixel.
#pragma once

#include <cstdint>

#include "fixedpoint/fixed_point.h"

namespace particles {

struct Camera2D {
  int32_t x;               // world x shown at pixel column 160
  int32_t y;               // world y shown at pixel row 120
  fixedpoint::fixed zoom;  // world units per pixel, 16.16; kept above 0 by the view step
};

}  // namespace particles
