// The exact form of one line or arc on which every geometry service intersects: the contour
// intersection reads it from segment records, the offset and the combination from the curves of
// their arrangements. One routine intersects two shapes; see segment_intersect.cc for its
// tolerance and for how touches and shared stretches are reported.
#pragma once

#include <array>
#include <cstddef>

#include "kernel/box_index.h"
#include "kernel/curve.h"
#include "kernel/segment_intersect.h"

namespace sulkor::host {

struct Vec {
  double x = 0.0;
  double y = 0.0;
};

struct Shape {
  enum class Type { None, Point, Line, Arc };
  Type type = Type::None;
  Vec p0;  // start
  Vec p1;  // end
  // Line: unit direction and length.
  Vec u;
  double len = 0.0;
  // Arc: centre, radius, start angle, sweep (> 0, 2*pi for a full turn), +1 ccw / -1 cw.
  Vec c;
  double r = 0.0;
  double a0 = 0.0;
  double sweep = 0.0;
  double dir = 1.0;
  bool full = false;

  bool HasEnds() const {
    return type == Type::Line || type == Type::Point || (type == Type::Arc && !full);
  }
  double Length() const {
    if (type == Type::Line) return len;
    if (type == Type::Arc) return r * sweep;
    return 0.0;
  }
};

// The shape of a segment record, read as segment_intersect.cc describes.
Shape ShapeOfSegment(const Segment& segment);
// The shape of a curve: its exact ends, centre, radius and signed sweep; a full turn when its
// ends coincide and it sweeps more than half a turn.
Shape ShapeOfCurve(const Curve& curve);

// Distance from (x, y) to the nearest point of the shape.
double ShapeDistance(const Shape& shape, double x, double y);

// The smallest box that holds the shape (for an arc: its ends and the points of its circle at
// 0, 90, 180 and 270 degrees that its sweep passes).
Box ShapeBox(const Shape& shape);

// Whether the carriers of two segments keep them apart, found from the records without the
// angles that a shape needs: a quick test before the shapes are made.
bool ClearlyApart(const Segment& a, const Segment& b);

// A list of fixed capacity, enough for the few contacts two shapes can have; it keeps the
// intersection of a pair free of heap allocations.
template <class T, size_t N>
class SmallList {
 public:
  void push_back(const T& value) {
    if (size_ == N) throw GeometryError("too many contacts between two segments");
    items_[size_++] = value;
  }
  size_t size() const { return size_; }
  bool empty() const { return size_ == 0; }
  void clear() { size_ = 0; }
  T& operator[](size_t k) { return items_[k]; }
  const T& operator[](size_t k) const { return items_[k]; }
  T* begin() { return items_.data(); }
  T* end() { return items_.data() + size_; }
  const T* begin() const { return items_.data(); }
  const T* end() const { return items_.data() + size_; }
  T& back() { return items_[size_ - 1]; }

 private:
  std::array<T, N> items_{};
  size_t size_ = 0;
};

using ShapeHits = SmallList<SegmentHit, 8>;

// Every point the two shapes share, in the order of travel along the first; Along1 and Along2
// are distances along each shape from its start. The one intersection of the geometry services.
void IntersectShapes(const Shape& first, const Shape& second, ShapeHits& hits);

}  // namespace sulkor::host
