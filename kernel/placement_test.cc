// Every service on turned profiles placed far from the origin and scaled to inches answers
// what it answers at the origin: the same number of loops, areas and lengths equal to a part
// in 1e9 once scaled back, the same crossings and the same inside/outside answers.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <string>
#include <vector>

#include "kernel/contour_services.h"
#include "testing/test_shapes.h"
#include "testing/turned_profiles.h"

namespace sulkor {
namespace {

namespace ts = testing_shapes;

// What a service answered, as loops/points counts and sizes in the profile's own units.
struct Answer {
  bool ok = false;
  int count = 0;
  double size = 0.0;  // total |area| or length, or the crossings' summed distance from a corner
};

Answer Loops(bool ok, const ContourList& out, bool areas, double scale) {
  Answer a{ok, out.Count(), 0.0};
  for (const Contour& c : out.Contours) {
    if (areas) {
      a.size += std::fabs(ts::ExactArea(c)) / (scale * scale);
    } else {
      for (const Segment& s : c.Segs) a.size += s.Length / scale;
    }
  }
  return a;
}

// The answers of every service for a profile placed at (dx, dy) at the given scale.
std::vector<Answer> Answers(const Contour& profile, double dx, double dy, double scale) {
  double width = 0.0;
  for (const Segment& s : profile.Segs) width = std::max(width, s.EndPt.x);
  const Contour closed = testing::Placed(profile, dx, dy, scale);
  Contour chain = closed;
  chain.Segs.pop_back();  // the axis
  // The copy the cut region merges with: moved back by a tool width and up by 1e-6, the
  // records' tolerance, which stays 1e-6 in any unit.
  const Contour copy = testing::Placed(profile, dx - 2.2 * scale, dy + 1e-6, scale);
  const Contour rect = testing::Placed(
      MakePolygon({-1, -1, width + 1, -1, width + 1, 18, -1, 18}),
      dx, dy, scale);
  std::vector<Answer> out;
  ContourList list;
  const IntersectionResult none;
  for (int side : {1, -1}) {
    chain.Side = static_cast<int16_t>(side);
    const bool ok = OffsetContour(chain, "Internal", 0.4 * scale, "Single", 1, list);
    out.push_back(Loops(ok, list, false, scale));
  }
  out.push_back(Loops(OffsetContour(closed, "External", 0.25 * scale, "Single", 0, list), list,
                      true, scale));
  out.push_back(Loops(ClipContours(closed, rect, none, list), list, true, scale));
  // Point in contour over a grid across the box, on the corners of the profile and between.
  Answer located{true, 0, 0.0};
  for (int i = 0; i <= 40; ++i) {
    for (int j = 0; j <= 24; ++j) {
      const double px = dx + (width * i / 40.0) * scale;
      const double py = dy + (j - 1.0) * scale;
      const int16_t where = LocatePoint(closed, px, py);
      located.count += where == kInside;
      located.size += where == kOnOutline;
    }
  }
  out.push_back(located);
  out.push_back(Loops(MergeContours(closed, copy, none, list), list, true, scale));
  out.push_back(Loops(ClipContours(closed, copy, none, list), list, true, scale));
  out.push_back(Loops(CommonContours(closed, copy, none, list), list, true, scale));
  IntersectionResult hits;
  Answer crossings{IntersectContours(closed, copy, hits), hits.Count(), 0.0};
  for (const Crossing& c : hits.Points) crossings.size += std::hypot(c.X - dx, c.Y - dy) / scale;
  out.push_back(crossings);
  return out;
}

TEST(ServicesAtAnyPlacement, AnswerAsAtTheOrigin) {
  const char* const kServices[] = {"open offset away", "open offset into", "closed offset",
                                   "clip by rectangle", "point in contour", "merge",
                                   "clip",             "common",           "intersection"};
  // The services from "merge" on work with the copy moved up by 1e-6 in any unit, which is not
  // the scaled copy: in inches they are compared with the answer in inches at the origin.
  constexpr size_t kFirstWithCopy = 5;
  const Contour profiles[] = {
      testing::ClosedProfile(7),
      ts::FilletedPolygon({60, 0, 60, 12, 45, 12, 44, 14, 30, 14, 30, 22, 10, 22, 10, 14, 0, 14,
                           0, 0},
                          {0, 0, 1.0, 0, 0.8, 1.5, 2.0, 0.5, 0, 0})};
  struct Placement {
    double dx, dy, scale;
  };
  constexpr double kInch = 1 / 25.4;
  const Placement placements[] = {{1e3, 0, 1},       {0, 1e3, 1},          {1e3, 1e3, 1},
                                  {1e4, 1e4, 1},     {-1e4, 1e4, 1},       {1e5, 1e5, 1},
                                  {0, 0, kInch},     {1e4, 1e4, kInch},    {1e5, -1e5, kInch}};
  for (size_t p = 0; p < std::size(profiles); ++p) {
    const std::vector<Answer> origin = Answers(profiles[p], 0, 0, 1);
    const std::vector<Answer> inches = Answers(profiles[p], 0, 0, kInch);
    for (const Placement& at : placements) {
      const std::vector<Answer> moved = Answers(profiles[p], at.dx, at.dy, at.scale);
      for (size_t k = 0; k < origin.size(); ++k) {
        const Answer& want = k >= kFirstWithCopy && at.scale != 1 ? inches[k] : origin[k];
        const std::string what = "profile " + std::to_string(p) + ", " + kServices[k] +
                                 " at (" + std::to_string(at.dx) + ", " +
                                 std::to_string(at.dy) + ") scale " + std::to_string(at.scale);
        EXPECT_TRUE(want.ok) << what;
        EXPECT_EQ(moved[k].ok, want.ok) << what;
        EXPECT_EQ(moved[k].count, want.count) << what;
        EXPECT_NEAR(moved[k].size, want.size, 1e-9 * std::max(1.0, want.size)) << what;
      }
    }
  }
}

}  // namespace
}  // namespace sulkor
