#include "toolpath/groove_path.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <numbers>
#include <string>
#include <vector>

#include "sulkor/error.h"
#include "toolpath/machining_check.h"
#include "toolpath/test_path_scenes.h"

namespace sulkor {
namespace {

using path_scenes::AllFrames;
using path_scenes::PathFrame;
using path_scenes::PathRun;
using path_scenes::PathSpec;

constexpr double kW = 3.0;
constexpr double kR = 0.4;
// The area a corner radius leaves in a square inside corner.
double Fillet(double radius) { return radius * radius * (1.0 - std::numbers::pi / 4.0); }
// Clearance above the region before the first plunge, in tool widths, per kind of work.
double Clearance(WorkKind k) {
  return k == WorkKind::Bore || k == WorkKind::FrontFace ? 1.0 : 0.5;
}

MachiningReport Check(const PathRun& run, const PathFrame& f, double allowance) {
  MachiningCheckInput in;
  in.toolPath = &run.path;
  in.insert = {run.State().tool.Width, run.State().tool.GeomCornerRadius, f.kind, 15.0};
  in.blank = &run.blank;
  in.finishedPart = &run.finished;
  in.regionToMachine = &run.toMachine;
  in.allowance = allowance;
  // Chords within 1e-5 of the arcs: the error bound 3e-5 stays below every figure judged here,
  // and the checks run several times faster than at the default 1e-6.
  in.tolerance = 1e-5;
  return CheckMachining(in);
}

// One plunge of the roughing as the path shows it: its pecks and what follows each.
struct Plunge {
  double a = 0.0;                 // across the groove, frame coordinates
  std::vector<double> pecks;      // depth reached by each peck (frame d)
  std::vector<double> peckLengths;
  std::vector<double> backOffs;   // lengths of the positioning moves back between pecks
  double start = 0.0;             // frame d where the first peck starts
};

std::vector<Plunge> Plunges(const PathFrame& f, const Contour& path) {
  std::vector<Plunge> plunges;
  for (int32_t i = 0; i < path.Count(); ++i) {
    const Segment& s = path.Seg(i);
    if (s.Phase != kPhaseRoughing) continue;
    if (plunges.empty() || std::fabs(plunges.back().a - f.A(s.StartPt)) > 1e-9) {
      plunges.push_back({f.A(s.StartPt), {}, {}, {}, f.D(s.StartPt)});
    }
    Plunge& p = plunges.back();
    p.pecks.push_back(f.D(s.EndPt));
    p.peckLengths.push_back(s.Length);
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

// A finishing move running straight from (a1, d1) to (a2, d2) in frame terms.
bool HasFinishing(const PathFrame& f, const Contour& path, double a1, double d1, double a2,
                  double d2) {
  for (const Segment& s : path.Segs) {
    if (s.Phase != kPhaseFinishing || !s.IsLine()) continue;
    if (std::fabs(f.A(s.StartPt) - a1) < 2e-5 && std::fabs(f.D(s.StartPt) - d1) < 2e-5 &&
        std::fabs(f.A(s.EndPt) - a2) < 2e-5 && std::fabs(f.D(s.EndPt) - d2) < 2e-5) {
      return true;
    }
  }
  return false;
}

// The number of finishing passes along the bottom: finishing lines across the groove at d.
int BottomPasses(const PathFrame& f, const Contour& path, double d) {
  int n = 0;
  for (const Segment& s : path.Segs) {
    if (s.Phase == kPhaseFinishing && s.IsLine() && std::fabs(f.D(s.StartPt) - d) < 2e-5 &&
        std::fabs(f.D(s.EndPt) - d) < 2e-5 && std::fabs(f.A(s.EndPt) - f.A(s.StartPt)) > 1.0) {
      ++n;
    }
  }
  return n;
}

void ExpectWholePath(const PathFrame& f, const Contour& path) {
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

// The largest depth of a positioning move into stock that the check found.
double WorstPositioning(const MachiningReport& report) {
  double worst = 0.0;
  for (const PositioningHit& h : report.positioningHits) worst = std::max(worst, h.depth);
  return worst;
}

TEST(PeckCount, PassesBoundariesAndOverflow) {
  struct Case {
    double depth, perPass;
    int16_t pecks;
  };
  const Case cases[] = {
      {2.0, 1.0, 3},          // exactly two passes: three pecks
      {1.0, 1.0, 1},          // exactly one pass
      {1.0000009, 1.0, 1},    // within 1e-6 of one pass
      {1.0000011, 1.0, 2},    // beyond it
      {1.5, 1.0, 2},
      {5.0, 0.0, 1},          // no depth per pass
      {5.0, 9e-7, 1},         // below 1e-6
      {32766.5, 1.0, 32767},  // the largest 16-bit count
  };
  for (const Case& c : cases) {
    EXPECT_EQ(PeckCount(c.depth, c.perPass), c.pecks) << c.depth << " / " << c.perPass;
  }
  EXPECT_THROW(PeckCount(32767.0, 1.0), GeometryError);
  EXPECT_THROW(PeckCount(1e9, 1e-5), GeometryError);
}

// A rectangular groove 2.5 tool widths wide and 6 deep, finish 0.5, in all four kinds of work.
TEST(GroovePath, RectangularGrooveInEveryKindOfWork) {
  const double width = 2.5 * kW, depth = 6.0, t = 0.5;
  for (const PathFrame& f : AllFrames()) {
    SCOPED_TRACE(f.name);
    PathSpec setup;
    setup.finish = t;
    // The first plunge runs from the clearance to the bottom of the cut region; a little less
    // than half of it per pass gives three pecks.
    const double plungeDepth = Clearance(f.kind) * kW + depth - kR - t - 1e-6;
    setup.depthOnPass = plungeDepth / 2.0 - 1e-3;
    auto run = path_scenes::RunPath(f, path_scenes::Rectangular(f, width, depth), setup);
    for (const auto& m : run->scene.host.messages->Messages()) ADD_FAILURE() << m.prompt;
    ASSERT_TRUE(run->prepared);
    ASSERT_TRUE(run->built);
    ExpectWholePath(f, run->path);

    // Plunges from one edge of the cut region to the other, at most 0.9 w apart.
    const double left = -width / 2 + kR + t;                 // reference at the left wall
    const double right = width / 2 - kR - t - (kW - 2 * kR);  // reference at the right wall
    const double bottom = depth - kR - t;
    const std::vector<Plunge> plunges = Plunges(f, run->path);
    ASSERT_EQ(plunges.size(), 3u);
    EXPECT_NEAR(plunges.front().a, left + 1e-5, 1e-7);
    EXPECT_NEAR(plunges.back().a, right - 1e-5, 1e-7);
    // A plunge goes to the first chord 0.9 w or more from the last one, so the spacing
    // exceeds 0.9 w by less than one probe step (w / 100 or a little more).
    const double probe = (right - left - 2e-5) / std::floor((right - left - 2e-5) / (kW / 100));
    EXPECT_GE(plunges[1].a - plunges[0].a, 0.9 * kW);
    EXPECT_LT(plunges[1].a - plunges[0].a, 0.9 * kW + probe);
    EXPECT_LT(plunges[2].a - plunges[1].a, 0.9 * kW);  // the last chord, closer
    for (const Plunge& p : plunges) {
      // The clearance above the region, three equal pecks, backing off w / 2 between them.
      EXPECT_NEAR(p.start, -Clearance(f.kind) * kW, 1e-5);
      ASSERT_EQ(p.pecks.size(), 3u);
      EXPECT_NEAR(p.pecks.back(), bottom, 2e-6);
      // Each peck goes a third of the way deeper; the later ones start w / 2 above the depth
      // already reached.
      const double third = (p.pecks.back() - p.start) / 3.0;
      for (int s = 0; s < 3; ++s) {
        EXPECT_NEAR(p.pecks[static_cast<size_t>(s)], p.start + (s + 1) * third, 1e-9);
        EXPECT_NEAR(p.peckLengths[static_cast<size_t>(s)], s == 0 ? third : third + kW / 2.0,
                    1e-9);
      }
      ASSERT_EQ(p.backOffs.size(), 2u);
      for (double b : p.backOffs) EXPECT_NEAR(b, kW / 2.0, 1e-9);
    }

    // Finishing down both walls and along the bottom, at the finish allowance and then, offset
    // by it, at the finished profile.
    EXPECT_TRUE(HasFinishing(f, run->path, left, 0.0, left, bottom));
    EXPECT_TRUE(HasFinishing(f, run->path, right, 0.0, right, bottom));
    EXPECT_TRUE(HasFinishing(f, run->path, left, bottom, right, bottom) ||
                HasFinishing(f, run->path, right, bottom, left, bottom));
    EXPECT_TRUE(HasFinishing(f, run->path, left - t, 0.0, left - t, bottom));
    EXPECT_TRUE(HasFinishing(f, run->path, right + t, 0.0, right + t, bottom));
    EXPECT_EQ(BottomPasses(f, run->path, bottom), 1);
    EXPECT_EQ(BottomPasses(f, run->path, bottom + t), 1);

    // The machinist's check. No cut into the finished part; the groove cleared but for the
    // corner fillets, which are those of a radius r + t: the offset pass rounds the outer
    // corner of the finishing chain with an arc of radius t (the offset's join), so its
    // reference point never reaches the corner where the insert's own radius r would leave
    // only 2 * Fillet(r) = 0.069. The positioning moves stay out of the stock but for a residue
    // below 2e-5: the roughing stays 1e-5 inside the cut region's ends and a positioning link
    // onto the finishing wall shaves that sliver.
    const MachiningReport report = Check(*run, f, 0.0);
    EXPECT_LE(report.gougeDepth, 1e-4);
    EXPECT_NEAR(report.uncutBeyondAllowance, 2.0 * Fillet(kR + t), 2e-3);
    // The depth is read at the vertices of the uncut pieces, which the chords place up to
    // about 0.006 rad off the middle of the fillet's arc.
    EXPECT_NEAR(report.uncutDepth, (kR + t) * (1.0 - std::sqrt(0.5)), 5e-3);
    EXPECT_LT(WorstPositioning(report), 2e-5);

    // Removed material and remaining stock: the tool reaches the bottom, so the outline to
    // machine keeps the groove's area and the stock loses exactly it.
    EXPECT_NEAR(path_scenes::Area(run->State().contours.toMachine), width * depth, 1e-6);
    EXPECT_NEAR(path_scenes::Area(run->State().contours.remaining),
                path_scenes::Area(run->blank) - width * depth, 1e-6);
  }
}

// Finish thickness 1e-4: the finishing runs at the finished profile itself and no offset pass
// follows; what stays is the insert's own corner fillets.
TEST(GroovePath, NoOffsetPassAtTheSmallestFinish) {
  const double width = 2.5 * kW, depth = 6.0;
  for (const PathFrame& f : AllFrames()) {
    SCOPED_TRACE(f.name);
    PathSpec setup;
    setup.finish = 1e-4;
    auto run = path_scenes::RunPath(f, path_scenes::Rectangular(f, width, depth), setup);
    ASSERT_TRUE(run->built);
    ExpectWholePath(f, run->path);
    const double left = -width / 2 + kR;
    const double right = width / 2 - kR - (kW - 2 * kR);
    const double bottom = depth - kR;
    EXPECT_TRUE(HasFinishing(f, run->path, left, 0.0, left, bottom));
    EXPECT_TRUE(HasFinishing(f, run->path, right, 0.0, right, bottom));
    EXPECT_EQ(BottomPasses(f, run->path, bottom), 1);
    double deepest = 0.0;
    for (const Segment& s : run->path.Segs) deepest = std::max(deepest, f.D(s.EndPt));
    // Nothing beyond the one bottom pass, which runs 1e-6 short of the profile: the cut region
    // is the outline in common with its copy shifted 1e-6 against the plunge.
    EXPECT_NEAR(deepest, bottom - 1e-6, 1e-9);

    const MachiningReport report = Check(*run, f, setup.finish);
    EXPECT_LE(report.gougeDepth, 1e-4);
    EXPECT_NEAR(report.uncutBeyondAllowance, 2.0 * Fillet(kR), 1e-3);
    EXPECT_LT(WorstPositioning(report), 2e-5);
  }
}

// Bottoms in two levels. Besides the spacing, a plunge goes where a level ends and where a new
// one begins. The step's upper edge is a convex corner of the part, so the outline to clear
// rounds it with radius r + t: where the cut region's bottom climbs along that arc the bottoms
// change smoothly and no level ends.
TEST(GroovePath, SteppedBottomGetsPlungesAtTheStep) {
  const double t = 0.5;
  const double shallow = 4 - kR - t, deep = 7 - kR - t;
  const double probe = 8.0 / 266.0;  // the cut region is 8 wide: 266 probe steps
  struct Case {
    const char* name;
    std::vector<std::pair<double, double>> profile;
    std::vector<double> plungeAt;  // frame a of each plunge
    std::vector<double> bottoms;   // and its bottom
  };
  const Case cases[] = {
      // Shallow, then deep: the deep level begins where the left corner clears the arc (0.9).
      {"down",
       {{-6, -2}, {-6, 4}, {0, 4}, {0, 7}, {6, 7}, {6, -2}},
       {-5.1, -5.1 + 0.9 * kW, std::nan(""), 0.9, 2.9},
       {shallow, shallow, -1, deep, deep}},
      // Deep, then shallow: the deep level ends where the right corner meets the arc (-3.1),
      // and the shallow level begins where it leaves it (-2.2).
      {"up",
       {{-6, -2}, {-6, 7}, {0, 7}, {0, 4}, {6, 4}, {6, -2}},
       {-5.1, -3.1, -2.2, -2.2 + 0.9 * kW, 2.9},
       {deep, deep, shallow, shallow, shallow}},
  };
  for (const Case& c : cases) {
    for (const PathFrame& f : AllFrames()) {
      SCOPED_TRACE(std::string(c.name) + " " + f.name);
      PathSpec setup;
      setup.finish = t;
      auto run = path_scenes::RunPath(f, path_scenes::Profile(f, c.profile), setup);
      for (const auto& m : run->scene.host.messages->Messages()) ADD_FAILURE() << m.prompt;
      ASSERT_TRUE(run->built);
      ExpectWholePath(f, run->path);
      const std::vector<Plunge> plunges = Plunges(f, run->path);
      ASSERT_EQ(plunges.size(), c.plungeAt.size());
      for (size_t k = 0; k < plunges.size(); ++k) {
        if (std::isnan(c.plungeAt[k])) {
          // Where the bottom leaves the shallow level for the arc, the level ends only when
          // the first probe on the arc lies more than 1e-4 deeper: that depends on where the
          // probes fall (their step differs between turning and facing). Else the spacing
          // places the plunge.
          const double a = plunges[k].a;
          EXPECT_TRUE(std::fabs(a) < probe || std::fabs(a - (-5.1 + 1.8 * kW)) < probe) << a;
          continue;
        }
        EXPECT_NEAR(plunges[k].a, c.plungeAt[k], 2 * probe) << k;
        if (c.bottoms[k] > 0) {
          EXPECT_NEAR(plunges[k].pecks.back(), c.bottoms[k], 1e-5) << k;
        }
      }

      const MachiningReport report = Check(*run, f, 0.0);
      EXPECT_LE(report.gougeDepth, 1e-4);
      EXPECT_LT(WorstPositioning(report), 2e-5);
      // Three inside corners of the profile, each left with the fillet of radius r + t.
      EXPECT_NEAR(report.uncutBeyondAllowance, 3.0 * Fillet(kR + t), 2e-3);
    }
  }
}

// A groove 20 tool widths wide: plunges every 0.9 w (the last one closer) from edge to edge.
TEST(GroovePath, WideGrooveSpacing) {
  const PathFrame& f = AllFrames()[0];
  const double width = 20 * kW, depth = 4.0, t = 0.5;
  PathSpec setup;
  setup.finish = t;
  setup.depthOnPass = 3.0;
  auto run = path_scenes::RunPath(f, path_scenes::Rectangular(f, width, depth), setup);
  ASSERT_TRUE(run->built);
  ExpectWholePath(f, run->path);
  const std::vector<Plunge> plunges = Plunges(f, run->path);
  const double span = width - kW - 2 * t;  // the cut region's width
  ASSERT_EQ(plunges.size(), static_cast<size_t>(std::ceil(span / (0.9 * kW))) + 1);
  for (size_t k = 1; k < plunges.size(); ++k) {
    EXPECT_LT(plunges[k].a - plunges[k - 1].a, 0.9 * kW + kW / 100 + 1e-3);
  }
  for (const Plunge& p : plunges) EXPECT_EQ(p.pecks.size(), 2u);  // 5.5 deep at 3 per pass
  const MachiningReport report = Check(*run, f, 0.0);
  EXPECT_LE(report.gougeDepth, 1e-4);
  EXPECT_NEAR(report.uncutBeyondAllowance, 2.0 * Fillet(kR + t), 2e-3);
  EXPECT_LT(WorstPositioning(report), 2e-5);
}

// A start point from which the straight approach would cross the stock: the outside groove
// goes over the safe level (blank top + w) both ways.
TEST(GroovePath, ApproachAndReturnOverTheStock) {
  PathFrame f = AllFrames()[0];
  f.startZ = 110.0;
  f.startX = 80.0;  // y = 40, below the blank's top
  auto run = path_scenes::RunPath(f, path_scenes::Rectangular(f, 2.5 * kW, 6.0), PathSpec{});
  ASSERT_TRUE(run->built);
  ExpectWholePath(f, run->path);
  const double level = 50.0 + kW;
  const Contour& p = run->path;
  EXPECT_NEAR(p.Seg(0).EndPt.x, 110.0, 1e-9);
  EXPECT_NEAR(p.Seg(0).EndPt.y, level, 1e-9);
  EXPECT_NEAR(p.Seg(1).EndPt.y, level, 1e-9);
  const Segment& across = p.Seg(p.Count() - 2);
  EXPECT_NEAR(across.StartPt.y, level, 1e-9);
  EXPECT_NEAR(across.EndPt.y, level, 1e-9);
  EXPECT_NEAR(across.EndPt.x, 110.0, 1e-9);
  const MachiningReport report = Check(*run, f, 0.0);
  EXPECT_LT(WorstPositioning(report), 2e-5);
  EXPECT_LE(report.gougeDepth, 1e-4);
}

// The back face approaches over the blank top + w when the straight move along the axis would
// cross stock. Its return, as built, first runs along y from the groove to the start point's
// height and only then tests the move to the start point: with a collar of stock below the
// groove (x from -5 to 0, y up to 10) and the start point at y = 5 that first move runs the
// insert through the collar. The check reports it; this documents the figure.
TEST(GroovePath, BackFaceReturnRunsThroughACollar) {
  PathFrame f = AllFrames()[3];
  f.blank = {-5, 0, 100, 0, 100, 50, 0, 50, 0, 10, -5, 10};
  f.startZ = -10.0;
  f.startX = 10.0;  // y = 5
  auto run = path_scenes::RunPath(f, path_scenes::Rectangular(f, 2.5 * kW, 6.0), PathSpec{});
  for (const auto& m : run->scene.host.messages->Messages()) ADD_FAILURE() << m.prompt;
  ASSERT_TRUE(run->built);
  ExpectWholePath(f, run->path);
  const Contour& p = run->path;
  const double level = 50.0 + kW;
  EXPECT_NEAR(p.Seg(0).EndPt.x, -10.0, 1e-9);
  EXPECT_NEAR(p.Seg(0).EndPt.y, level, 1e-9);
  EXPECT_NEAR(p.Seg(1).EndPt.y, level, 1e-9);
  const int32_t down = p.Count() - 4;  // down to y = 5, then over the level to the start
  EXPECT_NEAR(p.Seg(down).EndPt.y, 5.0, 1e-9);
  EXPECT_NEAR(p.Seg(down + 1).EndPt.y, level, 1e-9);
  const MachiningReport report = Check(*run, f, 0.0);
  ASSERT_FALSE(report.positioningHits.empty());
  const PositioningHit& hit = report.positioningHits.back();
  EXPECT_EQ(hit.move, down);
  // The insert (cutting edge at x = -1.5 + r = -1.1, body towards -x) comes down to
  // y = 5 - r: it sweeps the collar from y = 10 down to 4.6 over x from -5 to -1.1, less one
  // corner fillet, and reaches 3.9 from the collar's outline (its point (-1.1, 4.6)).
  EXPECT_NEAR(hit.depth, 3.9, 1e-3);
  EXPECT_NEAR(hit.area, 3.9 * 5.4 - Fillet(kR), 1e-3);
}

// The failures that end the path with false: no probe step (the front face's probe count comes
// from the extent along the plunge axis) and a peck count beyond 16 bits.
TEST(GroovePath, FailuresEndWithFalse) {
  {
    const PathFrame& f = AllFrames()[0];
    PathSpec setup;
    setup.depthOnPass = 1e-5;  // 6 deep: 600000 pecks
    auto run = path_scenes::RunPath(f, path_scenes::Rectangular(f, 2.5 * kW, 6.0), setup);
    ASSERT_TRUE(run->prepared);
    EXPECT_FALSE(run->built);
    EXPECT_TRUE(run->path.Empty());
  }
  {
    // A front-face groove cut 1.02 deep with r + t = 0.9 of it left: the cut region is 0.02
    // deep along x, below w / 100 = 0.03, whatever its width.
    const PathFrame& f = AllFrames()[2];
    PathSpec setup;
    auto run = path_scenes::RunPath(f, path_scenes::Rectangular(f, 4.0 * kW, 0.92), setup);
    ASSERT_TRUE(run->prepared);
    EXPECT_FALSE(run->built);
    EXPECT_TRUE(run->path.Empty());
  }
}

}  // namespace
}  // namespace sulkor
