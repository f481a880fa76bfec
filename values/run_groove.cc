// RunGroove: the request built into a memory host as a drawing with its part, tool and
// operation, run through the Groove object exactly as `sulkor groove` runs a drawing, and the
// operation's state read back as values.
#include <fmt/format.h>

#include <cmath>
#include <memory>

#include "operation/operation_state.h"
#include "operation/parameters.h"
#include "operation/work_kind.h"
#include "host/dxf/dxf_names.h"
#include "host/dxf/part_from_drawing.h"
#include "host/memory/scene.h"
#include "post/nc_post.h"
#include "sulkor/graphic_names.h"
#include "sulkor/groove.h"
#include "toolpath/path_summary.h"
#include "values/chains.h"
#include "values/groove_kind.h"
#include "values/run_on_part.h"
#include "values/run_record.h"
#include "groove/groove_state.h"

namespace sulkor {
namespace {

constexpr std::string_view kRequestName = "request";
constexpr std::string_view kBlankName = "Blank";
constexpr double kRapidMillimetres = 10000.0;  // drawing units per minute
constexpr double kRapidInches = 400.0;

std::optional<std::string> RequestProblem(const GrooveRequest& request) {
  if (auto problem = values::ChainProblem(request.blank, "blank", true)) return problem;
  if (auto problem = values::ChainProblem(request.profile, "profile", false)) return problem;
  if (request.stock) {
    if (auto problem = values::ChainProblem(*request.stock, "stock", true)) return problem;
  }
  const GroovingTool& tool = request.tool;
  if (!(tool.width > 0.0) || !std::isfinite(tool.width)) {
    return fmt::format("the tool width must be a number above zero, not {:g}", tool.width);
  }
  if (!(tool.cornerRadius >= 0.0) || !(2.0 * tool.cornerRadius <= tool.width)) {
    return fmt::format("the corner radius must be from 0 to half the tool width {:g}, not {:g}",
                       tool.width, tool.cornerRadius);
  }
  return std::nullopt;
}

void SetIf(Groove& groove, std::string_view name, const std::optional<double>& value) {
  if (value) groove.SetParameter(std::string(name), Variant(*value));
}

void ApplyRequest(Groove& groove, const GrooveRequest& request) {
  const GrooveKind kind = request.kind.value_or(values::KindOfProfile(request.profile));
  groove.SetParameter(std::string(kParamTrajectoryType),
                      Variant(std::string(values::TrajectoryTypeOf(kind))));
  groove.SetParameter(std::string(kParamDirection), Variant(std::string(values::DirectionOf(kind))));
  if (request.start) {
    groove.SetParameter(std::string(kParamStartPointX), Variant(request.start->diameter));
    groove.SetParameter(std::string(kParamStartPointZ), Variant(request.start->z));
  }
  const CuttingData& c = request.cutting;
  SetIf(groove, kParamFeed, c.feed);
  SetIf(groove, kParamSpeed, c.speed);
  SetIf(groove, kParamDepthOnPass, c.depthPerPass);
  SetIf(groove, kParamFinishThickness, c.finishAllowance);
  SetIf(groove, kParamFinishFeed, c.finishFeed);
  SetIf(groove, kParamFinishSpeed, c.finishSpeed);
  groove.SetParameter(std::string(kParamToolNumber), Variant(request.tool.number));
}

Move ToMove(const Segment& s) {
  Move move;
  move.element = values::ToElement(s);
  move.kind = s.MoveType == 0 ? MoveKind::Positioning : MoveKind::Cutting;
  move.phase = s.Phase == 1   ? MovePhase::Roughing
               : s.Phase == 2 ? MovePhase::Finishing
                              : MovePhase::Positioning;
  return move;
}

void ReadResult(const OperationState& state, GrooveResult& result) {
  const WorkKind kind = KindOfWork(state.params.TrajectoryType, state.directionSign);
  result.kind = values::ToGrooveKind(kind);
  for (const Segment& s : state.toolPath.Segs) {
    if (s.IsLine() || s.IsArc()) result.moves.push_back(ToMove(s));
  }
  result.removed = values::ToChain(state.contours.toMachine);
  result.remaining = values::ToChain(state.contours.remaining);

  const PathSummary path = SummarizePath(
      state.toolPath, kind == WorkKind::FrontFace || kind == WorkKind::BackFace);
  GrooveSummary& summary = result.summary;
  summary.plunges = path.plunges;
  summary.pecks = path.pecks;
  summary.moves = path.moves;
  summary.cuttingLength = path.cuttingLength;
  summary.rapidLength = path.rapidLength;
  summary.rapidRate = result.units == Units::Inch ? kRapidInches : kRapidMillimetres;
  try {
    summary.cycleMinutes =
        EstimateCycleTime(PostInputFromOperation(state), summary.rapidRate).minutes;
    summary.timed = true;
  } catch (const PostError&) {
    summary.timed = false;
  }

  const Parameters& p = state.params;
  result.settings = {p.Feed,       p.Speed,       p.DepthOnPass, p.FinishThickness,
                     p.FinishFeed, p.FinishSpeed, {p.StartPointX, p.StartPointZ},
                     p.ToolNumber};
}

}  // namespace

GrooveResult RunGroove(const GrooveRequest& request) {
  GrooveResult result;
  result.units = request.units;
  if (auto problem = RequestProblem(request)) {
    result.status = GrooveStatus::InvalidRequest;
    result.message = *problem;
    return result;
  }
  const bool inch = request.units == Units::Inch;
  auto record = std::make_shared<RunRecord>();
  host::MemoryHost& host = record->host;
  host = host::BuildMemoryHost();
  host.Drawing()->SetProperty(kLinearUnitName,
                              Variant(std::string(inch ? kUnitInch : kUnitMillimetre)));
  Handle<Graphics> top = host.Drawing()->TopGraphics();
  host::AddContourPolyline(*top, values::ToContour(request.blank), kBlankName);
  host::AddContourPolyline(*top, values::ToContour(request.profile), kWorkContourName);
  if (request.stock) {
    host::AddContourPolyline(*top, values::ToContour(*request.stock), kLastPartBlankName);
  }
  host::DrawingPart part;
  try {
    part = host::SetUpPartFromDrawing(host, kRequestName);
  } catch (const Error& error) {
    result.status = GrooveStatus::InvalidRequest;
    result.message = error.what();
    return result;
  }
  host::SceneTool tool;
  tool.number = request.tool.number;
  tool.width = request.tool.width;
  tool.cornerRadius = request.tool.cornerRadius;
  tool.measure = inch ? kUnitInch : kUnitMillimetre;
  host::AddTool(*host.store, tool);

  Groove groove(host.environment);
  ApplyRequest(groove, request);
  const bool done = values::RunOnPart(groove, part);

  for (const auto& shown : host.messages->Messages()) {
    if (!result.message.empty()) result.message += '\n';
    result.message += shown.title + ": " + shown.prompt;
  }
  result.detail = groove.LastFailureDetail();
  if (!done || !result.message.empty()) {
    result.status = result.message.empty() ? GrooveStatus::Failed : GrooveStatus::Refused;
    return result;
  }
  result.status = GrooveStatus::Done;
  ReadResult(StateOf(groove), result);
  result.record = std::move(record);
  return result;
}

}  // namespace sulkor
