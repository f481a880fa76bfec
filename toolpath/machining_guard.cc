#include "toolpath/machining_guard.h"

#include <algorithm>
#include <cstdio>
#include <exception>

#include "contour/contour_ops.h"
#include "operation/work_kind.h"
#include "toolpath/machining_check.h"

namespace sulkor {
namespace {

// The chords that replace arcs in the check stay within this of them (in millimetres): three
// of them stay well below the depth that counts.
constexpr double kChordMm = 1e-4;

std::string Format(const char* format, double a, double b = 0.0) {
  char text[200];
  std::snprintf(text, sizeof text, format, a, b);
  return text;
}

}  // namespace

std::string GuardToolPath(const OperationState& state) {
  const Contour& path = state.toolPath;
  const WorkKind kind = KindOfWork(state.params.TrajectoryType, state.directionSign);
  const double mm = state.unitsSystem == 1 ? 1.0 / 25.4 : 1.0;
  const double r = state.tool.GeomCornerRadius;
  const double limit = kGuardDepthMm * mm;

  // The insert's corner circles reach r to either side of the reference point across the
  // radius; below the axis the part turns the other way.
  for (int32_t i = 0; i < path.Count(); ++i) {
    const Segment& s = path.Seg(i);
    const double lowest = std::min(s.StartPt.y, s.EndPt.y) - r;
    if (lowest < -limit) {
      return Format("the path would cross the spindle axis (move %.0f reaches %.4f below it)",
                    static_cast<double>(i + 1), -lowest);
    }
  }

  Contour blank = state.contours.blank;
  ContourBounds(state.Geometry(), blank);
  MachiningCheckInput in;
  in.toolPath = &path;
  // The body reaches beyond the whole stock: the insert cannot pass under an overhang.
  const double reach = (blank.MaxX - blank.MinX) + (blank.MaxY - blank.MinY);
  in.insert = {state.tool.Width, r, kind, reach + state.tool.Width};
  in.blank = &state.contours.blank;
  in.finishedPart = &state.contours.partDrawn;
  in.regionToMachine = &state.contours.grooveDrawn;
  in.tolerance = kChordMm * mm;
  in.measureStock = false;
  MachiningReport report;
  try {
    report = CheckMachining(in);
  } catch (const GeometryError& e) {
    // The polygon library refuses some degenerate outlines; a path that cannot be checked is
    // not sent on.
    return std::string("the machining check could not run: ") + e.what();
  }
  if (report.gougeDepth > limit) {
    return Format("the path would cut %.4f into the finished part (move %.0f)",
                  report.gougeDepth, static_cast<double>(report.gougeMove + 1));
  }
  for (const PositioningHit& hit : report.positioningHits) {
    if (hit.depth > limit) {
      return Format("a positioning move would run %.4f deep through the stock (move %.0f)",
                    hit.depth, static_cast<double>(hit.move + 1));
    }
  }
  return {};
}

}  // namespace sulkor
