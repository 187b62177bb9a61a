#pragma once
// The vertical colour gradient of the skinned push button, kept free of Windows types so the table and the
// row mapping can be checked on any host.
#include <cstdint>

inline constexpr int kGradientSteps = 64;

struct GradientColour {
  uint8_t red;
  uint8_t green;
  uint8_t blue;
};

// Colour of step 0..63 (clamped) for the hover / active column; step 0 is white in every column.
GradientColour GradientStepColour(bool hover, bool active, int step);

// The step of the row `rowOffset` rows below the top of an area `height` rows high: 0 on the top row,
// growing linearly, never above 63 (and 0 for an empty area).
int GradientStepForRow(int rowOffset, int height);
