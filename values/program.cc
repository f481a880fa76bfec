// The lathe program of a result, from its values alone: its moves, settings and units.
#include "contour/segment_build.h"
#include "post/nc_post.h"
#include "sulkor/values.h"

namespace sulkor {

std::string PostProgram(const GrooveResult& result, std::string_view dialect) {
  const Dialect chosen = DialectFromName(dialect);
  if (!result.Ok()) {
    throw PostError("the groove was not computed (" + std::string(GrooveStatusName(result.status)) +
                    "): there is no tool path to post");
  }
  PostInput input;
  for (const Move& move : result.moves) {
    const Element& e = move.element;
    Segment s = e.kind == ElementKind::Arc
                    ? MakeArc(e.start.x, e.start.y, e.end.x, e.end.y, e.center.x, e.center.y,
                              static_cast<int16_t>(e.direction))
                    : MakeLine(e.start.x, e.start.y, e.end.x, e.end.y);
    s.MoveType = move.kind == MoveKind::Cutting ? 1 : 0;
    s.Phase = move.phase == MovePhase::Roughing    ? 1
              : move.phase == MovePhase::Finishing ? 2
                                                   : 0;
    input.moves.push_back(s);
  }
  const GrooveSettings& settings = result.settings;
  input.roughFeed = settings.feed;
  input.roughSpeed = settings.speed;
  input.finishFeed = settings.finishFeed;
  input.finishSpeed = settings.finishSpeed;
  input.units = result.units == Units::Inch ? NcUnits::Inch : NcUnits::Millimetre;
  input.toolNumber = settings.toolNumber;
  input.start = {settings.start.z, settings.start.diameter / 2.0, 0.0};
  PostOptions options;
  options.dialect = chosen;
  return PostProcess(input, options);
}

}  // namespace sulkor
