#include "host/geometry/box_grid.h"

namespace sulkor::host {

BoxGrid::BoxGrid(std::vector<Box> boxes) : boxes_(std::move(boxes)) {
  seen_.assign(boxes_.size(), 0);
  if (boxes_.empty()) return;
  minX_ = minY_ = 1e300;
  maxX_ = maxY_ = -1e300;
  for (const Box& b : boxes_) {
    minX_ = std::min(minX_, b.MinX);
    minY_ = std::min(minY_, b.MinY);
    maxX_ = std::max(maxX_, b.MaxX);
    maxY_ = std::max(maxY_, b.MaxY);
  }
  // About one cell per box, laid out in proportion to the extent.
  const double w = std::max(maxX_ - minX_, 1e-9), h = std::max(maxY_ - minY_, 1e-9);
  const double n = static_cast<double>(boxes_.size());
  const double side = std::sqrt(w * h / n);
  nx_ = static_cast<int>(std::clamp(std::ceil(w / side), 1.0, 1024.0));
  ny_ = static_cast<int>(std::clamp(std::ceil(h / side), 1.0, 1024.0));
  cellW_ = w / nx_;
  cellH_ = h / ny_;
  const size_t cells = static_cast<size_t>(nx_) * static_cast<size_t>(ny_);
  start_.assign(cells + 1, 0);
  for (const Box& b : boxes_) {
    for (int cy = Row(b.MinY); cy <= Row(b.MaxY); ++cy) {
      for (int cx = Column(b.MinX); cx <= Column(b.MaxX); ++cx) {
        ++start_[static_cast<size_t>(cy * nx_ + cx) + 1];
      }
    }
  }
  for (size_t c = 0; c < cells; ++c) start_[c + 1] += start_[c];
  items_.resize(static_cast<size_t>(start_[cells]));
  std::vector<int> fill(start_.begin(), start_.end() - 1);
  for (size_t i = 0; i < boxes_.size(); ++i) {
    const Box& b = boxes_[i];
    for (int cy = Row(b.MinY); cy <= Row(b.MaxY); ++cy) {
      for (int cx = Column(b.MinX); cx <= Column(b.MaxX); ++cx) {
        items_[static_cast<size_t>(fill[static_cast<size_t>(cy * nx_ + cx)]++)] =
            static_cast<int>(i);
      }
    }
  }
}

}  // namespace sulkor::host
