// Inputs of many pieces, which must cost about linear time: a groove bottom drawn as thousands
// of collinear lines, prepared for the tool path; and loose DXF lines chained into outlines.
#include <benchmark/benchmark.h>

#include <algorithm>
#include <random>
#include <stdexcept>
#include <vector>

#include "contour/segment_build.h"
#include "groove/groove_state.h"
#include "host/dxf/dxf_chainer.h"
#include "host/memory/scene.h"
#include "operation/operation_state.h"
#include "operation/tool.h"
#include "sulkor/groove.h"
#include "workarea/work_geometry.h"

namespace sulkor {
namespace {

// A 12 wide, 6 deep outside groove whose bottom is drawn as `pieces` collinear lines.
void BM_PrepareCollinearBottom(benchmark::State& bench) {
  const int pieces = static_cast<int>(bench.range(0));
  const Contour blank = MakePolygon({0, 0, 200, 0, 200, 50, 0, 50});
  std::vector<Segment> segs{MakeLine(94, 52, 94, 44)};
  for (int k = 0; k < pieces; ++k) {
    segs.push_back(MakeLine(94 + 12.0 * k / pieces, 44, 94 + 12.0 * (k + 1) / pieces, 44));
  }
  segs.push_back(MakeLine(106, 44, 106, 52));
  host::SceneTool tool;
  tool.width = 3.0;
  tool.cornerRadius = 0.4;
  host::GrooveScene scene = host::BuildGrooveScene(blank, MakeContour(std::move(segs)), tool);
  Groove groove(scene.host.environment);
  OperationState& state = StateOf(groove);
  state.params.DepthOnPass = 3.0;
  state.params.StartPointZ = 210.0;
  state.params.StartPointX = 120.0;
  const Handle<BlockSet> blockSet(scene.blockSet);
  const Handle<GraphicSet> graphics(scene.contourSet);
  for (auto _ : bench) {
    state.contours.ResetAll();
    if (!LoadTool(state, blockSet) || !PrepareWorkGeometry(state, blockSet, graphics)) {
      throw std::runtime_error("the groove's preparation failed");
    }
    benchmark::DoNotOptimize(state.contours.work.Segs.data());
  }
  bench.counters["work_segments"] = state.contours.work.Count();
}
BENCHMARK(BM_PrepareCollinearBottom)->Arg(1000)->Arg(4000)->Arg(10000)
    ->Unit(benchmark::kMillisecond);

// `lines` loose lines on the DATA layer forming chains of 100, in shuffled file order, every
// other one drawn backwards.
void BM_ChainLooseDxfLines(benchmark::State& bench) {
  const int lines = static_cast<int>(bench.range(0));
  host::DxfDocument doc;
  for (int k = 0; k < lines; ++k) {
    const double y = 3.0 * (k / 100);
    const double x = k % 100;
    host::DxfEntity e;
    e.layer = "DATA";
    e.x1 = x;
    e.y1 = y + 0.5 * (k % 2);
    e.x2 = x + 1;
    e.y2 = y + 0.5 * ((k + 1) % 2);
    if (k % 3 == 0) {
      std::swap(e.x1, e.x2);
      std::swap(e.y1, e.y2);
    }
    doc.entities.push_back(e);
  }
  std::shuffle(doc.entities.begin(), doc.entities.end(), std::mt19937(7));
  size_t chains = 0;
  for (auto _ : bench) {
    const host::DxfLayout layout = host::PlanDxf(doc);
    chains = layout.chains.size();
    benchmark::DoNotOptimize(layout.chains.data());
  }
  bench.counters["chains"] = static_cast<double>(chains);
}
BENCHMARK(BM_ChainLooseDxfLines)->Arg(2000)->Arg(20000)->Arg(100000)
    ->Unit(benchmark::kMillisecond);

}  // namespace
}  // namespace sulkor
