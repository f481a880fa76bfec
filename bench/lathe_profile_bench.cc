// Timing of the geometry services on turned-part profiles of about 70 and about 1000 segments:
// the offset of an open chain, merge and clip of closed outlines, contour-to-contour
// intersection and point in contour.
//
// The profile: a left face, then units of ten segments along +x (a flat, a chamfer down, a
// groove wall, a corner fillet, the groove bottom, a fillet, the other wall, a chamfer up, a flat
// and a half-circle groove of radius 0.8), a right face and the axis back to the start. Seven
// units make 73 segments, a hundred make 1003.
#include <benchmark/benchmark.h>

#include <cstdint>
#include <vector>

#include "contour/segment_build.h"
#include "kernel/contour_services.h"

namespace sulkor {
namespace {

constexpr double kTop = 20.0;
constexpr double kUnit = 8.0;

// The top of the profile, an open chain from the left face's top to the right face's top.
std::vector<Segment> ProfileTop(int units) {
  std::vector<Segment> segs;
  double x = 0.0;
  const double h = kTop;
  for (int k = 0; k < units; ++k) {
    segs.push_back(MakeLine(x, h, x + 1.5, h));
    segs.push_back(MakeLine(x + 1.5, h, x + 2.0, h - 0.5));
    segs.push_back(MakeLine(x + 2.0, h - 0.5, x + 2.0, h - 2.7));
    segs.push_back(MakeArc(x + 2.0, h - 2.7, x + 2.3, h - 3.0, x + 2.3, h - 2.7, 1));
    segs.push_back(MakeLine(x + 2.3, h - 3.0, x + 3.7, h - 3.0));
    segs.push_back(MakeArc(x + 3.7, h - 3.0, x + 4.0, h - 2.7, x + 3.7, h - 2.7, 1));
    segs.push_back(MakeLine(x + 4.0, h - 2.7, x + 4.0, h - 0.5));
    segs.push_back(MakeLine(x + 4.0, h - 0.5, x + 4.5, h));
    segs.push_back(MakeLine(x + 4.5, h, x + 6.4, h));
    segs.push_back(MakeArc(x + 6.4, h, x + 8.0, h, x + 7.2, h, 1));  // below the centre
    x += kUnit;
  }
  return segs;
}

int UnitsFor(int64_t segments) { return static_cast<int>((segments - 3) / 10); }

Contour OpenChain(int units) { return MakeContour(ProfileTop(units)); }

Contour ClosedProfile(int units) {
  std::vector<Segment> segs{MakeLine(0, 0, 0, kTop)};
  for (Segment& s : ProfileTop(units)) segs.push_back(s);
  const double end = kUnit * units;
  segs.push_back(MakeLine(end, kTop, end, 0));
  segs.push_back(MakeLine(end, 0, 0, 0));
  return MakeContour(std::move(segs));
}

Contour Moved(const Contour& c, double dx, double dy) {
  Contour m = c;
  for (Segment& s : m.Segs) {
    for (Point3* p : {&s.StartPt, &s.EndPt, &s.Center, &s.MidPt}) {
      p->x += dx;
      p->y += dy;
    }
  }
  return m;
}

// The copy that the cut region merges with the outline: shifted against x by the tool width
// less two corner radii (w = 3, r = 0.4) and by 1e-6 in y.
Contour ShiftedCopy(const Contour& c) { return Moved(c, -(3.0 - 0.8), 1e-6); }

// The corner-radius offset of the work contour, on the side away from the material (left of
// travel, above the profile) and into it.
void BM_OffsetOpenChain(benchmark::State& state) {
  Contour chain = OpenChain(UnitsFor(state.range(0)));
  chain.Side = static_cast<int16_t>(state.range(1));
  ContourList out;
  bool ok = false;
  for (auto _ : state) {
    ok = OffsetContour(chain, "Internal", 0.4, "Single", 1, out);
    benchmark::DoNotOptimize(out.Contours.data());
  }
  state.counters["segments"] = chain.Count();
  state.counters["result"] = ok ? out.Contours[0].Count() : -1;
}
BENCHMARK(BM_OffsetOpenChain)->Args({73, 1})->Args({73, -1})->Args({1003, 1})->Args({1003, -1})
    ->Unit(benchmark::kMicrosecond);

// A closed finishing outline offset "External".
void BM_OffsetClosedExternal(benchmark::State& state) {
  const Contour profile = ClosedProfile(UnitsFor(state.range(0)));
  ContourList out;
  bool ok = false;
  for (auto _ : state) {
    ok = OffsetContour(profile, "External", 0.25, "Single", 0, out);
    benchmark::DoNotOptimize(out.Contours.data());
  }
  state.counters["result"] = ok ? out.Contours[0].Count() : -1;
}
BENCHMARK(BM_OffsetClosedExternal)->Arg(73)->Arg(1003)->Unit(benchmark::kMicrosecond);

void BM_MergeWithShiftedCopy(benchmark::State& state) {
  const Contour profile = ClosedProfile(UnitsFor(state.range(0)));
  const Contour copy = ShiftedCopy(profile);
  IntersectionResult ab;
  IntersectContours(profile, copy, ab);
  ContourList out;
  bool ok = false;
  for (auto _ : state) {
    ok = MergeContours(profile, copy, ab, out);
    benchmark::DoNotOptimize(out.Contours.data());
  }
  state.counters["result"] = ok ? out.Contours[0].Count() : -1;
}
BENCHMARK(BM_MergeWithShiftedCopy)->Arg(73)->Arg(1003)->Unit(benchmark::kMicrosecond);

void BM_ClipByShiftedCopy(benchmark::State& state) {
  const Contour profile = ClosedProfile(UnitsFor(state.range(0)));
  const Contour copy = ShiftedCopy(profile);
  IntersectionResult ab;
  IntersectContours(profile, copy, ab);
  ContourList out;
  bool ok = false;
  for (auto _ : state) {
    ok = ClipContours(profile, copy, ab, out);
    benchmark::DoNotOptimize(out.Contours.data());
  }
  state.counters["result"] = ok ? out.Count() : -1;
}
BENCHMARK(BM_ClipByShiftedCopy)->Arg(73)->Arg(1003)->Unit(benchmark::kMicrosecond);

// The removed-material step: the outline clipped by a rectangle that covers its lower part.
void BM_ClipByRectangle(benchmark::State& state) {
  const int units = UnitsFor(state.range(0));
  const Contour profile = ClosedProfile(units);
  const double end = kUnit * units;
  const Contour rect = MakePolygon({-1, -1, end + 1, -1, end + 1, 18, -1, 18});
  IntersectionResult ab;
  IntersectContours(profile, rect, ab);
  ContourList out;
  bool ok = false;
  for (auto _ : state) {
    ok = ClipContours(profile, rect, ab, out);
    benchmark::DoNotOptimize(out.Contours.data());
  }
  state.counters["result"] = ok ? out.Contours[0].Count() : -1;
}
BENCHMARK(BM_ClipByRectangle)->Arg(73)->Arg(1003)->Unit(benchmark::kMicrosecond);

void BM_IntersectWithShiftedCopy(benchmark::State& state) {
  const Contour profile = ClosedProfile(UnitsFor(state.range(0)));
  const Contour copy = ShiftedCopy(profile);
  IntersectionResult result;
  for (auto _ : state) {
    IntersectContours(profile, copy, result);
    benchmark::DoNotOptimize(result.Points.data());
  }
  state.counters["points"] = result.Count();
}
BENCHMARK(BM_IntersectWithShiftedCopy)->Arg(73)->Arg(1003)->Unit(benchmark::kMicrosecond);

// Point in contour, averaged over a grid of 64 points across the profile's box (inside,
// outside, in the grooves); the time is per point.
void BM_PointInContour(benchmark::State& state) {
  const int units = UnitsFor(state.range(0));
  const Contour profile = ClosedProfile(units);
  const double end = kUnit * units;
  std::vector<std::pair<double, double>> points;
  for (int i = 0; i < 8; ++i) {
    for (int j = 0; j < 8; ++j) {
      points.emplace_back(-0.5 + (end + 1.0) * (i + 0.37) / 8.0, -0.5 + 21.0 * (j + 0.61) / 8.0);
    }
  }
  int inside = 0;
  for (auto _ : state) {
    inside = 0;
    for (const auto& [x, y] : points) inside += LocatePoint(profile, x, y) == kInside;
    benchmark::DoNotOptimize(inside);
  }
  state.counters["inside"] = inside;
  state.SetItemsProcessed(state.iterations() * static_cast<int64_t>(points.size()));
  state.counters["per_point_ns"] = benchmark::Counter(
      static_cast<double>(state.iterations() * static_cast<int64_t>(points.size())),
      benchmark::Counter::kIsRate | benchmark::Counter::kInvert);
}
BENCHMARK(BM_PointInContour)->Arg(73)->Arg(1003);

}  // namespace
}  // namespace sulkor
