#include "workarea/work_geometry.h"

#include <cmath>
#include <cstdio>
#include <string>
#include <utility>

#include "contour/contour_ops.h"
#include "contour/contour_utils.h"
#include "workarea/groove_regions.h"
#include "contour/primitives.h"
#include "workarea/validation.h"
#include "workarea/work_offsets.h"
#include "operation/blank_graphic.h"
#include "operation/messages.h"
#include "operation/parameters.h"
#include "operation/tool.h"
#include "operation/work_kind.h"
#include "workarea/nudge_work.h"
#include "workarea/trim_work.h"
#include "workarea/work_area.h"
#include "workarea/work_segments.h"

namespace sulkor {
namespace {

bool Fail(const OperationState& state, const Message& message) {
  ShowMessage(state.host.get(), message);
  return false;
}

bool Fail(const OperationState& state, int32_t id) {
  return Fail(state, OperationMessage(state.host.get(), id));
}

// A failure with the reason, with its numbers, kept for the caller beside the message.
template <typename MessageOrId>
bool Fail(OperationState& state, const MessageOrId& message, std::string detail) {
  state.failureDetail = std::move(detail);
  return Fail(state, message);
}

// Reads the operation's stock into the blank: the "LastPartBlank" that the previous operation
// left in this operation's group, else the part's own blank graphic.
bool ReadBlank(OperationState& state, const Handle<BlockSet>& camBSet) {
  Handle<Graphic> lastPartBlank;
  WithErrorsSuppressed([&] {
    lastPartBlank = camBSet->GraphicGroup()->Children()->ItemByName(kLastPartBlankName);
  });
  Handle<Graphic> partGroup;
  WithErrorsSuppressed([&] { partGroup = camBSet->OwnerPart()->PartGraphic(); });
  if (!partGroup) return false;

  Contour& blank = state.contours.blank;
  blank.Reset();
  Handle<Graphic> source = lastPartBlank;
  if (!source) {
    Handle<Graphic> blankGraphic;
    WithErrorsSuppressed([&] { blankGraphic = FindBlankGraphic(partGroup, BlankMatch::ByName); });
    if (!blankGraphic) return false;
    WithErrorsSuppressed([&] { source = BlankProfile(blankGraphic); });
  }
  if (source) {
    WithErrorsSuppressed([&] {
      double unused1 = 0.0, unused2 = 0.0;
      state.Geometry().ConvertGraphic(source, blank, unused1, unused2);
    });
  }
  return !blank.Empty();
}

// The first graphic of the set named "WorkContour", converted into the work contour.
bool ReadWorkContour(OperationState& state, const Handle<GraphicSet>& workGraphics) {
  Contour& work = state.contours.work;
  WithErrorsSuppressed([&] {
    const int32_t count = workGraphics->Count();
    for (int32_t i = 0; i < count; ++i) {
      Handle<Graphic> g = workGraphics->Item(i);
      if (g && g->Name() == kWorkContourName) {
        double unused1 = 0.0, unused2 = 0.0;
        state.Geometry().ConvertGraphic(g, work, unused1, unused2);
        JoinRuns(work);
        break;
      }
    }
  });
  state.contours.workCopy = work;
  return !work.Empty();
}

// How far the chosen blank piece runs each way along x and along y: XA the runs whose direction
// has a non-negative cosine, XB the others; YA the runs whose direction has a non-positive sine,
// YB the others.
struct TravelSums {
  double xa = 0, xb = 0, ya = 0, yb = 0;
};

TravelSums SumTravel(const Contour& piece) {
  TravelSums sums;
  double t = 0.0;
  for (const Segment& s : piece.Segs) {
    if (s.IsLine()) {
      t = s.Tangent[0];
    } else if (s.IsArc()) {
      double t0 = 0.0;
      ArcEndTangents(s.StartPt.x, s.StartPt.y, s.MidPt.x, s.MidPt.y, s.Center.x, s.Center.y,
                     s.Radius, s.Direction, t0, t);
    }
    const double dx = std::fabs(s.EndPt.x - s.StartPt.x);
    const double dy = std::fabs(s.EndPt.y - s.StartPt.y);
    const double n = t - kPi / 2.0;
    (std::sin(n) <= 0.0 ? sums.xa : sums.xb) += dx;
    (std::cos(n) <= 0.0 ? sums.ya : sums.yb) += dy;
  }
  return sums;
}

// Decides the direction sign from the blank piece on the groove's side; false after message
// 111 (turning) or 112 (facing) when the piece runs both ways or not at all.
bool Classify(OperationState& state, const Contour& piece) {
  const TravelSums sums = SumTravel(piece);
  const bool turn = IsTurn(state.params.TrajectoryType);
  const double a = turn ? sums.xa : sums.ya;
  const double b = turn ? sums.xb : sums.yb;
  const int32_t message = turn ? kMsgTurnNoWorkArea : kMsgFaceNoWorkArea;
  if (b > kEps && a > kEps) {
    return Fail(state, message,
                "the work contour runs the other way for " + state.params.Direction +
                    ": the stock on that side of it is no groove");
  }
  // A blank piece that runs neither way: no groove side to classify.
  if (b <= kEps && a <= kEps) {
    return Fail(state, message, "the work contour cuts off no groove from the stock");
  }
  state.directionSign = b <= a ? -1 : 1;
  return true;
}

bool IsKnownOrientation(const std::string& o) {
  return o == kOrientationTurnExternal || o == kOrientationTurnInternal ||
         o == kOrientationFace || o == kOrientationBackFace;
}

// A tool keeps the orientation of the first operation that used it: a tool that no other
// operation uses takes this operation's orientation, a shared one must already have it.
bool CheckToolOrientation(OperationState& state, const Handle<BlockSet>& camBSet) {
  Handle<DataStore> store;
  Handle<Tool> tool;
  Variant toolNumber;
  WithErrorsSuppressed([&] { store = state.host->registry.CreateAs<DataStore>(kProgIdDataStore); });
  WithErrorsSuppressed([&] { toolNumber = camBSet->Property(kParamToolNumber); });
  WithErrorsSuppressed([&] { tool = store->Tools()->ToolByNumber(toolNumber.ToLong()); });

  int32_t count = 0;
  WithErrorsSuppressed([&] { count = store->BlockSetCount(); });
  int32_t ownIndex = count;
  WithErrorsSuppressed([&] {
    if (camBSet->GraphicGroup()->Children()->ItemByName(kLastPartBlankName)) {
      ownIndex = camBSet->Index();
    }
  });
  bool shared = false;
  for (int32_t i = 0; i < count && !shared; ++i) {
    if (i == ownIndex) continue;
    WithErrorsSuppressed([&] { shared = store->BlockSetAt(i)->Property(kParamToolNumber) == toolNumber; });
  }
  if (!shared) WithErrorsSuppressed([&] { tool->SetProperty(kToolOrientation, Variant("")); });

  std::string toolOrientation;
  WithErrorsSuppressed([&] { toolOrientation = tool->Property(kToolOrientation).ToText(); });
  if (count == 0 || !IsKnownOrientation(toolOrientation)) toolOrientation.clear();

  const std::string own = OperationOrientation(state.params.TrajectoryType, state.directionSign);
  if (!toolOrientation.empty() && toolOrientation != own) {
    return Fail(state, ToolOrientationMessage(state.host.get(), toolOrientation, own),
                "the tool is set up for " + toolOrientation + "; this operation needs " + own);
  }
  if (toolOrientation.empty()) {
    WithErrorsSuppressed([&] { tool->SetProperty(kToolOrientation, Variant(own)); });
  }
  state.tool.Orientation = own;
  return true;
}

bool Prepare(OperationState& state, const Handle<BlockSet>& camBSet,
             const Handle<GraphicSet>& workGraphics) {
  GeometryServices& geometry = state.Geometry();
  WorkingContours& c = state.contours;
  const bool turn = IsTurn(state.params.TrajectoryType);

  // 1.-3. The blank.
  if (!ReadBlank(state, camBSet)) return false;

  // 4. The blank must be one closed outline.
  if (FindSelfIntersections(c.blank)) {
    return Fail(state, kMsgBlankSelfIntersects, "the stock's outline crosses itself");
  }
  if (!IsContourClosed(c.blank, ContourRole::Blank)) {
    return Fail(state, kMsgBlankNotClosed, "the stock's outline does not close");
  }
  // The kind of work is read from the sense in which the blank piece beside the groove runs
  // (step 12), which presumes a blank that runs counterclockwise. A blank drawn clockwise is
  // turned round here; one drawn counterclockwise is left as it is.
  if (ContourOrientation(geometry, c.blank) == -1) ReverseContour(c.blank);

  // 5., 6. The work contour must be one open line; without one nothing meets the blank.
  if (!ReadWorkContour(state, workGraphics)) {
    return Fail(state, kMsgWorkMissesBlank,
                "no graphic named \"" + std::string(kWorkContourName) + "\" is selected");
  }
  if (IsContourClosed(c.work, ContourRole::Work)) {
    return Fail(state, kMsgWorkClosed,
                "the work contour closes on itself; a groove's profile runs from outside the stock "
                "to outside");
  }
  if (FindSelfIntersections(c.work)) {
    return Fail(state, kMsgWorkSelfIntersects, "the work contour crosses itself");
  }

  // 7. Off the blank outline. A failure inside (a lone line on the outline has no neighbour to
  // take along) passes the step over like a failing call: the work contour stays as far as it
  // was moved, and the crossings below judge it.
  WithErrorsSuppressed([&] { NudgeWorkAtBlank(state); });

  // 8. Exactly two crossings of blank and work contour.
  IntersectionResult crossings;
  geometry.Intersect(c.blank, c.work, crossings);
  const std::string times =
      "the work contour crosses the stock's outline " + std::to_string(crossings.Count()) +
      " times; a groove crosses it twice";
  if (crossings.Count() < 2) return Fail(state, kMsgWorkMissesBlank, times);
  if (crossings.Count() > 2) return Fail(state, kMsgWorkCrossesBlankTooOften, times);

  // 9.-12. Split, pick the blank piece on the groove's side, and classify.
  const int16_t side = SideOfDirection(state.params.Direction);
  state.directionSign = 1;
  if (!SplitBlankByWork(state)) {
    return Fail(state, kMsgCheckGeometry, "the stock could not be split along the work contour");
  }
  Contour piece;
  switch (ChooseRegion(geometry, c.work, side, c.blank, c.regionA)) {
    case RegionChoice::A:
      piece = c.pieceA;
      c.grooveDrawn = c.regionA;
      c.partDrawn = c.regionB;
      break;
    case RegionChoice::B:
      piece = c.pieceB;
      c.grooveDrawn = c.regionB;
      c.partDrawn = c.regionA;
      break;
    case RegionChoice::None: break;
  }
  if (!Classify(state, piece)) return false;

  // 13. The tool's orientation.
  if (!CheckToolOrientation(state, camBSet)) return false;

  // 14. The work area. The tool path measures against the drawn groove, not against the work
  // area, so a work area that cannot be built for this tool (a groove no wider than the insert,
  // an allowance larger than the room) leaves the drawn split in place: whether the insert can
  // enter is the tool path's question.
  const bool built = WithHandler([&] {
    TrimWorkToBlank(state);
    return BuildWorkArea(state);
  });

  // 15., 16. The blank split again by the work area: the region to machine and what remains.
  if (built) {
    c.workCopy = c.work;
    const bool split = SplitBlankByWork(state);
    if (!split || c.regionA.Empty() || c.regionB.Empty()) {
      return Fail(state, DirectionMessage(state.host.get(), state.params.Direction),
                  "the work area lies on the other side of the work contour for " +
                      state.params.Direction);
    }
    switch (ChooseRegion(geometry, c.workCopy, side, c.blank, c.regionA)) {
      case RegionChoice::A:
        c.toMachine = c.regionA;
        c.remaining = c.regionB;
        break;
      case RegionChoice::B:
        c.toMachine = c.regionB;
        c.remaining = c.regionA;
        break;
      case RegionChoice::None: break;
    }
  } else {
    c.toMachine = c.grooveDrawn;
    c.remaining = c.partDrawn;
  }

  // 17. A bore narrower than the tool.
  if (turn && state.directionSign == -1) {
    ContourBounds(geometry, c.toMachine);
    if (c.toMachine.MinY < state.tool.Width) {
      char text[160];
      std::snprintf(text, sizeof text, "the bore's radius %.3f is less than the insert's width %.3f",
                    c.toMachine.MinY, state.tool.Width);
      return Fail(state, kMsgTurnInternalNoWorkArea, text);
    }
  }

  // 18. The offsets and the outline to clear, where the work area stands.
  if (c.toMachine.Empty()) {
    return Fail(state, kMsgWorkMissesBlank, "the work contour cuts off no groove from the stock");
  }
  if (built) WithErrorsSuppressed([&] { OffsetWorkContour(state); });
  return true;
}

}  // namespace

std::string OperationOrientation(const std::string& trajectoryType, int16_t directionSign) {
  if (IsTurn(trajectoryType)) {
    return std::string(directionSign == 1 ? kOrientationTurnExternal : kOrientationTurnInternal);
  }
  return directionSign == -1 ? std::string(kOrientationBackFace) : trajectoryType;
}

bool PrepareWorkGeometry(OperationState& state, const Handle<BlockSet>& camBSet,
                         const Handle<GraphicSet>& workGraphics) {
  // A failing service in the checks ends the preparation like a failed check of its own.
  return WithHandler([&] { return Prepare(state, camBSet, workGraphics); });
}

}  // namespace sulkor
