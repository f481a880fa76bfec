// The value records that hold every piece of geometry of an operation: Segment, Contour,
// ContourList and the result of intersecting two contours. Copying copies everything.
#pragma once

#include <array>
#include <cstdint>
#include <string_view>
#include <vector>

#include "contour/tolerances.h"
#include "sulkor/error.h"

namespace sulkor {

struct Point3 {
  double x = 0.0;
  double y = 0.0;
  double z = 0.0;  // carried along, never used in a calculation
  friend bool operator==(const Point3&, const Point3&) = default;
};

// The kinds of segment. The host's texts are "Line", "Arc" and "Circle"; None stands for any
// other text, which routines that draw or walk segments pass over.
enum class SegmentKind : uint8_t { None, Line, Arc, Circle };

inline constexpr std::string_view kKindLine = "Line";
inline constexpr std::string_view kKindArc = "Arc";
inline constexpr std::string_view kKindCircle = "Circle";

// Exact, case-sensitive.
SegmentKind SegmentKindFromText(std::string_view text);
std::string_view SegmentKindText(SegmentKind kind);

// One line, arc or circle, stored in its direction of travel.
struct Segment {
  SegmentKind Kind = SegmentKind::None;
  Point3 StartPt;
  Point3 EndPt;
  Point3 Center;  // arcs and circles
  Point3 MidPt;   // arcs: the point halfway along, the third point that fixes the arc
  // [0]: direction of travel leaving StartPt, [1]: arriving at EndPt, both in [0, 2*pi].
  // A line holds its direction angle in both. [2] is not used.
  std::array<double, 3> Tangent{};
  double Length = 0.0;
  double Radius = 0.0;      // positive; some routines use it with its sign
  int16_t Direction = 1;    // 1 counterclockwise, -1 clockwise
  int16_t SpanSign = 1;     // 1: at most half a turn, -1: more (SideOfChord of the arc)
  bool DropMark = false;    // routines that thin a contour mark the segments to drop
  bool Visited = false;     // scratch mark
  int16_t MoveType = 0;     // tool path: 0 positioning, 1 cutting, 2 a third colour
  // Tool path: the phase a move belongs to, 0 none (positioning), 1 roughing, 2 finishing. Set
  // by the tool-path generation for an NC post-processor (roughing and finishing feeds); no
  // geometry routine reads it.
  int16_t Phase = 0;

  bool IsLine() const { return Kind == SegmentKind::Line; }
  bool IsArc() const { return Kind == SegmentKind::Arc; }
  bool IsCircle() const { return Kind == SegmentKind::Circle; }
};

// An ordered run of segments: segment i + 1 starts where segment i ends. The number of
// segments is Segs.size(); Count() reads it, so the two can never disagree.
struct Contour {
  std::vector<Segment> Segs;
  int16_t Mark = 0;  // mark of a probe chord held in a ContourList
  int16_t Side = 0;  // +1 or -1: which side the offset service works on
  double MaxX = -kBoxStart;
  double MinX = kBoxStart;
  double MaxY = -kBoxStart;
  double MinY = kBoxStart;

  int32_t Count() const { return static_cast<int32_t>(Segs.size()); }
  bool Empty() const { return Segs.empty(); }

  // Checked access: an index outside 0 .. Count() - 1 is a GeometryError, never undefined.
  const Segment& Seg(int32_t i) const {
    if (i < 0 || i >= Count()) throw GeometryError("segment index outside the contour");
    return Segs[static_cast<size_t>(i)];
  }
  Segment& Seg(int32_t i) {
    if (i < 0 || i >= Count()) throw GeometryError("segment index outside the contour");
    return Segs[static_cast<size_t>(i)];
  }
  const Segment& First() const { return Seg(0); }
  const Segment& Last() const { return Seg(Count() - 1); }

  // Back to the empty contour: no segment, the empty box, marks cleared.
  void Reset() { *this = Contour{}; }
};

struct ContourList {
  std::vector<Contour> Contours;
  int32_t Count() const { return static_cast<int32_t>(Contours.size()); }
};

// One crossing of two contours: the point and the segment of each contour it lies on.
// Along1 and Along2 are the distances from the start of those segments to the point, measured
// along them; the callers of the intersection service read only X, Y, Seg1 and Seg2.
struct Crossing {
  double X = 0.0;
  double Y = 0.0;
  int32_t Seg1 = 0;
  int32_t Seg2 = 0;
  double Along1 = 0.0;
  double Along2 = 0.0;
};

// What the contour-intersection service answers.
struct IntersectionResult {
  std::vector<Crossing> Points;
  int16_t Count() const { return static_cast<int16_t>(Points.size()); }
};

}  // namespace sulkor
