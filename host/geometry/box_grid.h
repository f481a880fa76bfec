// A static uniform grid over the bounding boxes of a set of curves: the filter that keeps the
// pairwise searches of the offset and combination services from growing with the square of the
// number of segments.
#pragma once

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <vector>

#include "host/geometry/curve.h"

namespace sulkor::host {

class BoxGrid {
 public:
  explicit BoxGrid(std::vector<Box> boxes);

  const Box& BoxAt(int i) const { return boxes_[static_cast<size_t>(i)]; }
  int Size() const { return static_cast<int>(boxes_.size()); }

  // Calls visit(i) once for every box i that overlaps the query box (edges touching count).
  template <class Visit>
  void Query(const Box& q, Visit&& visit) const {
    if (boxes_.empty()) return;
    if (q.MaxX < minX_ || q.MinX > maxX_ || q.MaxY < minY_ || q.MinY > maxY_) return;
    ++stamp_;
    const int cx0 = Column(q.MinX), cx1 = Column(q.MaxX);
    const int cy0 = Row(q.MinY), cy1 = Row(q.MaxY);
    for (int cy = cy0; cy <= cy1; ++cy) {
      for (int cx = cx0; cx <= cx1; ++cx) {
        const size_t cell = static_cast<size_t>(cy * nx_ + cx);
        for (int k = start_[cell]; k < start_[cell + 1]; ++k) {
          const int i = items_[static_cast<size_t>(k)];
          uint32_t& seen = seen_[static_cast<size_t>(i)];
          if (seen == stamp_) continue;
          seen = stamp_;
          const Box& b = boxes_[static_cast<size_t>(i)];
          if (b.MaxX < q.MinX || b.MinX > q.MaxX || b.MaxY < q.MinY || b.MinY > q.MaxY) continue;
          visit(i);
        }
      }
    }
  }

 private:
  int Column(double x) const {
    const double c = std::floor((x - minX_) / cellW_);
    return static_cast<int>(std::clamp(c, 0.0, static_cast<double>(nx_ - 1)));
  }
  int Row(double y) const {
    const double c = std::floor((y - minY_) / cellH_);
    return static_cast<int>(std::clamp(c, 0.0, static_cast<double>(ny_ - 1)));
  }

  std::vector<Box> boxes_;
  double minX_ = 0.0, minY_ = 0.0, maxX_ = 0.0, maxY_ = 0.0;
  double cellW_ = 1.0, cellH_ = 1.0;
  int nx_ = 1, ny_ = 1;
  std::vector<int> start_;  // cell c holds items_[start_[c] .. start_[c + 1])
  std::vector<int> items_;
  mutable std::vector<uint32_t> seen_;
  mutable uint32_t stamp_ = 0;
};

// A box grown by m on every side.
inline Box Grown(const Box& b, double m) {
  return {b.MinX - m, b.MinY - m, b.MaxX + m, b.MaxY + m};
}

}  // namespace sulkor::host
