// Test support for the engine's folders: the frame of each of the four kinds of work, groove
// profiles drawn once in it, the operation's state for the work-area routines, drawings set up in
// a memory host and prepared (and, if asked, turned into a tool path), and a small independent
// geometry of densified outlines to judge the results.
#pragma once

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <memory>
#include <numbers>
#include <optional>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "contour/contour_area.h"
#include "contour/contour_ops.h"
#include "contour/primitives.h"
#include "contour/records.h"
#include "contour/segment_build.h"
#include "groove/groove_state.h"
#include "host/memory/scene.h"
#include "kernel/contour_services.h"
#include "operation/operation_state.h"
#include "operation/tool.h"
#include "operation/work_frame.h"
#include "operation/work_kind.h"
#include "sulkor/groove.h"
#include "toolpath/groove_path.h"
#include "workarea/work_geometry.h"

namespace sulkor::testing {

// ---- The frame of a kind of work ----------------------------------------------------------

// A kind of work and where its grooves go, placed by the operation's own frame. A profile point
// is (a, d): a runs along the cross axis (a = 0 is the middle of the groove), d is the depth below
// the blank's surface in the plunge sense. Arcs are given with their direction as seen with the
// depth pointing down.
struct GrooveFrame {
  const char* name = "";
  WorkKind kind = WorkKind::OutsideDiameter;
  std::vector<double> blank;  // closed polygon
  double surface = 0.0;       // drawing coordinate, along the plunge axis, of the cut surface
  double middle = 0.0;        // cross-axis coordinate of a = 0
  double startZ = 0.0;        // the start point parameters (X is a diameter)
  double startX = 0.0;

  WorkFrame Frame() const { return WorkFrame(kind); }
  bool CrossIsX() const { return Frame().CrossIsX(); }
  double PlungeSense() const { return Frame().PlungeSense(); }
  // +1 when the placement keeps arcs' sense of turning, else -1.
  int16_t Turn() const { return Frame().Mirrors() ? -1 : 1; }
  std::string TrajectoryType() const { return CrossIsX() ? "Turn" : "Face"; }
  int16_t Sign() const { return kind == WorkKind::Bore || kind == WorkKind::BackFace ? -1 : 1; }
  // The direction parameter that puts the groove of a profile drawn towards growing a on the
  // side of the test points: the left of the run where the frame keeps the sense of turning.
  std::string Direction() const { return Turn() == 1 ? "External" : "Internal"; }

  Point3 At(double a, double d) const {
    const WorkFrame f = Frame();
    const Point3 origin = f.CrossIsX() ? Point3{middle, surface, 0.0} : Point3{surface, middle, 0.0};
    return f.Plunged(f.AlongCross(origin, a), d);
  }
  double X(double a, double d) const { return At(a, d).x; }
  double Y(double a, double d) const { return At(a, d).y; }
  // Frame coordinates of a drawing point.
  double A(const Point3& p) const { return Frame().Cross(p) - middle; }
  double D(const Point3& p) const { return (Frame().PlungeAxis(p) - surface) * PlungeSense(); }
  Point3 Start() const { return {startZ, startX / 2.0, 0.0}; }
};

inline const std::vector<GrooveFrame>& AllFrames() {
  static const std::vector<double> bar = {0, 0, 100, 0, 100, 50, 0, 50};
  static const std::vector<GrooveFrame> frames = {
      {"OutsideDiameter", WorkKind::OutsideDiameter, bar, 50, 50, 110, 120},
      {"Bore", WorkKind::Bore, {0, 20, 100, 20, 100, 50, 0, 50}, 20, 50, 110, 20},
      {"FrontFace", WorkKind::FrontFace, bar, 100, 25, 110, 20},
      {"BackFace", WorkKind::BackFace, bar, 0, 25, -10, 120},
  };
  return frames;
}

// A profile in a frame: a start point, then lines and arcs to further points.
class Profile {
 public:
  Profile(const GrooveFrame& frame, double a, double d) : f_(frame), a_(a), d_(d) {}
  Profile& LineTo(double a, double d) {
    segments_.push_back(MakeLine(f_.X(a_, d_), f_.Y(a_, d_), f_.X(a, d), f_.Y(a, d)));
    a_ = a;
    d_ = d;
    return *this;
  }
  // direction: 1 counterclockwise, -1 clockwise, seen with the depth pointing down.
  Profile& ArcTo(double a, double d, double centerA, double centerD, int16_t direction) {
    segments_.push_back(MakeArc(f_.X(a_, d_), f_.Y(a_, d_), f_.X(a, d), f_.Y(a, d),
                                f_.X(centerA, centerD), f_.Y(centerA, centerD),
                                static_cast<int16_t>(direction * f_.Turn())));
    a_ = a;
    d_ = d;
    return *this;
  }
  Contour Build() const { return MakeContour(segments_); }

