// Test support for the tool path: grooves drawn in a frame of their own (a across the groove,
// d the depth below the surface in the plunge sense), placed into a blank for each kind of
// work, prepared in a memory host and turned into a tool path; and a little independent geometry
// (densified areas) to judge the results.
#pragma once

#include <cmath>
#include <memory>
#include <numbers>
#include <string>
#include <utility>
#include <vector>

#include "contour/records.h"
#include "contour/segment_build.h"
#include "workarea/work_geometry.h"
#include "operation/operation_state.h"
#include "operation/tool.h"
#include "testing/test_grooves.h"
#include "host/memory/scene.h"
#include "sulkor/groove.h"
#include "toolpath/groove_path.h"
#include "groove/groove_state.h"

namespace sulkor::path_scenes {

using testing::AllFrames;
using testing::GrooveFrame;

// An open profile of lines through the frame points (a, d).
inline Contour Profile(const GrooveFrame& f, const std::vector<std::pair<double, double>>& ad) {
  std::vector<Segment> segs;
  for (size_t i = 0; i + 1 < ad.size(); ++i) {
    segs.push_back(MakeLine(f.X(ad[i].first, ad[i].second), f.Y(ad[i].first, ad[i].second),
                            f.X(ad[i + 1].first, ad[i + 1].second),
                            f.Y(ad[i + 1].first, ad[i + 1].second)));
  }
  return MakeContour(segs);
}

// A rectangular groove `width` wide and `depth` deep, its profile drawn from outside the blank.
inline Contour Rectangular(const GrooveFrame& f, double width, double depth) {
  return Profile(f, {{-width / 2, -2.0}, {-width / 2, depth}, {width / 2, depth},
                     {width / 2, -2.0}});
}

struct PathSetup {
  double toolWidth = 3.0;
  double cornerRadius = 0.4;
  double depthOnPass = 100.0;
  double finish = 0.5;
};

struct PathRun {
  host::GrooveScene scene;
  std::unique_ptr<Groove> groove;
  bool prepared = false;
  bool built = false;
  Contour path;
  // The working contours as the preparation left them.
  Contour blank, finished, toMachine, toClear, work;

  OperationState& State() const { return StateOf(*groove); }
};

inline std::unique_ptr<PathRun> Prepare(const GrooveFrame& f, const Contour& work,
                                        const PathSetup& setup) {
  auto run = std::make_unique<PathRun>();
  host::SceneTool tool;
  tool.width = setup.toolWidth;
  tool.cornerRadius = setup.cornerRadius;
  run->scene = host::BuildGrooveScene(MakePolygon(f.blank), work, tool);
  run->groove = std::make_unique<Groove>(run->scene.host.environment);
  OperationState& state = run->State();
  state.params.TrajectoryType = f.TrajectoryType();
  state.params.Direction = f.Direction();
  state.params.FinishThickness = setup.finish;
  state.params.DepthOnPass = setup.depthOnPass;
  state.params.StartPointZ = f.startZ;
  state.params.StartPointX = f.startX;
  state.contours.ResetAll();
  const Handle<BlockSet> blockSet(run->scene.blockSet);
  if (!LoadTool(state, blockSet)) return run;
  run->prepared = PrepareWorkGeometry(state, blockSet, Handle<GraphicSet>(run->scene.contourSet));
  const WorkingContours& c = state.contours;
  run->blank = c.blank;
  run->finished = c.remaining;
  run->toMachine = c.toMachine;
  run->toClear = c.toClear;
  run->work = c.work;
  return run;
}

inline std::unique_ptr<PathRun> RunPath(const GrooveFrame& f, const Contour& work,
                                        const PathSetup& setup) {
  std::unique_ptr<PathRun> run = Prepare(f, work, setup);
  if (run->prepared) run->built = BuildGroovePath(run->State(), run->path);
  return run;
}

// ---- Independent measures -----------------------------------------------------------------

// The area of a closed contour, its arcs cut into chords of at most 0.5 degree.
inline double Area(const Contour& c) {
  double a = 0.0;
  for (const Segment& s : c.Segs) {
    std::vector<std::pair<double, double>> pts{{s.StartPt.x, s.StartPt.y}};
    if (s.IsArc()) {
      const double r = std::hypot(s.StartPt.x - s.Center.x, s.StartPt.y - s.Center.y);
      const double a0 = std::atan2(s.StartPt.y - s.Center.y, s.StartPt.x - s.Center.x);
      const double a1 = std::atan2(s.EndPt.y - s.Center.y, s.EndPt.x - s.Center.x);
      const double full = 2 * std::numbers::pi;
      const double sweep = s.Direction == 1 ? std::fmod(a1 - a0 + 2 * full, full)
                                            : -std::fmod(a0 - a1 + 2 * full, full);
      const int n = 720;
      for (int k = 1; k < n; ++k) {
        const double t = a0 + sweep * k / n;
        pts.push_back({s.Center.x + r * std::cos(t), s.Center.y + r * std::sin(t)});
      }
    }
    pts.push_back({s.EndPt.x, s.EndPt.y});
    for (size_t i = 0; i + 1 < pts.size(); ++i) {
      a += pts[i].first * pts[i + 1].second - pts[i + 1].first * pts[i].second;
    }
  }
  return std::fabs(a / 2.0);
}

}  // namespace sulkor::path_scenes
