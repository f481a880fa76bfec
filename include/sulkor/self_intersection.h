#pragma once

#include <cstdint>

namespace sulkor {

// A point where a contour crosses itself: the two segments (iPrev < iNext) and the point.
struct SelfIntersection {
  int32_t iPrev = 0;
  int32_t iNext = 0;
  double xInt = 0.0;
  double yInt = 0.0;
  int16_t TakePart = 0;  // 16-bit Boolean, true is -1
};

}  // namespace sulkor