 private:
  const GrooveFrame& f_;
  double a_, d_;
  std::vector<Segment> segments_;
};

// A rectangular groove `width` wide and `depth` deep, drawn from `above` the surface.
inline Contour Rectangular(const GrooveFrame& f, double width, double depth, double above = 2.0) {
  const double h = width / 2;
  return Profile(f, -h, -above).LineTo(-h, depth).LineTo(h, depth).LineTo(h, -above).Build();
}

// ---- The operation's state for the work-area routines ---------------------------------------

inline OperationState MakeState(const GrooveFrame& frame, double toolWidth) {
  OperationState state;
  state.host = std::make_shared<HostEnvironment>();
  state.host->geometry = std::make_shared<ExactGeometryServices>();
  state.params.TrajectoryType = frame.TrajectoryType();
  state.directionSign = frame.Sign();
  state.tool.Width = toolWidth;
  state.contours.blank = MakePolygon(frame.blank);
  return state;
}

// One expected segment, in the frame's (a, d) terms; arcs' direction as seen with depth down.
struct ExpectedSegment {
  bool line;
  double a1, d1, a2, d2;
  double centerA = 0.0, centerD = 0.0;
  int16_t direction = 1;
};
inline ExpectedSegment L(double a1, double d1, double a2, double d2) { return {true, a1, d1, a2, d2}; }
inline ExpectedSegment A(double a1, double d1, double a2, double d2, double ca, double cd,
                         int16_t direction) {
  return {false, a1, d1, a2, d2, ca, cd, direction};
}

inline void ExpectPoint(const Point3& p, double x, double y, const std::string& what) {
  EXPECT_NEAR(p.x, x, 1e-9) << what;
  EXPECT_NEAR(p.y, y, 1e-9) << what;
}

// The contour segment by segment against the expectation placed in the frame, and every
// segment's derived fields against its ends.
inline void ExpectContour(const GrooveFrame& f, const Contour& contour,
                          const std::vector<ExpectedSegment>& expected) {
  ASSERT_EQ(contour.Count(), static_cast<int32_t>(expected.size())) << f.name;
  for (int32_t i = 0; i < contour.Count(); ++i) {
    const Segment& s = contour.Seg(i);
    const ExpectedSegment& e = expected[static_cast<size_t>(i)];
    const std::string what = std::string(f.name) + " segment " + std::to_string(i);
    ExpectPoint(s.StartPt, f.X(e.a1, e.d1), f.Y(e.a1, e.d1), what + " start");
    ExpectPoint(s.EndPt, f.X(e.a2, e.d2), f.Y(e.a2, e.d2), what + " end");
    EXPECT_EQ(s.IsLine(), e.line) << what;
    if (e.line) {
      EXPECT_NEAR(s.Length, std::hypot(s.EndPt.x - s.StartPt.x, s.EndPt.y - s.StartPt.y), 1e-9)
          << what;
    } else {
      ExpectPoint(s.Center, f.X(e.centerA, e.centerD), f.Y(e.centerA, e.centerD), what + " centre");
      EXPECT_EQ(s.Direction, e.direction * f.Turn()) << what;
      EXPECT_NEAR(std::hypot(s.MidPt.x - s.Center.x, s.MidPt.y - s.Center.y), s.Radius, 1e-9)
          << what;
    }
  }
}

// ---- Drawings in a memory host, prepared and turned into a tool path -----------------------

struct SceneSetup {
  Contour blank;
  Contour work;
  std::string trajectoryType = "Turn";
  std::string direction = "External";
  double toolWidth = 3.0;
  double cornerRadius = 0.2;
  double finish = 0.5;
  double depthOnPass = 100.0;
  double startZ = 0.0, startX = 0.0;
  std::string toolOrientation;           // the tool's CAM_ToolOrientation as the table holds it
  std::optional<Contour> lastPartBlank;  // a "LastPartBlank" in the operation's group
  bool otherOperationWithTool = false;   // a second operation that uses the same tool
  std::string workName = "WorkContour";  // the name the work graphic carries
};

inline SceneSetup SetupFor(const GrooveFrame& f, const Contour& work) {
  SceneSetup setup;
  setup.blank = MakePolygon(f.blank);
  setup.work = work;
  setup.trajectoryType = f.TrajectoryType();
  setup.direction = f.Direction();
  setup.startZ = f.startZ;
  setup.startX = f.startX;
  return setup;
}

struct PreparedScene {
  host::GrooveScene scene;
  std::unique_ptr<Groove> groove;
  bool ok = false;            // prepared
  bool built = false;         // a tool path built
  Contour path;
  Contour preparedBlank;      // the blank as the preparation left it

