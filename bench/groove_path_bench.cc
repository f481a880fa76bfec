// Tool-path generation for a rectangular outside groove, from the drawing to the path: the
// preparation of the working geometry and BuildGroovePath, as DoGroove runs them. The groove is
// 6 deep; its width is the argument in tenths of the tool width (3 mm, corner radius 0.4).
#include <benchmark/benchmark.h>

#include <stdexcept>
#include <vector>

#include "contour/segment_build.h"
#include "workarea/work_geometry.h"
#include "operation/operation_state.h"
#include "operation/tool.h"
#include "host/memory/scene.h"
#include "sulkor/groove.h"
#include "toolpath/groove_path.h"
#include "groove/groove_state.h"

namespace sulkor {
namespace {

constexpr double kToolWidth = 3.0;

void BM_OutsideGroovePath(benchmark::State& bench) {
  const double width = static_cast<double>(bench.range(0)) / 10.0 * kToolWidth;
  const double half = width / 2.0;
  const Contour blank = MakePolygon({0, 0, 200, 0, 200, 50, 0, 50});
  const Contour work = MakeContour({MakeLine(100 - half, 52, 100 - half, 44),
                                    MakeLine(100 - half, 44, 100 + half, 44),
                                    MakeLine(100 + half, 44, 100 + half, 52)});
  host::SceneTool tool;
  tool.width = kToolWidth;
  tool.cornerRadius = 0.4;
  host::GrooveScene scene = host::BuildGrooveScene(blank, work, tool);
  Groove groove(scene.host.environment);
  OperationState& state = StateOf(groove);
  state.params.DepthOnPass = 3.0;
  state.params.FinishThickness = 0.5;
  state.params.StartPointZ = 210.0;
  state.params.StartPointX = 120.0;
  const Handle<BlockSet> blockSet(scene.blockSet);
  const Handle<GraphicSet> graphics(scene.contourSet);
  int32_t moves = 0;
  for (auto _ : bench) {
    state.contours.ResetAll();
    Contour path;
    const bool ok = LoadTool(state, blockSet) && PrepareWorkGeometry(state, blockSet, graphics) &&
                    BuildGroovePath(state, path);
    if (!ok) throw std::runtime_error("the groove's tool path failed");
    moves = path.Count();
    benchmark::DoNotOptimize(path);
  }
  bench.counters["moves"] = moves;
  bench.counters["width_mm"] = width;
}

BENCHMARK(BM_OutsideGroovePath)
    ->Arg(25)->Arg(50)->Arg(100)->Arg(200)
    ->Unit(benchmark::kMillisecond);

}  // namespace
}  // namespace sulkor
