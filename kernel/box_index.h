// Axis-aligned boxes and the one spatial filter of the geometry services: a static R-tree over
// the boxes of a set of segments, packed sort-tile-recursive. The contour intersection queries it
// with the segments of the other contour, the offset and the combination with the curves of
// their arrangement, with points (nearest distance) and with rays (inside test).
#pragma once

#include <cmath>
#include <cstdint>
#include <vector>

namespace sulkor::host {

struct Box {
  double MinX = HUGE_VAL;
  double MinY = HUGE_VAL;
  double MaxX = -HUGE_VAL;
  double MaxY = -HUGE_VAL;

  void Add(double x, double y) {
    MinX = x < MinX ? x : MinX;
    MinY = y < MinY ? y : MinY;
    MaxX = x > MaxX ? x : MaxX;
    MaxY = y > MaxY ? y : MaxY;
  }
  void Add(const Box& b) {
    MinX = b.MinX < MinX ? b.MinX : MinX;
    MinY = b.MinY < MinY ? b.MinY : MinY;
    MaxX = b.MaxX > MaxX ? b.MaxX : MaxX;
    MaxY = b.MaxY > MaxY ? b.MaxY : MaxY;
  }
  // Edges touching count as meeting.
  bool Meets(const Box& b) const {
    return MinX <= b.MaxX && b.MinX <= MaxX && MinY <= b.MaxY && b.MinY <= MaxY;
  }
};

// A box grown by m on every side.
inline Box Grown(const Box& b, double m) {
  return {b.MinX - m, b.MinY - m, b.MaxX + m, b.MaxY + m};
}

// Boxes packed into a static R-tree of eight entries a node: the boxes are sorted by the x of
// their centres, cut into vertical slices of about sqrt(n / 8) leaves, and each slice sorted by
// y; the leaves are filled in that order and the levels above them likewise. A query descends
// only into nodes whose box meets it, so it costs about the logarithm of the number of boxes
// plus the number it finds.
class BoxIndex {
 public:
  explicit BoxIndex(std::vector<Box> boxes);

  const Box& BoxAt(int32_t i) const { return boxes_[static_cast<size_t>(i)]; }
  int32_t Size() const { return static_cast<int32_t>(boxes_.size()); }

  // Calls visit(i) once for every box i that meets the query box.
  template <class Visit>
  void Query(const Box& query, Visit&& visit) const {
    if (nodes_.empty()) return;
    // Each popped node pushes at most kNodeSize children: with L levels the stack holds at
    // most 7 * L + 1 entries, and 8^16 boxes would be needed for more than 128.
    int32_t stack[128];
    int depth = 0;
    stack[depth++] = static_cast<int32_t>(nodes_.size() - 1);
    while (depth > 0) {
      const Node& node = nodes_[static_cast<size_t>(stack[--depth])];
      if (!node.box.Meets(query)) continue;
      const int32_t end = node.first + node.count;
      if (node.leaf) {
        for (int32_t c = node.first; c < end; ++c) {
          if (items_[static_cast<size_t>(c)].Meets(query)) visit(ids_[static_cast<size_t>(c)]);
        }
      } else {
        for (int32_t c = node.first; c < end; ++c) stack[depth++] = c;
      }
    }
  }

 private:
  static constexpr size_t kNodeSize = 8;
  struct Node {
    Box box;
    int32_t first;
    int32_t count;
    bool leaf;
  };
  std::vector<Box> boxes_;   // in the order given
  std::vector<Box> items_;   // in the order of the leaves
  std::vector<int32_t> ids_; // index into boxes_ of each item
  std::vector<Node> nodes_;  // leaves first, the root last
};

}  // namespace sulkor::host
