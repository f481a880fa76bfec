#include "cli/run_report.h"

#include <fmt/format.h>

#include "cli/nc_options.h"
#include "operation/operation_state.h"
#include "operation/work_kind.h"

namespace sulkor::cli {

std::string KindName(WorkKind kind) {
  switch (kind) {
    case WorkKind::OutsideDiameter: return "outside diameter";
    case WorkKind::Bore: return "bore";
    case WorkKind::FrontFace: return "front face";
    case WorkKind::BackFace: return "back face";
  }
  return "unknown";
}

namespace {

// JSON string contents: the texts here are our own names, but escape what JSON requires.
std::string Escaped(const std::string& text) {
  std::string out;
  for (char c : text) {
    if (c == '"' || c == '\\') out += '\\';
    out += c;
  }
  return out;
}

}  // namespace

RunReport ReportOf(const OperationState& state, const std::string& units, double rapidRate,
                   double dwell, bool feedPerRevolution) {
  RunReport report;
  const WorkKind kind = KindOfWork(state.params.TrajectoryType, state.directionSign);
  report.kind = KindName(kind);
  report.units = units;
  report.path = SummarizePath(state.toolPath,
                              kind == WorkKind::FrontFace || kind == WorkKind::BackFace);
  report.rapidRate = rapidRate > 0.0 ? rapidRate
                     : units == "in" ? kDefaultRapidInches
                                     : kDefaultRapidMillimetres;
  try {
    PostInput input = PostInputFromOperation(state);
    input.feedPerRevolution = feedPerRevolution;
    report.cycle = EstimateCycleTime(input, report.rapidRate, dwell);
    report.timed = true;
  } catch (const PostError&) {
    report.timed = false;
  }
  return report;
}

void PrintReport(std::ostream& out, const RunReport& r) {
  out << fmt::format("groove: {}\n", r.kind)
      << fmt::format("plunges: {}  pecks: {}  moves: {}\n", r.path.plunges, r.path.pecks,
                     r.path.moves)
      << fmt::format("cutting length: {:.3f} {}  rapid length: {:.3f} {}\n", r.path.cuttingLength,
                     r.units, r.path.rapidLength, r.units);
  if (r.timed) {
    out << fmt::format("cycle time: {:.2f} min (rapids at {:g} {}/min)\n", r.cycle.minutes,
                       r.rapidRate, r.units);
  } else {
    out << "cycle time: unknown (a feed is not above zero)\n";
  }
}

void PrintReportJson(std::ostream& out, const RunReport& r) {
  out << fmt::format(
      "{{\"kind\": \"{}\", \"units\": \"{}\", \"plunges\": {}, \"pecks\": {}, \"moves\": {}, "
      "\"cuttingLength\": {:.6f}, \"rapidLength\": {:.6f}, \"rapidRate\": {:g}, "
      "\"cycleMinutes\": {}}}\n",
      Escaped(r.kind), Escaped(r.units), r.path.plunges, r.path.pecks, r.path.moves,
      r.path.cuttingLength, r.path.rapidLength, r.rapidRate,
      r.timed ? fmt::format("{:.6f}", r.cycle.minutes) : std::string("null"));
}

}  // namespace sulkor::cli
