// Timing of the geometry services on turned-part profiles (testing/turned_profiles.h) of 73,
// 243, 493, 1003 and 2003 segments: the offset of an open chain on both sides, the closed
// offset, merge and clip of closed outlines, clip by a rectangle, contour-to-contour
// intersection and point in contour.
#include <benchmark/benchmark.h>

#include <cstdint>
#include <vector>

#include "contour/segment_build.h"
#include "kernel/contour_services.h"
#include "testing/turned_profiles.h"

namespace sulkor {
namespace {

using testing::ClosedProfile;
using testing::kProfileUnit;
using testing::ProfileChain;
using testing::UnitsFor;

Contour Moved(const Contour& c, double dx, double dy) { return testing::Placed(c, dx, dy); }

// The copy that the cut region merges with the outline: shifted against x by the tool width
// less two corner radii (w = 3, r = 0.4) and by 1e-6 in y.
Contour ShiftedCopy(const Contour& c) { return Moved(c, -(3.0 - 0.8), 1e-6); }

// The corner-radius offset of the work contour, on the side away from the material (left of
// travel, above the profile) and into it.
void BM_OffsetOpenChain(benchmark::State& state) {
  Contour chain = ProfileChain(UnitsFor(state.range(0)));
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
BENCHMARK(BM_OffsetOpenChain)
    ->ArgsProduct({{73, 243, 493, 1003, 2003}, {1, -1}})
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
BENCHMARK(BM_OffsetClosedExternal)
    ->Arg(73)->Arg(243)->Arg(493)->Arg(1003)->Arg(2003)->Unit(benchmark::kMicrosecond);

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
BENCHMARK(BM_MergeWithShiftedCopy)
    ->Arg(73)->Arg(243)->Arg(493)->Arg(1003)->Arg(2003)->Unit(benchmark::kMicrosecond);

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
BENCHMARK(BM_ClipByShiftedCopy)
    ->Arg(73)->Arg(243)->Arg(493)->Arg(1003)->Arg(2003)->Unit(benchmark::kMicrosecond);

// The removed-material step: the outline clipped by a rectangle that covers its lower part.
void BM_ClipByRectangle(benchmark::State& state) {
  const int units = UnitsFor(state.range(0));
  const Contour profile = ClosedProfile(units);
  const double end = kProfileUnit * units;
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
BENCHMARK(BM_ClipByRectangle)
    ->Arg(73)->Arg(243)->Arg(493)->Arg(1003)->Arg(2003)->Unit(benchmark::kMicrosecond);

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
BENCHMARK(BM_IntersectWithShiftedCopy)
    ->Arg(73)->Arg(243)->Arg(493)->Arg(1003)->Arg(2003)->Unit(benchmark::kMicrosecond);

// Point in contour, averaged over a grid of 64 points across the profile's box (inside,
// outside, in the grooves); the time is per point.
void BM_PointInContour(benchmark::State& state) {
  const int units = UnitsFor(state.range(0));
  const Contour profile = ClosedProfile(units);
  const double end = kProfileUnit * units;
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
BENCHMARK(BM_PointInContour)
    ->Arg(73)->Arg(243)->Arg(493)->Arg(1003)->Arg(2003);

}  // namespace
}  // namespace sulkor
