// Timing of the value interface: one groove request in, its result out (a 10 wide, 5 deep groove
// with rounded corners in a bar of radius 25, grooved with a 3 wide tool), on one thread and on
// eight at once, and the lathe program of a result.
#include <benchmark/benchmark.h>

#include "sulkor/values.h"

namespace sulkor {
namespace {

GrooveRequest Request() {
  GrooveRequest request;
  request.blank = Polyline({{0, 0}, {80, 0}, {80, 25}, {0, 25}, {0, 0}});
  request.profile = {Element::Line({30, 28}, {30, 21}),
                     Element::Arc({30, 21}, {31, 20}, {31, 21}, 1),
                     Element::Line({31, 20}, {39, 20}),
                     Element::Arc({39, 20}, {40, 21}, {39, 21}, 1),
                     Element::Line({40, 21}, {40, 28})};
  request.cutting.depthPerPass = 2.0;
  return request;
}

void BM_RunGroove(benchmark::State& state) {
  const GrooveRequest request = Request();
  size_t moves = 0;
  for (auto _ : state) {
    const GrooveResult result = RunGroove(request);
    moves = result.moves.size();
    benchmark::DoNotOptimize(result.moves.data());
  }
  state.counters["moves"] = benchmark::Counter(static_cast<double>(moves),
                                               benchmark::Counter::kAvgThreads);
  state.SetItemsProcessed(state.iterations());  // grooves per second, summed over the threads
}
BENCHMARK(BM_RunGroove)->Unit(benchmark::kMicrosecond)->Threads(1)->Threads(8)->UseRealTime();

void BM_PostProgram(benchmark::State& state) {
  const GrooveResult result = RunGroove(Request());
  for (auto _ : state) {
    const std::string program = PostProgram(result, "linuxcnc");
    benchmark::DoNotOptimize(program.data());
  }
}
BENCHMARK(BM_PostProgram)->Unit(benchmark::kMicrosecond);

}  // namespace
}  // namespace sulkor
