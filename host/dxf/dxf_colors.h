// The AutoCAD colour index (ACI) palette and the conversions between it and the drawing's
// colours (red + 256 * green + 65536 * blue) and DXF true colours (0xRRGGBB).
#pragma once

#include <cstdint>

namespace sulkor::host {

struct Rgb {
  int r = 0;
  int g = 0;
  int b = 0;
  friend bool operator==(const Rgb&, const Rgb&) = default;
};

// The colour of ACI index 1 .. 255 (7, white, stands for the background's opposite).
Rgb AciColor(int index);

// The index 1 .. 255 whose colour is nearest (squared distance in RGB); the lowest index wins a
// tie, so the pure colours map to 1 .. 7. A grey maps to a grey index (black to 250).
int NearestAci(Rgb color);

Rgb FromDrawingColor(int32_t color);  // red + 256 * green + 65536 * blue
int32_t ToDrawingColor(Rgb color);
Rgb FromTrueColor(int32_t color);     // 0xRRGGBB
int32_t ToTrueColor(Rgb color);

}  // namespace sulkor::host
