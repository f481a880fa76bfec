#include "cli/previews.h"

#include <algorithm>

#include "cli/exit_codes.h"
#include "operation/operation_state.h"
#include "operation/work_kind.h"
#include "output/graphic_builders.h"
#include "post/nc_post.h"
#include "sulkor/graphic_names.h"
#include "toolpath/groove_path.h"

namespace sulkor::cli {
namespace {

constexpr std::string_view kPartGroup = "Part";

// The names of the part's blanks: the graphics of the group "Part" that are not its data.
std::vector<std::string> BlankNames(Drawing& drawing) {
  std::vector<std::string> names;
  Handle<Graphics> top = drawing.TopGraphics();
  for (int32_t i = 0; i < top->Count(); ++i) {
    Handle<Graphic> g = top->Item(i);
    if (g->Name() != kPartGroup) continue;
    Handle<Graphics> children = g->Children();
    for (int32_t k = 0; k < children->Count(); ++k) {
      const std::string name = children->Item(k)->Name();
      if (name != "DATA" && std::find(names.begin(), names.end(), name) == names.end()) {
        names.push_back(name);
      }
    }
  }
  return names;
}

}  // namespace

void CheckPreviewPath(const std::string& path) {
  try {
    host::PreviewFormatFor(path);
  } catch (const host::PreviewError& error) {
    throw UsageError(error.what());
  }
}

std::vector<host::PreviewInsert> InsertsOf(const OperationState& state) {
  host::PreviewInsert shape;
  shape.width = state.tool.Width;
  shape.cornerRadius = state.tool.GeomCornerRadius;
  shape.bodyLength = 1.5 * state.tool.Width;
  switch (KindOfWork(state.params.TrajectoryType, state.directionSign)) {
    case WorkKind::OutsideDiameter: shape.u = {1, 0}; shape.v = {0, 1}; break;
    case WorkKind::Bore: shape.u = {1, 0}; shape.v = {0, -1}; break;
    case WorkKind::FrontFace: shape.u = {0, 1}; shape.v = {1, 0}; break;
    case WorkKind::BackFace: shape.u = {0, 1}; shape.v = {-1, 0}; break;
  }
  const std::vector<Segment>& moves = state.toolPath.Segs;
  std::vector<host::PreviewInsert> inserts;
  for (size_t i = 0; i < moves.size(); ++i) {
    const bool finishing =
        moves[i].MoveType != kMovePositioning && moves[i].Phase == kPhaseFinishing;
    const bool passEnds = finishing && (i + 1 == moves.size() ||
                                        moves[i + 1].MoveType == kMovePositioning ||
                                        moves[i + 1].Phase != kPhaseFinishing);
    if (EndsPlunge(moves, i) || passEnds) {
      host::PreviewInsert insert = shape;
      insert.reference = {moves[i].EndPt.x, moves[i].EndPt.y};
      inserts.push_back(insert);
    }
  }
  return inserts;
}

std::pair<host::Point2, host::Point2> GrooveView(const OperationState& state) {
  host::Point2 lo{1e300, 1e300}, hi{-1e300, -1e300};
  const auto add = [&](double x, double y) {
    lo = {std::min(lo.x, x), std::min(lo.y, y)};
    hi = {std::max(hi.x, x), std::max(hi.y, y)};
  };
  for (const Segment& m : state.toolPath.Segs) {
    if (m.MoveType == kMovePositioning) continue;
    add(m.StartPt.x, m.StartPt.y);
    add(m.EndPt.x, m.EndPt.y);
  }
  if (lo.x > hi.x) return {{0, 0}, {1, 1}};
  // Room for the insert on every side, and a little of the part around the groove.
  const double room = 2.0 * state.tool.Width;
  return {{lo.x - room, lo.y - room}, {hi.x + room, hi.y + room}};
}

void StagePreview(StagedFiles& files, Drawing& drawing, const std::string& path,
                  const PreviewContent& content) {
  host::PreviewOptions options;
  options.labels = {
      {std::string(kTrajectoryName), kColorYellow, "positioning moves"},
      {std::string(kTrajectoryName), kColorRed, "cutting moves"},
  };
  for (const std::string& blank : BlankNames(drawing)) {
    options.labels.push_back({blank, -1, "remaining stock"});
  }
  options.dashedColor = kColorYellow;
  options.inserts = content.inserts;
  options.view = content.view;
  try {
    files.Stage(path, host::RenderPreviewData(drawing, host::PreviewFormatFor(path), options));
  } catch (const host::PreviewError& error) {
    throw UsageError(error.what());
  }
}

}  // namespace sulkor::cli
