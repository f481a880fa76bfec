// Exact geometry services whose answers a test can script: every intersection and point location
// is recorded, and a script that answers (returns true) stands in for the exact services.
#pragma once

#include <functional>
#include <vector>

#include "kernel/contour_services.h"

namespace sulkor::testing {

class ScriptedGeometry : public ExactGeometryServices {
 public:
  struct Located {
    Contour contour;
    double x, y;
  };
  std::function<bool(const Contour& first, const Contour& second, IntersectionResult&)> intersect;
  std::function<int16_t(const Contour&, double x, double y)> locate;
  std::vector<Contour> probes;  // the second contour of every intersection asked for
  std::vector<Located> located;

  bool Intersect(const Contour& first, const Contour& second, IntersectionResult& r) override {
    probes.push_back(second);
    r = IntersectionResult{};
    if (intersect && intersect(first, second, r)) return r.Count() > 0;
    return ExactGeometryServices::Intersect(first, second, r);
  }
  int16_t PointInContour(const Contour& contour, double x, double y) override {
    located.push_back({contour, x, y});
    return locate ? locate(contour, x, y) : ExactGeometryServices::PointInContour(contour, x, y);
  }
};

}  // namespace sulkor::testing
