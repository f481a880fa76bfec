#include "kernel/box_index.h"

#include <algorithm>
#include <cstddef>

namespace sulkor::host {

BoxIndex::BoxIndex(std::vector<Box> boxes) : boxes_(std::move(boxes)) {
  const size_t n = boxes_.size();
  if (n == 0) return;
  ids_.resize(n);
  for (size_t k = 0; k < n; ++k) ids_[k] = static_cast<int32_t>(k);
  const auto cx = [this](int32_t k) {
    const Box& b = boxes_[static_cast<size_t>(k)];
    return b.MinX + b.MaxX;
  };
  const auto cy = [this](int32_t k) {
    const Box& b = boxes_[static_cast<size_t>(k)];
    return b.MinY + b.MaxY;
  };
  if (n > kNodeSize) {
    // Slices across the longer extent of the centres, as many as make the leaves of a slice
    // about as long as they are wide: a long, flat profile is cut into short pieces along its
    // length rather than into leaves that each run the length of a wide slice.
    Box centres;
    for (int32_t id : ids_) centres.Add(cx(id), cy(id));
    const double w = centres.MaxX - centres.MinX;
    const double h = centres.MaxY - centres.MinY;
    const bool alongX = w >= h;
    const auto first = [&](int32_t a, int32_t b) {
      return alongX ? cx(a) < cx(b) : cy(a) < cy(b);
    };
    const auto second = [&](int32_t a, int32_t b) {
      return alongX ? cy(a) < cy(b) : cx(a) < cx(b);
    };
    std::sort(ids_.begin(), ids_.end(), first);
    const double leaves = std::ceil(static_cast<double>(n) / kNodeSize);
    const double aspect = std::max(w, h) / std::max(std::min(w, h), 1e-300);
    const double slices = std::clamp(std::ceil(std::sqrt(leaves * aspect)), 1.0, leaves);
    const size_t sliceSize = kNodeSize * static_cast<size_t>(std::ceil(leaves / slices));
    for (size_t start = 0; start < n; start += sliceSize) {
      const auto begin = ids_.begin() + static_cast<std::ptrdiff_t>(start);
      const auto end = ids_.begin() + static_cast<std::ptrdiff_t>(std::min(n, start + sliceSize));
      std::sort(begin, end, second);
    }
  }
  items_.reserve(n);
  for (int32_t id : ids_) items_.push_back(boxes_[static_cast<size_t>(id)]);

  nodes_.reserve(n / kNodeSize * 8 / 7 + 4);
  for (size_t k = 0; k < n; k += kNodeSize) {
    Node node{Box{}, static_cast<int32_t>(k), static_cast<int32_t>(std::min(kNodeSize, n - k)),
              true};
    for (int32_t c = 0; c < node.count; ++c) node.box.Add(items_[k + static_cast<size_t>(c)]);
    nodes_.push_back(node);
  }
  size_t levelStart = 0;
  size_t levelEnd = nodes_.size();
  while (levelEnd - levelStart > 1) {
    for (size_t k = levelStart; k < levelEnd; k += kNodeSize) {
      Node node{Box{}, static_cast<int32_t>(k),
                static_cast<int32_t>(std::min(kNodeSize, levelEnd - k)), false};
      for (int32_t c = 0; c < node.count; ++c) {
        node.box.Add(nodes_[k + static_cast<size_t>(c)].box);
      }
      nodes_.push_back(node);
    }
    levelStart = levelEnd;
    levelEnd = nodes_.size();
  }
}

}  // namespace sulkor::host
