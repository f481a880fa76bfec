// The scale bar's length: a round number a machinist reads at once.
#include <cmath>

#include "host/preview/preview.h"

namespace sulkor::host {

double ScaleBarLength(double drawingWidth) {
  if (!std::isfinite(drawingWidth) || !(drawingWidth > 0.0)) {
    throw PreviewError("the scale bar needs a positive drawing width");
  }
  // A quarter of the width, taken a hair larger so that a width of exactly four round lengths
  // (40 -> 10) is not lost to rounding in the division and the logarithm.
  const double limit = drawingWidth / 4.0 * (1.0 + 1e-12);
  const double power = std::pow(10.0, std::floor(std::log10(limit)));
  for (const double step : {5.0, 2.0, 1.0}) {
    if (step * power <= limit) return step * power;
  }
  return power / 2.0;  // log10 rounded up past the limit: the step below it
}

}  // namespace sulkor::host
