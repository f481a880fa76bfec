// Timing of the contour-intersection and point-in-contour services on a turned profile: a left
// face, a chamfer, a top edge of flats alternating with half-circle grooves and beads (radius
// 2), a right face and the axis. With 23 flat-and-arc pairs the contour holds 50 segments.
#include <benchmark/benchmark.h>

#include <cstdint>
#include <vector>

#include "contour/segment_build.h"
#include "kernel/contour_services.h"

namespace sulkor {
namespace {

Contour MakeProfile(int pairs) {
  std::vector<Segment> segs;
  segs.push_back(MakeLine(0, 0, 0, 18));
  segs.push_back(MakeLine(0, 18, 2, 20));
  double x = 2;
  for (int k = 0; k < pairs; ++k) {
    segs.push_back(MakeLine(x, 20, x + 4, 20));
    // Counterclockwise from the left end runs below the centre: a groove; clockwise a bead.
    segs.push_back(MakeArc(x + 4, 20, x + 8, 20, x + 6, 20, k % 2 == 0 ? 1 : -1));
    x += 8;
  }
  segs.push_back(MakeLine(x, 20, x, 0));
  segs.push_back(MakeLine(x, 0, 0, 0));
  return MakeContour(std::move(segs));
}

int PairsFor(int64_t segments) { return static_cast<int>((segments - 4) / 2); }

// A plunge probe: a vertical line from above the part down through it, across a groove arc.
Contour Probe(double x) { return MakeContour({MakeLine(x, 30, x, -5)}); }

void BM_ProbeAgainstContour(benchmark::State& state) {
  const Contour contour = MakeProfile(PairsFor(state.range(0)));
  const Contour probe = Probe(8 * 12 + 2 + 7);
  IntersectionResult result;
  for (auto _ : state) {
    IntersectContours(probe, contour, result);
    benchmark::DoNotOptimize(result.Points.data());
  }
  state.counters["crossings"] = result.Count();
}
BENCHMARK(BM_ProbeAgainstContour)->Arg(50)->Arg(1000);

void BM_ContourAgainstProbe(benchmark::State& state) {
  const Contour contour = MakeProfile(PairsFor(state.range(0)));
  const Contour probe = Probe(8 * 12 + 2 + 7);
  IntersectionResult result;
  for (auto _ : state) {
    IntersectContours(contour, probe, result);
    benchmark::DoNotOptimize(result.Points.data());
  }
  state.counters["crossings"] = result.Count();
}
BENCHMARK(BM_ContourAgainstProbe)->Arg(50)->Arg(1000);

// The contour against a copy of itself shifted by (3, 1e-6): every segment meets a few others.
void BM_ContourAgainstShiftedCopy(benchmark::State& state) {
  const Contour contour = MakeProfile(PairsFor(state.range(0)));
  Contour copy = contour;
  for (Segment& s : copy.Segs) {
    for (Point3* p : {&s.StartPt, &s.EndPt, &s.Center, &s.MidPt}) {
      p->x += 3;
      p->y += 1e-6;
    }
  }
  IntersectionResult result;
  for (auto _ : state) {
    IntersectContours(contour, copy, result);
    benchmark::DoNotOptimize(result.Points.data());
  }
  state.counters["crossings"] = result.Count();
}
BENCHMARK(BM_ContourAgainstShiftedCopy)->Arg(50)->Arg(1000);

// A point well inside, whose ray meets only the right face.
void BM_LocatePointInside(benchmark::State& state) {
  const Contour contour = MakeProfile(PairsFor(state.range(0)));
  for (auto _ : state) benchmark::DoNotOptimize(LocatePoint(contour, 50, 10));
}
BENCHMARK(BM_LocatePointInside)->Arg(50)->Arg(1000);

// A point at the height of the grooves: its ray crosses every groove arc twice.
void BM_LocatePointAtGrooves(benchmark::State& state) {
  const Contour contour = MakeProfile(PairsFor(state.range(0)));
  for (auto _ : state) benchmark::DoNotOptimize(LocatePoint(contour, 5, 19));
}
BENCHMARK(BM_LocatePointAtGrooves)->Arg(50)->Arg(1000);

}  // namespace
}  // namespace sulkor
