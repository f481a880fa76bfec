// Timing of the previews of a typical groove run: a 10 wide, 5 deep groove with rounded corners
// in a bar of radius 20, grooved with a 3 wide tool (about 60 moves), painted 1200 wide to each
// format in memory, and the layout alone.
#include <benchmark/benchmark.h>

#include "contour/segment_build.h"
#include "host/memory/scene.h"
#include "host/preview/preview.h"
#include "sulkor/groove.h"

namespace sulkor {
namespace {

host::GrooveScene& GroovedScene() {
  static host::GrooveScene* scene = [] {
    auto* s = new host::GrooveScene(host::BuildGrooveScene(
        MakePolygon({0, 0, 50, 0, 50, 20, 0, 20}),
        MakeContour({MakeLine(20, 25, 20, 17), MakeArc(20, 17, 22, 15, 22, 17, 1),
                     MakeLine(22, 15, 28, 15), MakeArc(28, 15, 30, 17, 28, 17, 1),
                     MakeLine(30, 17, 30, 25)}),
        host::SceneTool{}));
    Groove groove(s->host.environment);
    groove.DoGroove(Handle<BlockSet>(s->blockSet));
    return s;
  }();
  return *scene;
}

void BM_Render(benchmark::State& state) {
  const auto format = static_cast<host::PreviewFormat>(state.range(0));
  Drawing& drawing = *GroovedScene().host.Drawing();
  size_t bytes = 0;
  for (auto _ : state) {
    const std::string data = host::RenderPreviewData(drawing, format, {});
    bytes = data.size();
    benchmark::DoNotOptimize(data.data());
  }
  state.counters["bytes"] = static_cast<double>(bytes);
}
BENCHMARK(BM_Render)
    ->Arg(static_cast<int>(host::PreviewFormat::Png))
    ->Arg(static_cast<int>(host::PreviewFormat::Svg))
    ->Arg(static_cast<int>(host::PreviewFormat::Pdf))
    ->Unit(benchmark::kMillisecond);

void BM_Layout(benchmark::State& state) {
  Drawing& drawing = *GroovedScene().host.Drawing();
  for (auto _ : state) benchmark::DoNotOptimize(host::LayoutPreview(drawing, {}).transform.scale);
}
BENCHMARK(BM_Layout)->Unit(benchmark::kMicrosecond);

}  // namespace
}  // namespace sulkor
