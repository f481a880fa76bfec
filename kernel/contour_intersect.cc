#include <algorithm>
#include <cmath>
#include <cstdint>
#include <limits>
#include <numbers>
#include <vector>

#include "kernel/contour_services.h"
#include "kernel/kernel_tolerances.h"
#include "kernel/segment_intersect.h"
#include "kernel/shape.h"

// The contour-intersection service: every point that two contours share.
//
// What is reported. Every contact that IntersectSegments finds between a segment of the first
// contour and a segment of the second: transversal crossings, tangent touches, ends of one
// lying on the other, and both ends of every stretch the two contours share (a work contour
// running along the blank outline, collinear walls). Touches are reported because the callers
// need them: the probe of SplitContourAtPoint may only touch the contour at a vertex, and when
// the work contour has been trimmed to the blank its ends lie on the outline and the trimming
// looks for them again. A shared stretch that runs over vertices of either contour is also
// reported at those vertices (they are points the contours share); its inside is not.
//
// Each geometric point once. A point at a vertex belongs to the segment that leaves the vertex
// (Along 0 on it), on both contours: a contact found at the end of segment i is moved to
// segment i + 1, and on a closed contour the end of the last segment to segment 0. The end of
// an open contour's last segment stays on that segment. Consecutive segments count as joined
// when the end of one and the start of the next agree within the closedness tolerance 1.5e-5
// (the same rule makes a contour closed). The contacts that the several segment pairs around
// a vertex produce then carry the same segment indices and along values, and one of them is
// kept: two contacts are one when they lie on the same two segments and agree along both within
// 1e-9, or when they sit at the same vertex of one contour and agree within 1.5e-5 along the
// other (a vertex whose segments do not meet exactly).
//
// A contour that passes one point twice (two of its segments touching there) has the point
// reported once for each passage. A count of points therefore counts touches too: a work
// contour with a vertex on the blank outline has that vertex among its points with the blank.
// The answer is true exactly when at least one point is reported.
//
// Order. By segment of the first contour, then distance along it (Along1); contacts at one
// place of the first contour by segment of the second, then Along2.
//
// Tolerance. The segment intersection's 1e-9 (see segment_intersect.cc). Two contours that are
// 1e-6 apart (a copy shifted by 1e-6) are apart: their parallel stretches report nothing, and the
// segments that cross them report crossings 1e-6 apart.
//
// Filter. Only pairs of segments whose boxes (widened by 2e-9) meet are intersected. When the
// pairs are many (more than 1024, the larger contour holding more than 16 segments), each
// segment gets its exact box (for an arc: its ends and the quadrant points inside its sweep),
// the larger contour's boxes are packed into a static R-tree (sort-tile-recursive packing,
// eight entries a node) and each segment of the smaller contour queries it. Otherwise a plain
// loop tests every pair against boxes that are quicker to make (an arc's whole circle).

