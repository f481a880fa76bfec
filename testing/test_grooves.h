// Test support: groove profiles drawn once in a frame of their own and placed into the blank of
// each of the four kinds of work, with the state and services the work-area routines need.
#pragma once

#include <cmath>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "contour/segment_build.h"
#include "operation/operation_state.h"
#include "operation/work_frame.h"
#include "kernel/contour_services.h"

namespace sulkor::testing {

// A kind of work and where its grooves go, placed by the operation's own frame. A profile point
// is (a, d): a runs along the cross axis (a = 0 is the middle of the groove), d is the depth below
// the blank's surface in the plunge sense. Arcs are given with their direction as seen with the
// depth pointing down.
struct GrooveFrame {
  const char* name;
  WorkKind kind;
  std::vector<double> blank;  // closed polygon
  double surface;             // drawing coordinate, along the plunge axis, of the cut surface
  double middle;              // cross-axis coordinate of a = 0
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
    const Point3 origin =
        f.CrossIsX() ? Point3{middle, surface, 0.0} : Point3{surface, middle, 0.0};
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
  static const std::vector<GrooveFrame> frames = {
      {"OutsideDiameter", WorkKind::OutsideDiameter, {0, 0, 100, 0, 100, 50, 0, 50}, 50.0, 50.0,
       110.0, 120.0},
      {"Bore", WorkKind::Bore, {0, 20, 100, 20, 100, 50, 0, 50}, 20.0, 50.0, 110.0, 20.0},
      {"FrontFace", WorkKind::FrontFace, {0, 0, 100, 0, 100, 50, 0, 50}, 100.0, 25.0, 110.0,
       20.0},
      {"BackFace", WorkKind::BackFace, {0, 0, 100, 0, 100, 50, 0, 50}, 0.0, 25.0, -10.0, 120.0},
  };
  return frames;
}

// Builds a profile in a frame: a start point, then lines and arcs to further points.
class Profile {
 public:
  Profile(const GrooveFrame& frame, double a, double d) : frame_(frame), a_(a), d_(d) {}

  Profile& LineTo(double a, double d) {
    segments_.push_back(
        MakeLine(frame_.X(a_, d_), frame_.Y(a_, d_), frame_.X(a, d), frame_.Y(a, d)));
    a_ = a;
    d_ = d;
    return *this;
  }

  // direction: 1 counterclockwise, -1 clockwise, seen with the depth pointing down.
  Profile& ArcTo(double a, double d, double centerA, double centerD, int16_t direction) {
    segments_.push_back(MakeArc(frame_.X(a_, d_), frame_.Y(a_, d_), frame_.X(a, d),
                                frame_.Y(a, d), frame_.X(centerA, centerD),
                                frame_.Y(centerA, centerD),
                                static_cast<int16_t>(direction * frame_.Turn())));
    a_ = a;
    d_ = d;
    return *this;
  }

  Contour Build() const { return MakeContour(segments_); }

 private:
  const GrooveFrame& frame_;
  double a_;
  double d_;
  std::vector<Segment> segments_;
};

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

// One expected segment, in the frame's (a, d) terms.
struct ExpectedSegment {
  bool line;
  double a1, d1, a2, d2;
  double centerA = 0.0, centerD = 0.0;
  int16_t direction = 1;  // seen with the depth pointing down
};

inline ExpectedSegment L(double a1, double d1, double a2, double d2) {
  return {true, a1, d1, a2, d2};
}
inline ExpectedSegment A(double a1, double d1, double a2, double d2, double ca, double cd,
                         int16_t direction) {
  return {false, a1, d1, a2, d2, ca, cd, direction};
}

inline void ExpectPoint(const Point3& p, double x, double y, const std::string& what) {
  EXPECT_NEAR(p.x, x, 1e-9) << what;
  EXPECT_NEAR(p.y, y, 1e-9) << what;
}

// Checks the contour segment by segment against the expectation placed in the frame, and that
// every segment's fields agree with its ends.
inline void ExpectContour(const GrooveFrame& frame, const Contour& contour,
                          const std::vector<ExpectedSegment>& expected) {
  ASSERT_EQ(contour.Count(), static_cast<int32_t>(expected.size())) << frame.name;
  for (int32_t i = 0; i < contour.Count(); ++i) {
    const Segment& s = contour.Seg(i);
    const ExpectedSegment& e = expected[static_cast<size_t>(i)];
    const std::string what = std::string(frame.name) + " segment " + std::to_string(i);
    ExpectPoint(s.StartPt, frame.X(e.a1, e.d1), frame.Y(e.a1, e.d1), what + " start");
    ExpectPoint(s.EndPt, frame.X(e.a2, e.d2), frame.Y(e.a2, e.d2), what + " end");
    if (e.line) {
      EXPECT_TRUE(s.IsLine()) << what;
      EXPECT_NEAR(s.Length, std::hypot(s.EndPt.x - s.StartPt.x, s.EndPt.y - s.StartPt.y), 1e-9)
          << what;
    } else {
      EXPECT_TRUE(s.IsArc()) << what;
      ExpectPoint(s.Center, frame.X(e.centerA, e.centerD), frame.Y(e.centerA, e.centerD),
                  what + " centre");
      EXPECT_EQ(s.Direction, e.direction * frame.Turn()) << what;
      EXPECT_NEAR(std::hypot(s.MidPt.x - s.Center.x, s.MidPt.y - s.Center.y), s.Radius, 1e-9)
          << what;
    }
  }
}

}  // namespace sulkor::testing