  OperationState& State() const { return StateOf(*groove); }
  const std::vector<host::RecordingMessageBox::Shown>& Messages() const {
    return scene.host.messages->Messages();
  }
};

// Builds the drawing in a memory host, loads the tool, runs the preparation and, with
// `path`, builds the tool path.
inline PreparedScene RunPreparation(const SceneSetup& setup, bool path = false) {
  host::SceneTool tool;
  tool.width = setup.toolWidth;
  tool.cornerRadius = setup.cornerRadius;
  tool.orientation = setup.toolOrientation;
  PreparedScene p;
  p.scene = host::BuildGrooveScene(setup.blank, setup.work, tool);
  p.scene.workContour->SetName(setup.workName);
  if (setup.lastPartBlank) {
    host::AddContourPolyline(*p.scene.blockSet->GraphicGroup()->Children(), *setup.lastPartBlank,
                             kLastPartBlankName);
  }
  if (setup.otherOperationWithTool) host::AddOperation(p.scene, p.scene.workContour, tool.number);
  p.groove = std::make_unique<Groove>(p.scene.host.environment);
  OperationState& state = p.State();
  state.params.TrajectoryType = setup.trajectoryType;
  state.params.Direction = setup.direction;
  state.params.FinishThickness = setup.finish;
  state.params.DepthOnPass = setup.depthOnPass;
  state.params.StartPointZ = setup.startZ;
  state.params.StartPointX = setup.startX;
  state.contours.ResetAll();
  const Handle<BlockSet> blockSet(p.scene.blockSet);
  if (!LoadTool(state, blockSet)) return p;
  p.ok = PrepareWorkGeometry(state, blockSet, Handle<GraphicSet>(p.scene.contourSet));
  p.preparedBlank = state.contours.blank;
  if (p.ok && path) p.built = BuildGroovePath(state, p.path);
  return p;
}

// ---- Measures ------------------------------------------------------------------------------

// The points of an arc (or circle) after its start, to its end, no farther apart than `step`;
// the arc is read from its centre, ends and direction only.
template <class P>
void AppendArcPoints(const Segment& s, double step, std::vector<P>& out) {
  const double r = std::hypot(s.StartPt.x - s.Center.x, s.StartPt.y - s.Center.y);
  const double a0 = std::atan2(s.StartPt.y - s.Center.y, s.StartPt.x - s.Center.x);
  const double a1 = std::atan2(s.EndPt.y - s.Center.y, s.EndPt.x - s.Center.x);
  const double full = 2.0 * std::numbers::pi;
  double sweep = s.Direction == 1 ? std::fmod(a1 - a0 + 2 * full, full) : -std::fmod(a0 - a1 + 2 * full, full);
  if (s.IsCircle()) sweep = s.Direction == 1 ? full : -full;
  const int n = std::max(1, static_cast<int>(std::ceil(std::fabs(sweep) * r / step)));
  for (int k = 1; k <= n; ++k) {
    const double a = a0 + sweep * k / n;
    out.push_back({s.Center.x + r * std::cos(a), s.Center.y + r * std::sin(a)});
  }
}

// Distance from (x, y) to the contour's lines and arcs.
inline double Distance(const Contour& c, double x, double y) {
  double best = 1e300;
  for (const Segment& s : c.Segs) {
    if (s.IsArc() || s.IsCircle()) {
      const double toCentre = std::hypot(x - s.Center.x, y - s.Center.y);
      if (s.IsCircle() || PointInArcSweep(s, x, y)) best = std::min(best, std::fabs(toCentre - s.Radius));
      for (const Point3& p : {s.StartPt, s.EndPt}) best = std::min(best, std::hypot(x - p.x, y - p.y));
      continue;
    }
    const double dx = s.EndPt.x - s.StartPt.x, dy = s.EndPt.y - s.StartPt.y, len2 = dx * dx + dy * dy;
    const double t = len2 > 0 ? std::clamp(((x - s.StartPt.x) * dx + (y - s.StartPt.y) * dy) / len2, 0.0, 1.0) : 0;
    best = std::min(best, std::hypot(x - s.StartPt.x - t * dx, y - s.StartPt.y - t * dy));
  }
  return best;
}

inline double Area(const Contour& c) { return std::fabs(SignedArea(c)); }

inline bool Inside(const Contour& c, double x, double y) {
  return ExactGeometryServices().PointInContour(c, x, y) == kInside;
}

// The contour with its box filled in.
inline Contour Boxed(Contour c) {
  ExactGeometryServices services;
  ContourBounds(services, c);
  return c;
}

// A closed outline whose segments join one another and whose end meets its start.
inline bool ClosedChain(const Contour& c, double tol = 1e-6) {
  if (c.Empty()) return false;
  for (int32_t i = 0; i < c.Count(); ++i) {
    const Point3 &end = c.Seg(i).EndPt, &next = c.Seg((i + 1) % c.Count()).StartPt;
    if (std::fabs(end.x - next.x) > tol || std::fabs(end.y - next.y) > tol) return false;
  }
  return true;
}

// What the insert sweeps out of a rectangular groove with square bottom corners: the corner
// radius leaves a fillet in each of them.
inline double SweptRectangle(double width, double depth, double cornerRadius) {
  return width * depth - 2 * cornerRadius * cornerRadius * (1 - std::numbers::pi / 4);
}

}  // namespace sulkor::testing