namespace sulkor {
namespace {

using host::Box;

constexpr double kOn = host::kOnTol;
constexpr size_t kIndexPairs = 1024;
constexpr int32_t kIndexMinSegments = 16;


// A monotone stand-in for the angle of (dx, dy), in [0, 4): 0, 1, 2, 3 on the axes +x, +y,
// -x, -y.
double PseudoAngle(double dx, double dy) {
  if (dx == 0.0 && dy == 0.0) return 0.0;
  if (dy >= 0.0) return dx >= 0.0 ? dy / (dx + dy) : 1.0 - dx / (dy - dx);
  return dx < 0.0 ? 2.0 - dy / (-dx - dy) : 3.0 + dx / (dx - dy);
}

double Wrap4(double v) { return v < 0.0 ? v + 4.0 : v >= 4.0 ? v - 4.0 : v; }

void Widen(Box& box) {
  const double big = std::max(std::max(std::fabs(box.MinX), std::fabs(box.MaxX)),
                              std::max(std::fabs(box.MinY), std::fabs(box.MaxY)));
  const double widen = host::kBoxWiden + host::kBoxWidenPerUnit * big;
  box = host::Grown(box, widen);
}

// A box that holds the segment, quick to make: an arc's whole circle.
Box LooseBox(const Segment& seg) {
  const double sx = seg.StartPt.x, sy = seg.StartPt.y, ex = seg.EndPt.x, ey = seg.EndPt.y;
  Box box;
  box.Add(sx, sy);
  box.Add(ex, ey);
  if (seg.IsArc() || seg.IsCircle()) {
    double r = std::fabs(seg.Radius);
    if (r == 0.0) {
      r = std::sqrt((sx - seg.Center.x) * (sx - seg.Center.x) +
                    (sy - seg.Center.y) * (sy - seg.Center.y));
    }
    box.Add(seg.Center.x - r, seg.Center.y - r);
    box.Add(seg.Center.x + r, seg.Center.y + r);
  }
  Widen(box);
  return box;
}

// The segment's own bounding box.
Box SegmentBox(const Segment& seg) {
  const double sx = seg.StartPt.x, sy = seg.StartPt.y, ex = seg.EndPt.x, ey = seg.EndPt.y;
  Box box;
  box.Add(sx, sy);
  box.Add(ex, ey);
  if (seg.IsArc() || seg.IsCircle()) {
    const double cx = seg.Center.x;
    const double cy = seg.Center.y;
    double r = std::fabs(seg.Radius);
    if (r == 0.0) r = std::sqrt((sx - cx) * (sx - cx) + (sy - cy) * (sy - cy));
    const double chord2 = (ex - sx) * (ex - sx) + (ey - sy) * (ey - sy);
    if (seg.IsCircle() || chord2 < kEps * kEps) {
      box.Add(cx - r, cy - r);  // a full turn, or nearly: the whole circle, to be safe
      box.Add(cx + r, cy + r);
    } else {
      // The quadrant points that the sweep passes, counterclockwise from start to end. The
      // pseudo-angles are exact on the axes; a quadrant point at an end adds nothing new.
      double ps = PseudoAngle(sx - cx, sy - cy);
      double pe = PseudoAngle(ex - cx, ey - cy);
      if (seg.Direction != 1) std::swap(ps, pe);
      const double span = Wrap4(pe - ps);
      if (Wrap4(0.0 - ps) <= span) box.Add(cx + r, cy);
      if (Wrap4(1.0 - ps) <= span) box.Add(cx, cy + r);
      if (Wrap4(2.0 - ps) <= span) box.Add(cx - r, cy);
      if (Wrap4(3.0 - ps) <= span) box.Add(cx, cy - r);
    }
  }
  Widen(box);
  return box;
}


bool Near(const Point3& a, const Point3& b, double tol) {
  return std::fabs(a.x - b.x) <= tol && std::fabs(a.y - b.y) <= tol;
}

// The segment that leaves the end of segment i, or -1 when the contour ends there.
int32_t Successor(const Contour& contour, int32_t i) {
  const int32_t next = i + 1 < contour.Count() ? i + 1 : 0;
  if (Near(contour.Segs[static_cast<size_t>(i)].EndPt,
           contour.Segs[static_cast<size_t>(next)].StartPt, kClosedEps)) {
    return next;
  }
  return -1;
}

struct Contact {
  Crossing c;
  bool moved1 = false;  // moved from the end of a segment of the first contour to the next
  bool moved2 = false;
};

bool ZeroLine(const Segment& s) {
  return s.IsLine() && std::hypot(s.EndPt.x - s.StartPt.x, s.EndPt.y - s.StartPt.y) <= kOn;
}

// Moves a contact at the end of a segment onto the segment that leaves that vertex, passing
// over lines of zero length.
void MoveToLeavingSegment(const Contour& contour, int32_t& seg, double& along, double x, double y,
                          bool& moved) {
  for (int32_t step = 0; step < contour.Count(); ++step) {
    const Segment& s = contour.Segs[static_cast<size_t>(seg)];
    if (along <= 0.0 && !ZeroLine(s)) return;
    if (std::hypot(x - s.EndPt.x, y - s.EndPt.y) > kOn) return;
    const int32_t next = Successor(contour, seg);
    if (next < 0) return;
    seg = next;
    along = 0.0;
    moved = true;
  }
}

bool SameContact(const Contact& a, const Contact& b) {
  if (a.c.Seg1 != b.c.Seg1 || a.c.Seg2 != b.c.Seg2) return false;
  const double d1 = std::fabs(a.c.Along1 - b.c.Along1);
  const double d2 = std::fabs(a.c.Along2 - b.c.Along2);
  if (d1 <= kOn && d2 <= kOn) return true;
  if (a.c.Along1 == 0.0 && b.c.Along1 == 0.0 && d2 <= kClosedEps) return true;
  if (a.c.Along2 == 0.0 && b.c.Along2 == 0.0 && d1 <= kClosedEps) return true;
  return false;
}

bool Before(const Crossing& a, const Crossing& b) {
  if (a.Seg1 != b.Seg1) return a.Seg1 < b.Seg1;
  if (a.Along1 != b.Along1) return a.Along1 < b.Along1;
  if (a.Seg2 != b.Seg2) return a.Seg2 < b.Seg2;
  return a.Along2 < b.Along2;
}

}  // namespace

bool IntersectContours(const Contour& first, const Contour& second, IntersectionResult& result) {
  result.Points.clear();
  const int32_t n1 = first.Count();
  const int32_t n2 = second.Count();
  if (n1 == 0 || n2 == 0) return false;

  // The shape of the segment that an outer loop stands on, made when first needed.
  struct Lazy {
    explicit Lazy(const Segment* s) : seg(s) {}
    const Segment* seg;
    bool made = false;
    host::Shape shape;
    const host::Shape* Get() {
      if (!made) {
        shape = host::ShapeOfSegment(*seg);
        made = true;
      }
      return &shape;
    }
  };

  std::vector<Contact> contacts;
  // The shape of a segment is made once it has passed the box filter and the quick test of its
  // carrier: the segment the loop stands on once, the other one for each pair.
  host::ShapeHits hits;
  auto intersect = [&](int32_t i, int32_t j, Lazy* shape1, Lazy* shape2) {
    const Segment& s1 = first.Segs[static_cast<size_t>(i)];
    const Segment& s2 = second.Segs[static_cast<size_t>(j)];
    if (host::ClearlyApart(s1, s2)) return;
    if (shape1) {
      host::IntersectShapes(*shape1->Get(), host::ShapeOfSegment(s2), hits);
    } else {
      host::IntersectShapes(host::ShapeOfSegment(s1), *shape2->Get(), hits);
    }
    for (const SegmentHit& hit : hits) {
      Contact contact;
      contact.c = Crossing{hit.X, hit.Y, i, j, hit.Along1, hit.Along2};
      MoveToLeavingSegment(first, contact.c.Seg1, contact.c.Along1, hit.X, hit.Y, contact.moved1);
      MoveToLeavingSegment(second, contact.c.Seg2, contact.c.Along2, hit.X, hit.Y,
                           contact.moved2);
      contacts.push_back(contact);
    }
  };
  const size_t pairs = static_cast<size_t>(n1) * static_cast<size_t>(n2);
  const bool indexed = pairs > kIndexPairs && std::max(n1, n2) > kIndexMinSegments;
  // Exact boxes for the packed index, which many queries share; quick ones for a plain loop.
  auto boxes = [indexed](const Contour& contour) {
    std::vector<Box> out(contour.Segs.size());
    for (size_t k = 0; k < out.size(); ++k) {
      out[k] = indexed ? SegmentBox(contour.Segs[k]) : LooseBox(contour.Segs[k]);
    }
    return out;
  };
  if (indexed) {
    if (n2 >= n1) {
      const host::BoxIndex index(boxes(second));
      for (int32_t i = 0; i < n1; ++i) {
        Lazy shape1(&first.Segs[static_cast<size_t>(i)]);
        index.Query(SegmentBox(first.Segs[static_cast<size_t>(i)]),
                    [&](int32_t j) { intersect(i, j, &shape1, nullptr); });
      }
    } else {
      const host::BoxIndex index(boxes(first));
      for (int32_t j = 0; j < n2; ++j) {
        Lazy shape2(&second.Segs[static_cast<size_t>(j)]);
        index.Query(SegmentBox(second.Segs[static_cast<size_t>(j)]),
                    [&](int32_t i) { intersect(i, j, nullptr, &shape2); });
      }
    }
  } else {
    const std::vector<Box> boxes1 = boxes(first);
    const std::vector<Box> boxes2 = boxes(second);
    for (int32_t i = 0; i < n1; ++i) {
      Lazy shape1(&first.Segs[static_cast<size_t>(i)]);
      for (int32_t j = 0; j < n2; ++j) {
        if (boxes1[static_cast<size_t>(i)].Meets(boxes2[static_cast<size_t>(j)])) {
          intersect(i, j, &shape1, nullptr);
        }
      }
    }
  }

  std::sort(contacts.begin(), contacts.end(),
            [](const Contact& a, const Contact& b) { return Before(a.c, b.c); });
  std::vector<Contact> kept;
  for (const Contact& contact : contacts) {
    bool duplicate = false;
    for (size_t k = kept.size(); k-- > 0;) {
      Contact& other = kept[k];
      if (other.c.Seg1 != contact.c.Seg1) break;
      if (!SameContact(other, contact)) continue;
      // Keep the coordinates found on the segments that leave the vertex, not those found at
      // the end of the segments before it.
      if ((other.moved1 || other.moved2) && !contact.moved1 && !contact.moved2) {
        other.c.X = contact.c.X;
        other.c.Y = contact.c.Y;
        other.moved1 = other.moved2 = false;
      }
      duplicate = true;
      break;
    }
    if (!duplicate) kept.push_back(contact);
  }

  if (kept.size() > static_cast<size_t>(std::numeric_limits<int16_t>::max())) {
    throw GeometryError("more crossings than a 16-bit count holds");
  }
  result.Points.reserve(kept.size());
  for (const Contact& contact : kept) result.Points.push_back(contact.c);
  return !result.Points.empty();
}

}  // namespace sulkor
