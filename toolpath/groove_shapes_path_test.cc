// Tool paths for the grooves a machinist draws besides the plain rectangle, each run through the
// machining check: corner radii, chamfered edges, a dovetail, a V-slot narrower than the tool at
// its bottom and a narrow spike of material on the bottom; a finishing chain that closes on
// itself, an edge blocked by stock above the groove, and the check itself where an insert edge
// runs along the part.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <numbers>
#include <string>
#include <vector>

#include "geometry/contour_ops.h"
#include "geometry/segment_build.h"
#include "geometry/test_work_scenes.h"
#include "toolpath/groove_path.h"
#include "toolpath/machining_check.h"
#include "toolpath/test_path_scenes.h"

namespace sulkor {
namespace {

using path_scenes::PathFrame;
using path_scenes::PathRun;
using path_scenes::PathSpec;

constexpr double kW = 3.0;
constexpr double kR = 0.4;
constexpr double kT = 0.5;
// The chord tolerance of the checks here: the error bound 3e-5 stays well below the 1e-4 that
// counts as a cut into the part, and a check runs in a fraction of a second.
constexpr double kTolerance = 1e-5;

// The area a corner radius leaves in an inside corner of the given angle (pi/2: square).
double Fillet(double radius, double angle = std::numbers::pi / 2) {
  return radius * radius * (1.0 / std::tan(angle / 2) - (std::numbers::pi - angle) / 2);
}

MachiningReport Check(const PathRun& run, const PathFrame& f, const Contour& finished) {
  MachiningCheckInput in;
  in.toolPath = &run.path;
  in.insert = {run.State().tool.Width, run.State().tool.GeomCornerRadius, f.kind, 15.0};
  in.blank = &run.blank;
  in.finishedPart = &finished;
  in.regionToMachine = &run.toMachine;
  in.tolerance = kTolerance;
  return CheckMachining(in);
}

double WorstPositioning(const MachiningReport& report) {
  double worst = 0.0;
  for (const PositioningHit& h : report.positioningHits) worst = std::max(worst, h.depth);
  return worst;
}

std::unique_ptr<PathRun> RunShape(size_t shape, size_t frame) {
  const PathFrame& f = path_scenes::AllFrames()[frame];
  const testing::GrooveFrame& drawn = testing::AllFrames()[frame];
  PathSpec setup;
  setup.finish = kT;
  return path_scenes::RunPath(f, testing::MachinistGrooves()[shape].draw(drawn), setup);
}

// The machinist's check on every groove shape in every kind of work (tool 3 wide, corner radius
// 0.4, finish 0.5: the offset finishing pass runs). What the construction as written leaves:
// - corner radii of 1 at the bottom, more than r + t = 0.9: nothing stays;
// - a square inside corner keeps the fillet of radius r + t (the offset pass rounds the outer
//   corner of the finishing chain with an arc of radius t);
// - chamfered edges: besides the two fillets, a sliver of 0.016 at the top of each chamfer: the
//   offset pass is stretched only until its reference point leaves the blank, where the corner
//   still touches the chamfer 0.28 below the surface; above that the vertical drop of the
//   insert (its side 0.4 left of the reference) misses the chamfer's corner. Integrated by
//   hand from the path's figures (reference (44.5586, 50.0071) on the outside diameter): 0.0160;
// - the dovetail comes back rectangular, 8 wide: its region to machine is 48 and two square
//   fillets stay;
// - the V-slot is closed 5 deep where it is 3 (the tool) wide, but the outline to clear keeps r +
//   t from the walls, so the tool's corner centres find room side by side only 3.79 deep: a band
//   of the closed bottom, 1.095 in area and up to 0.333 from the finished part, stays uncut;
// - the narrow spike keeps, besides the two fillets, the fillets of its foot (walls rising 3 over
//   0.5: inside corners of 99.46 degrees). But the path cuts into the spike: the corner radius
//   and the finish round the spike's tip in the outline to clear, the spike removal of the cut
//   region recognizes only a sharp tip (a rising and a falling segment meeting at one joint),
//   and the cut region keeps positions from which the insert straddles the spike; the moves
//   through them cut 0.300 deep into it, 0.684 of its area (outside diameter and front face
//   alike). In the bore the cut region is not built (the spike
//   removal outgrows its limit, see the cut-region tests) and there is no path. In the back face
//   the work area has closed the spike (the work geometry tests): the region to machine is 96,
//   and the spike goes with the groove (below).
// The positioning moves stay out of the stock, except on the outside diameter where the first
// finishing side begins on the surface level over stock that the vertical plunges cannot reach:
// the move down to it runs the insert's edge (r below the reference) through the chamfer by
// 0.374 (area 0.219) and through the V-slot's wall by 0.4 (area 1.047). The other kinds approach
// their first finishing side from where the plunges have cleared.
TEST(GroovePathShapes, MachiningCheckOnEveryShape) {
  const double square = 2 * Fillet(kR + kT);
  const double spikeFoot = 2 * Fillet(kR + kT, std::numbers::pi - std::atan(6.0));
  struct Expected {
    size_t shape;
    double toMachine;
    double uncutBeyond;
    double uncutDepth;
    std::vector<double> positioning;  // per kind of work; -1: no path
  };
  const std::vector<Expected> cases = {
      {1, 60.0 - 2 * (1 - std::numbers::pi / 4), 0.0, 0.0, {0, 0, 0, 0}},
      {2, 61.0, square + 2 * 0.0160, 0.2614, {0.3737, 0, 0, 0}},
      {3, 48.0, square, 0.2614, {0, 0, 0, 0}},
      {5, 27.5, 1.0948, 0.3327, {0.4, 0, 0, 0}},
      {6, 94.5, square + spikeFoot, 0.2614, {0, -1, 0, 0}},
  };
  for (const Expected& e : cases) {
    for (size_t k = 0; k < 4; ++k) {
      const PathFrame& f = path_scenes::AllFrames()[k];
      const char* name = testing::MachinistGrooves()[e.shape].name;
      if (e.shape == 6 && k == 3) continue;  // the back face's spike: its own test
      SCOPED_TRACE(std::string(name) + " / " + f.name);
      auto run = RunShape(e.shape, k);
      ASSERT_TRUE(run->prepared);
      if (e.positioning[k] < 0) {
        EXPECT_FALSE(run->built);
        continue;
      }
      ASSERT_TRUE(run->built);
      EXPECT_NEAR(path_scenes::Area(run->toMachine), e.toMachine, 1e-3);
      const MachiningReport report = Check(*run, f, run->finished);
      if (e.shape == 6) {
        EXPECT_NEAR(report.gougeDepth, 0.2997, 1e-3);
        EXPECT_NEAR(report.gougeArea, 0.6838, 1e-3);
      } else {
        EXPECT_LE(report.gougeDepth, 1e-4);
      }
      EXPECT_NEAR(report.uncutBeyondAllowance, e.uncutBeyond, 1e-3);
      if (e.uncutDepth > 0) {
        EXPECT_NEAR(report.uncutDepth, e.uncutDepth, 5e-3);  // read at the uncut's vertices
      }
      EXPECT_LT(report.uncutDepth, kR + kT);
      EXPECT_NEAR(WorstPositioning(report), e.positioning[k], 1e-3);
    }
  }
}

// The dovetail, with the finish at its smallest (no offset pass): the path plunges only into
// the 8 wide mouth, the insert never reaches under the overhanging walls, and what stays beyond
// the allowance is the insert's own corner fillets; measured against the drawn dovetail, the two
// undercuts (1 by 6 each, 3 in area) stay as well.
TEST(GroovePathShapes, DovetailComesBackRectangular) {
  for (size_t k = 0; k < 4; ++k) {
    const PathFrame& f = path_scenes::AllFrames()[k];
    SCOPED_TRACE(f.name);
    PathSpec setup;
    setup.finish = 1e-4;
    auto run = path_scenes::RunPath(f, testing::MachinistGrooves()[3].draw(testing::AllFrames()[k]),
                                    setup);
    ASSERT_TRUE(run->built);
    double lowA = 1e9, highA = -1e9;
    for (const Segment& s : run->path.Segs) {
      if (s.MoveType != kMoveCutting) continue;
      for (const Point3& p : {s.StartPt, s.EndPt}) {
        lowA = std::min(lowA, f.A(p));
        highA = std::max(highA, f.A(p));
      }
    }
    // The references from the left wall (r inside it) to the right wall less w - r.
    EXPECT_NEAR(lowA, -4 + kR, 1e-4);
    EXPECT_NEAR(highA, 4 - kR - (kW - 2 * kR), 1e-4);
    const MachiningReport report = Check(*run, f, run->finished);
    EXPECT_LE(report.gougeDepth, 1e-4);
    EXPECT_NEAR(report.uncutBeyondAllowance, 2 * Fillet(kR), 1e-3);
    EXPECT_LT(WorstPositioning(report), 1e-4);
  }
}

// The spike in the back face: the work area's slot rule closes it (the region to machine is 96,
// the drawing's 94.5 plus the spike's 1.5), and the path machines it away. Against the finished
// part the preparation derives, nothing is wrong; against the part as drawn the check reports
// the spike cut away whole.
TEST(GroovePathShapes, BackFaceCutsTheSpikeAway) {
  const PathFrame& f = path_scenes::AllFrames()[3];
  auto run = RunShape(6, 3);
  ASSERT_TRUE(run->built);
  EXPECT_NEAR(path_scenes::Area(run->toMachine), 96.0, 1e-3);
  const MachiningReport asPrepared = Check(*run, f, run->finished);
  EXPECT_LE(asPrepared.gougeDepth, 1e-4);

  // The part as drawn: the blank less the groove with its spike (frame a along y, d along x).
  std::vector<double> drawn = {100, 0, 100, 50, 0, 50};
  for (const auto& [a, d] : std::vector<std::pair<double, double>>{
           {8, 0}, {8, 6}, {0.5, 6}, {0, 3}, {-0.5, 6}, {-8, 6}, {-8, 0}}) {
    drawn.push_back(f.X(a, d));
    drawn.push_back(f.Y(a, d));
  }
  drawn.push_back(0);
  drawn.push_back(0);
  const Contour part = MakePolygon(drawn);
  ASSERT_NEAR(path_scenes::Area(part), 5000 - 94.5, 1e-6);
  const MachiningReport asDrawn = Check(*run, f, part);
  // The whole spike (1 wide at its foot, 3 high: 1.5) is swept; its deepest point lies 0.44
  // from the part's outline (by the check's grid; the spike's foot joins the part).
  EXPECT_NEAR(asDrawn.gougeArea, 1.5, 1e-3);
  EXPECT_NEAR(asDrawn.gougeDepth, 0.444, 2e-3);
  // The plunges and the bottom pass run the insert's edge through the spike to the bottom.
  EXPECT_GE(asDrawn.gougeMove, 0);
}


// The check where the insert's side runs along the part within the chord tolerance: the front
// face groove with corner radii, the positioning move that lifts the insert out along the wall
// after the offset pass (its corner touches the bottom's rounding). Boost.Geometry answers the
// overlap of that sweep with the part with a ring that takes in the insert's body beyond the
// face (18.36 from the part's outline); the check keeps only points that lie on both, and
// reports the touch for what it is. A protrusion swept whole (a spike cut across) has every
// vertex of its overlap on the part's outline: the check's grid inside the overlap finds its
// depth.
TEST(MachiningCheck, DepthsOfTouchesAndOfProtrusions) {
  const PathFrame& f = path_scenes::AllFrames()[2];
  auto run = RunShape(1, 2);
  ASSERT_TRUE(run->built);
  int32_t lift = -1;
  for (int32_t i = 0; i < run->path.Count(); ++i) {
    const Segment& m = run->path.Seg(i);
    if (m.MoveType == kMovePositioning && std::fabs(m.StartPt.x - 94.4) < 1e-4 &&
        std::fabs(m.StartPt.y - 20.9973) < 1e-4 && m.EndPt.x > 100) {
      lift = i;
    }
  }
  ASSERT_GE(lift, 0);
  Contour one = run->path;
  one.Segs = {run->path.Seg(lift)};
  MachiningCheckInput in;
  in.toolPath = &one;
  in.insert = {kW, kR, f.kind, 15.0};
  in.blank = &run->blank;
  in.finishedPart = &run->finished;
  in.regionToMachine = &run->toMachine;
  for (double tolerance : {1e-5, 1e-6}) {
    in.tolerance = tolerance;
    const MachiningReport report = CheckMachining(in);
    EXPECT_LE(report.gougeDepth, 1e-4) << tolerance;
    EXPECT_EQ(report.gougeArea, 0.0) << tolerance;
  }

  // A move of the outside-diameter insert across a triangle of material 2 wide at its foot and
  // 1 high, its edge 0.5 below the tip: the overlap's vertices all lie on the triangle's sides.
  const Contour part = MakePolygon({0, 0, 100, 0, 100, 50, 51, 50, 50, 51, 49, 50, 0, 50});
  const Contour blank = part;
  Contour path = MakeContour({MakeLine(40, 50.9, 60, 50.9)});
  path.Seg(0).MoveType = kMoveCutting;
  in.toolPath = &path;
  in.insert = {kW, kR, WorkKind::OutsideDiameter, 15.0};
  in.blank = &blank;
  in.finishedPart = &part;
  in.regionToMachine = &part;
  in.tolerance = 1e-5;
  const MachiningReport report = CheckMachining(in);
  EXPECT_NEAR(report.gougeArea, 0.5 * 1.0 * 0.5, 1e-4);  // the tip above 50.5
  // Its deepest point lies on the edge's line under the tip, 0.5 / sqrt(2) from both sides
  // (they lean at 45 degrees); the grid finds it within a tenth of the overlap's size.
  EXPECT_GT(report.gougeDepth, 0.3);
  EXPECT_LE(report.gougeDepth, 0.5 / std::sqrt(2.0) + 1e-4);
}


// A finishing chain that closes on itself. The chain takes the cut region's segments that have
// stock just outside them; with the blank the preparation leaves, the segments along the
// surface have air there, so the chain never closes (a groove is cut from the blank's outline).
// Here the blank is raised by 10 after the preparation, as if the groove lay under stock: every
// segment joins the chain, which closes, and the roughing starts from the work contour's top
// plus w (53, not the clearance above the region) with cutting moves, the second side of the
// chain retracts to that level, and the path still starts and ends at the start point.
TEST(GroovePathShapes, ClosedFinishingChain) {
  const PathFrame& f = path_scenes::AllFrames()[0];
  PathSpec setup;
  auto run = path_scenes::Prepare(f, path_scenes::Rectangular(f, 2.5 * kW, 6.0), setup);
  ASSERT_TRUE(run->prepared);
  ContourBounds(run->State().Geometry(), run->State().contours.work);
  const double level = run->State().contours.work.MaxY + kW;
  EXPECT_NEAR(level, 53.0, 1e-3);
  run->State().contours.blank = MakePolygon({0, 0, 100, 0, 100, 60, 0, 60});
  ASSERT_TRUE(BuildGroovePath(run->State(), run->path));
  const Contour& p = run->path;
  EXPECT_NEAR(p.First().StartPt.x, 110.0, 1e-9);
  EXPECT_NEAR(p.First().StartPt.y, 60.0, 1e-9);
  EXPECT_NEAR(p.Last().EndPt.x, 110.0, 1e-9);
  EXPECT_NEAR(p.Last().EndPt.y, 60.0, 1e-9);
  int plunges = 0, retracts = 0;
  for (int32_t i = 0; i < p.Count(); ++i) {
    const Segment& m = p.Seg(i);
    if (m.Phase == kPhaseRoughing && (i == 0 || p.Seg(i - 1).Phase != kPhaseRoughing)) {
      ++plunges;
      EXPECT_NEAR(m.StartPt.y, level, 1e-9) << i;
      EXPECT_EQ(m.MoveType, kMoveCutting) << i;
      EXPECT_NEAR(m.EndPt.y, 50 - 6 + kR + kT + 1e-6, 1e-5) << i;
    }
    // A retract from the groove's bottom level straight up to the level.
    if (m.MoveType == kMovePositioning && m.StartPt.y < 45.0 &&
        std::fabs(m.EndPt.y - level) < 1e-9 && std::fabs(m.EndPt.x - m.StartPt.x) < 1e-9) {
      ++retracts;
    }
  }
  EXPECT_EQ(plunges, 3);
  EXPECT_GE(retracts, 1);
  bool finishing = false;
  for (const Segment& m : p.Segs) finishing = finishing || m.Phase == kPhaseFinishing;
  EXPECT_TRUE(finishing);
}

// An edge of the groove blocked by stock above it: a hook of the blank (a stem at x 57 to 58
// rising to 60, an arm from x 40 to 58 at y 58 to 60) overhangs an outside groove 10 wide and
// 6 deep. The edge test finds the arm above the cut region's edges and sends the approach and
// the return over the work contour's top plus w (53, under the arm) instead of over the
// blank's top plus w (63, through the arm). The start point lies under the arm at y = 54. An
// insert whose body reaches 4 above its corner centres passes under the arm (58): the check
// finds no cut into the part and no positioning move through stock, and the groove cleared but
// for its two fillets.
TEST(GroovePathShapes, BlockedEdgeGoesUnderTheOverhang) {
  PathFrame f = path_scenes::AllFrames()[0];
  f.blank = {0, 0, 100, 0, 100, 50, 58, 50, 58, 60, 40, 60, 40, 58, 57, 58, 57, 50, 0, 50};
  f.startZ = 30;
  f.startX = 108;  // y = 54
  auto run = path_scenes::RunPath(f, path_scenes::Rectangular(f, 10.0, 6.0), PathSpec{});
  for (const auto& m : run->scene.host.messages->Messages()) ADD_FAILURE() << m.prompt;
  ASSERT_TRUE(run->built);
  const Contour& p = run->path;
  // Start, down to the level, across to the first plunge; back across at the level, up to the
  // start.
  EXPECT_NEAR(p.Seg(0).EndPt.x, 30.0, 1e-9);
  EXPECT_NEAR(p.Seg(0).EndPt.y, 53.0, 1e-3);
  EXPECT_NEAR(p.Seg(1).EndPt.y, 53.0, 1e-3);
  EXPECT_NEAR(p.Seg(p.Count() - 2).StartPt.y, 53.0, 1e-3);
  EXPECT_NEAR(p.Seg(p.Count() - 2).EndPt.x, 30.0, 1e-9);
  double highest = 0.0;
  for (const Segment& m : p.Segs) highest = std::max({highest, m.StartPt.y, m.EndPt.y});
  EXPECT_NEAR(highest, 54.0, 1e-9);  // the start point: nothing goes over the arm

  MachiningCheckInput in;
  in.toolPath = &p;
  in.insert = {kW, kR, f.kind, 4.0};
  in.blank = &run->blank;
  in.finishedPart = &run->finished;
  in.regionToMachine = &run->toMachine;
  in.tolerance = kTolerance;
  const MachiningReport report = CheckMachining(in);
  EXPECT_LE(report.gougeDepth, 1e-4);
  EXPECT_LT(WorstPositioning(report), 1e-4);
  EXPECT_NEAR(report.uncutBeyondAllowance, 2 * Fillet(kR + kT), 1e-3);
  // The insert of the other checks, its body 15 long, would reach through the arm.
  in.insert.bodyLength = 15.0;
  EXPECT_NEAR(CheckMachining(in).gougeDepth, 1.0, 1e-3);
}

}  // namespace
}  // namespace sulkor
