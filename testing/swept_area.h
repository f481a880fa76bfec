// What the insert sweeps out of a rectangular groove with square bottom corners: the corner
// radius leaves a fillet in each of them.
#pragma once

#include <numbers>

namespace sulkor::testing {

inline double SweptRectangle(double width, double depth, double cornerRadius) {
  return width * depth - 2 * cornerRadius * cornerRadius * (1 - std::numbers::pi / 4);
}

}  // namespace sulkor::testing
