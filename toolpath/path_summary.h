// What a machinist reads off a tool path before running it: how many plunges and pecks the
// roughing takes, and how far the tool travels cutting and positioning.
#pragma once

#include <cstdint>

#include "contour/records.h"

namespace sulkor {

struct PathSummary {
  int32_t plunges = 0;  // roughing plunge positions along the groove
  int32_t pecks = 0;    // roughing cuts: every plunge takes one peck or more
  int32_t moves = 0;
  double cuttingLength = 0.0;
  double rapidLength = 0.0;
};

// Sums up `path`. The plunges are counted by their positions across the plunge direction: along
// the axis (x) for a turned groove, along the radius (y) for a face groove, positions closer
// than 1e-6 counting once.
PathSummary SummarizePath(const Contour& path, bool faceGroove);

}  // namespace sulkor
