#include "toolpath/groove_path.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <numbers>
#include <string>
#include <vector>

#include "sulkor/error.h"
#include "toolpath/machining_guard.h"
#include "testing/machining_judge.h"
#include "testing/scenes.h"

namespace sulkor {
namespace {

using testing::AllFrames;
using testing::GrooveFrame;
using testing::PreparedScene;
using testing::SceneSetup;

constexpr double kW = 3.0;
constexpr double kR = 0.4;
constexpr double kT = 0.5;

// The groove prepared and turned into a tool path with the insert kW wide, corner radius kR.
PreparedScene RunPath(const GrooveFrame& f, const Contour& work, double finish = kT,
                      double depthOnPass = 100.0) {
  SceneSetup setup = testing::SetupFor(f, work);
  setup.cornerRadius = kR;
  setup.finish = finish;
  setup.depthOnPass = depthOnPass;
  return testing::RunPreparation(setup, true);
}
// Clearance above the region before the first plunge, in tool widths, per kind of work.
double Clearance(WorkKind k) {
  return k == WorkKind::Bore || k == WorkKind::FrontFace ? 1.0 : 0.5;
}

// One plunge of the roughing as the path shows it: its pecks and what follows each.
struct Plunge {
  double a = 0.0;                 // across the groove, frame coordinates
  std::vector<double> pecks;      // depth reached by each peck (frame d)
  std::vector<double> backOffs;   // lengths of the positioning moves back between pecks
  double start = 0.0;             // frame d where the first peck starts
};

std::vector<Plunge> Plunges(const GrooveFrame& f, const Contour& path) {
  std::vector<Plunge> plunges;
  for (int32_t i = 0; i < path.Count(); ++i) {
    const Segment& s = path.Seg(i);
    if (s.Phase != kPhaseRoughing) continue;
    if (plunges.empty() || std::fabs(plunges.back().a - f.A(s.StartPt)) > 1e-9) {
      plunges.push_back({f.A(s.StartPt), {}, {}, f.D(s.StartPt)});
    }
    Plunge& p = plunges.back();
    p.pecks.push_back(f.D(s.EndPt));
    // A positioning move between two pecks of the plunge is a back-off.
    const Segment& next = path.Seg(i + 1);
    if (next.MoveType == kMovePositioning && i + 2 < path.Count() &&
        path.Seg(i + 2).Phase == kPhaseRoughing &&
        std::fabs(f.A(path.Seg(i + 2).StartPt) - p.a) < 1e-9) {
      p.backOffs.push_back(f.D(s.EndPt) - f.D(next.EndPt));
    }
  }
  return plunges;
}

void ExpectWholePath(const GrooveFrame& f, const Contour& path) {
  ASSERT_FALSE(path.Empty());
  const Point3 s = f.Start();
  EXPECT_NEAR(path.First().StartPt.x, s.x, 1e-9);
  EXPECT_NEAR(path.First().StartPt.y, s.y, 1e-9);
  EXPECT_NEAR(path.Last().EndPt.x, s.x, 1e-9);
  EXPECT_NEAR(path.Last().EndPt.y, s.y, 1e-9);
  for (int32_t i = 0; i < path.Count(); ++i) {
    const Segment& m = path.Seg(i);
    EXPECT_TRUE(m.MoveType == kMovePositioning || m.MoveType == kMoveCutting) << i;
    EXPECT_EQ(m.MoveType == kMovePositioning, m.Phase == kPhaseNone) << f.name << " move " << i;
    if (i > 0) {
      EXPECT_NEAR(m.StartPt.x, path.Seg(i - 1).EndPt.x, 1e-5) << f.name << " gap before " << i;
      EXPECT_NEAR(m.StartPt.y, path.Seg(i - 1).EndPt.y, 1e-5) << f.name << " gap before " << i;
    }
  }
}

TEST(GroovePath, PeckCountAtItsBoundaries) {
  struct Case {
    double depth, perPass;
    int16_t pecks;
  };
  for (const Case& c : std::vector<Case>{{2.0, 1.0, 3}, {1.0, 1.0, 1}, {1.0000009, 1.0, 1},
                                         {1.0000011, 1.0, 2}, {5.0, 0.0, 1}, {5.0, 9e-7, 1},
                                         {32766.5, 1.0, 32767}}) {  // the largest 16-bit count
    EXPECT_EQ(PeckCount(c.depth, c.perPass), c.pecks) << c.depth << " / " << c.perPass;
  }
  EXPECT_THROW(PeckCount(32767.0, 1.0), GeometryError);
  EXPECT_THROW(PeckCount(1e9, 1e-5), GeometryError);
}

// A rectangular groove 2.5 tool widths wide and 6 deep, finish 0.5, depth per pass 2, in all
// four kinds of work: the roughing leaves the allowance on both walls and the bottom, the plunges
// start the kind's clearance above the region and stand at most 0.9 w apart, each in pecks of at
// most the depth per pass with a back-off of w / 2, and the finishing passes end on the finished
// profile, the corner centres r from it. A stepped bottom gets a plunge at each level.
TEST(GroovePath, RoughingAndFinishingInEveryKindOfWork) {
  const double width = 2.5 * kW;
  for (const GrooveFrame& f : AllFrames()) {
    SCOPED_TRACE(f.name);
    const PreparedScene run = RunPath(f, testing::Rectangular(f, width, 6.0), kT, 2.0);
    ASSERT_TRUE(run.built) << run.State().failureDetail;
    ExpectWholePath(f, run.path);
    // The approach runs across at the start point's level first for the outside diameter and
    // the front face, along the plunge axis first for the bore and the back face.
    const Segment& approach = run.path.Seg(0);
    EXPECT_EQ(std::fabs(f.D(approach.EndPt) - f.D(approach.StartPt)) < 1e-9,
              f.kind == WorkKind::OutsideDiameter || f.kind == WorkKind::FrontFace);
    const std::vector<Plunge> plunges = Plunges(f, run.path);
    ASSERT_GE(plunges.size(), 3u);
    EXPECT_NEAR(plunges.front().a, -width / 2 + kR + kT, 1e-4);
    EXPECT_NEAR(plunges.back().a, width / 2 - (kW - kR) - kT, 1e-4);
    for (size_t k = 0; k < plunges.size(); ++k) {
      const Plunge& p = plunges[k];
      if (k > 0) {
        EXPECT_LE(p.a - plunges[k - 1].a, 0.9 * kW + 1e-9);
      }
      EXPECT_NEAR(p.start, -kR - Clearance(f.kind) * kW, 1e-9);
      EXPECT_NEAR(p.pecks.back(), 6.0 - kR - kT, 1e-9);
      EXPECT_EQ(p.pecks.size(), static_cast<size_t>(PeckCount(p.pecks.back() - p.start, 2.0)));
      for (const double b : p.backOffs) EXPECT_NEAR(b, kW / 2, 1e-9);
    }
    double deepest = -1e9, lowA = 1e9, highA = -1e9;
    bool finishing = false;
    for (const Segment& s : run.path.Segs) {
      if (s.Phase == kPhaseRoughing) {
        EXPECT_FALSE(finishing) << "roughing after finishing";
      }
      if (s.Phase != kPhaseFinishing) continue;
      finishing = true;
      for (const Point3& q : {s.StartPt, s.EndPt}) {
        deepest = std::max(deepest, f.D(q));
        if (f.D(q) < 1.0) continue;  // the corners roll over the groove's edges above
        lowA = std::min(lowA, f.A(q));
        highA = std::max(highA, f.A(q));
      }
    }
    EXPECT_NEAR(deepest, 6.0 - kR, 1e-6);
    EXPECT_NEAR(lowA, -width / 2 + kR, 2e-6);  // within the touching tolerance of each wall
    EXPECT_NEAR(highA, width / 2 - (kW - kR), 2e-6);
  }
  const GrooveFrame& f = AllFrames()[0];
  const PreparedScene stepped = RunPath(
      f, testing::Profile(f, -6, -2).LineTo(-6, 6).LineTo(0, 6).LineTo(0, 4).LineTo(6, 4).LineTo(6, -2).Build(), 0.0);
  ASSERT_TRUE(stepped.built) << stepped.State().failureDetail;
  bool deep = false, shallow = false;
  for (const Plunge& p : Plunges(f, stepped.path)) {
    deep |= std::fabs(p.pecks.back() - (6.0 - kR)) < 1e-6;
    shallow |= std::fabs(p.pecks.back() - (4.0 - kR)) < 1e-6;
  }
  EXPECT_TRUE(deep && shallow);
  // The finishing passes run down the walls and the step, never up them.
  for (const Segment& s : stepped.path.Segs) {
    if (s.Phase == kPhaseFinishing) {
      EXPECT_LT(f.D(s.StartPt) - f.D(s.EndPt), 0.1 * kW);
    }
  }
}

// A pocket in the bottom too narrow for the insert with the whole allowance on both walls is
// plunged at the largest allowance that fits in it (3 + 2 * 0.25 <= 3.6), not left to the
// finishing pass. Chords longer than a tenth of the tool width are plunged: a groove a sixth of
// the width deep gets plunges, one a twelfth of the width deep is left to the finishing pass.
TEST(GroovePath, PocketsAndShallowGroovesArePlungedWhereTheyFit) {
  const GrooveFrame& f = AllFrames()[0];
  const PreparedScene pocket = RunPath(f, testing::Profile(f, -6, -2).LineTo(-6, 4).LineTo(-1.8, 4)
                                              .LineTo(-1.8, 5.2).LineTo(1.8, 5.2).LineTo(1.8, 4)
                                              .LineTo(6, 4).LineTo(6, -2).Build());
  ASSERT_TRUE(pocket.built) << pocket.State().failureDetail;
  bool atHalfAllowance = false;
  for (const Plunge& p : Plunges(f, pocket.path)) {
    atHalfAllowance |= std::fabs(p.pecks.back() - (5.2 - kR - kT / 2)) < 1e-6;
  }
  EXPECT_TRUE(atHalfAllowance);
  for (const auto& [depth, plunged] : {std::pair{kW / 6, true}, std::pair{kW / 12, false}}) {
    const PreparedScene run = RunPath(f, testing::Rectangular(f, 10.0, depth), 0.0);
    ASSERT_TRUE(run.built) << depth << ": " << run.State().failureDetail;
    EXPECT_EQ(Plunges(f, run.path).empty(), !plunged) << depth;
  }
}

// Grooves the insert cannot cut are refused with a reason with its numbers; the guard refuses a
// path that would cut the part, run a positioning move through the stock or cross the spindle
// axis, with the reason.
TEST(GroovePath, RefusalsAndTheGuardSayWhy) {
  const GrooveFrame& od = AllFrames()[0];
  struct Case {
    const GrooveFrame& f;
    double width, startX;  // startX 0: the frame's start point, else this X at Z 50
    std::string detail;
  };
  for (const Case& c : std::vector<Case>{
           {od, 2.5, 0.0, "insert 3.000 wide, groove 2.500 wide at its narrowest (x 50.000)"},
           {AllFrames()[2], 2.0, 0.0, "insert 3.000 wide, groove 2.000 wide at its narrowest (y 25.000)"},
           {od, 10.0, 99.0, "start point inside the stock"}}) {
    GrooveFrame f = c.f;
    if (c.startX > 0) {
      f.startX = c.startX;
      f.startZ = 50.0;
    }
    const PreparedScene run = RunPath(f, testing::Rectangular(f, c.width, 3.0));
    ASSERT_TRUE(run.ok);
    EXPECT_FALSE(run.built);
    EXPECT_EQ(run.State().failureDetail, c.detail);
  }
  const PreparedScene run = RunPath(od, testing::Rectangular(od, 10.0, 5.0), 0.0);
  ASSERT_TRUE(run.built);
  OperationState& state = run.State();
  state.contours.blank = run.preparedBlank;
  EXPECT_EQ(GuardToolPath(state), "");
  // Moves after a rapid over the stock, each cutting (c) or positioning (p); a positioning move
  // is judged against the stock that the earlier moves left.
  const int16_t c = kMoveCutting, p = kMovePositioning;
  struct Moves {
    std::vector<std::pair<Segment, int16_t>> moves;
    std::string starts;  // "": no refusal
  };
  for (const Moves& k : std::vector<Moves>{
           {{{MakeLine(50, 60, 50, 44), c}}, "the path would cut 1.4000 into the finished part"},
           {{{MakeLine(50, 60, 50, 45.35), c}}, "the path would cut 0.0500 into the finished part"},
           {{{MakeLine(50, 60, 50, 46), p}}, "a positioning move would run 4.4"},
           {{{MakeLine(50, 60, 50, 50.35), p}}, "a positioning move would run 0.0500 deep"},
           {{{MakeLine(110, 60, 110, -0.5), p}}, "the path would cross the spindle axis"},
           // The reference point stays above the axis; the corner circle reaches below it.
           {{{MakeLine(110, 60, 110, 0.2), p}}, "the path would cross the spindle axis"},
           {{{MakeLine(50, 60, 50, 47), c}, {MakeLine(50, 47, 50, 60), p}}, ""},
           {{{MakeLine(50, 60, 50, 47), c}, {MakeLine(50, 47, 51, 47), p}}, "a positioning move would run 1.0000"},
           {{{MakeLine(50, 60, 50, 47), c}, {MakeLine(50, 47, 50, 60), c}, {MakeLine(49, 60, 49, 48), p}},
            "a positioning move would run 1.0000"}}) {
    SCOPED_TRACE(k.starts);
    std::vector<Segment> moves{MakeLine(110, 60, 90, 60)};
    for (const auto& [move, type] : k.moves) {
      moves.push_back(move);
      moves.back().MoveType = type;
      moves.back().Phase = type == kMoveCutting ? kPhaseRoughing : kPhaseNone;
    }
    state.toolPath = MakeContour(moves);
    const std::string refusal = GuardToolPath(state);
    EXPECT_EQ(k.starts.empty() ? refusal : refusal.substr(0, k.starts.size()), k.starts) << refusal;
  }
}

// A groove and its inch twin (every length divided by 25.4) get the same arcs: none is turned
// into a chord for being small in drawing units.
TEST(GroovePath, InchTwinKeepsEveryArc) {
  using testing::Drawn;
  testing::GrooveCase mm;
  mm.toolWidth = 2.0;
  mm.cornerRadius = 0.2;
  mm.blank = {{-30, 0}, {30, 0}, {30, 20}, {-30, 20}};
  mm.profile = {{-2, -1}, {-2, 1.5, 0.5}, {2, 1.5, 0.5}, {2, -1}};
  mm.across = 30;
  mm.surface = 20;
  mm.start = {33, -3};
  testing::GrooveCase in = mm;
  in.units = "in";
  for (std::vector<Drawn>* pts : {&in.blank, &in.profile}) {
    for (Drawn& p : *pts) p = {p.a / 25.4, p.d / 25.4, p.fillet / 25.4};
  }
  in.start = {mm.start.a / 25.4, mm.start.d / 25.4};
  for (double* length : {&in.toolWidth, &in.cornerRadius, &in.across, &in.surface}) *length /= 25.4;
  const testing::Verdict a = testing::Judge(mm, 0.1), b = testing::Judge(in, 0.1 / 25.4);
  ASSERT_TRUE(a.built && b.built);
  EXPECT_GT(a.arcs, 0);
  EXPECT_EQ(a.arcs, b.arcs);
}

}  // namespace
}  // namespace sulkor
