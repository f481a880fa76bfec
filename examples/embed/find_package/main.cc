// A groove from coordinates: a bar 80 long of radius 25, a groove 10 wide and 5 deep.
#include <cstdio>

#include <sulkor/values.h>

int main() {
  sulkor::GrooveRequest request;
  request.blank = sulkor::Polyline({{0, 0}, {80, 0}, {80, 25}, {0, 25}, {0, 0}});
  request.profile = sulkor::Polyline({{30, 28}, {30, 20}, {40, 20}, {40, 28}});
  request.tool = {.width = 3, .cornerRadius = 0.2};
  request.cutting.finishAllowance = 0.1;
  const sulkor::GrooveResult result = sulkor::RunGroove(request);
  if (!result.Ok()) {
    std::fprintf(stderr, "%s\n%s\n", result.message.c_str(), result.detail.c_str());
    return 1;
  }
  std::printf("%s: %d plunges, %d pecks, %zu moves, %.2f min\n",
              sulkor::GrooveKindName(result.kind).data(), result.summary.plunges,
              result.summary.pecks, result.moves.size(), result.summary.cycleMinutes);
}
