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
#include "operation/work_kind.h"
#include "host/memory/scene.h"
#include "sulkor/groove.h"
#include "toolpath/groove_path.h"
#include "groove/groove_state.h"

namespace sulkor::path_scenes {

struct PathFrame {
  const char* name;
  WorkKind kind;
  std::string trajectoryType;
  std::string direction;
  std::vector<double> blank;  // closed polygon
  double surface;             // plunge-axis coordinate of the surface the groove is cut into
  double plunge;              // -1 or +1: the sense of growing depth
  double middle;              // cross-axis coordinate of a = 0
  bool alongIsX;              // the plunge runs along y (turning): a along x
  double startZ, startX;      // the start point parameters (X is a diameter)

  double X(double a, double d) const { return alongIsX ? middle + a : surface + plunge * d; }
  double Y(double a, double d) const { return alongIsX ? surface + plunge * d : middle + a; }
  // Frame coordinates of a drawing point.
  double A(const Point3& p) const { return (alongIsX ? p.x : p.y) - middle; }
  double D(const Point3& p) const { return ((alongIsX ? p.y : p.x) - surface) * plunge; }
  Point3 Start() const { return {startZ, startX / 2.0, 0.0}; }
};

inline const std::vector<PathFrame>& AllFrames() {
  static const std::vector<PathFrame> frames = {
      {"OutsideDiameter", WorkKind::OutsideDiameter, "Turn", "External",
       {0, 0, 100, 0, 100, 50, 0, 50}, 50.0, -1.0, 50.0, true, 110.0, 120.0},
      {"Bore", WorkKind::Bore, "Turn", "Internal", {0, 20, 100, 20, 100, 50, 0, 50}, 20.0, 1.0,
       50.0, true, 110.0, 20.0},
      {"FrontFace", WorkKind::FrontFace, "Face", "Internal", {0, 0, 100, 0, 100, 50, 0, 50},
       100.0, -1.0, 25.0, false, 110.0, 20.0},
      {"BackFace", WorkKind::BackFace, "Face", "External", {0, 0, 100, 0, 100, 50, 0, 50}, 0.0,
       1.0, 25.0, false, -10.0, 120.0},
  };
  return frames;
}

// An open profile of lines through the frame points (a, d).
inline Contour Profile(const PathFrame& f, const std::vector<std::pair<double, double>>& ad) {
  std::vector<Segment> segs;
  for (size_t i = 0; i + 1 < ad.size(); ++i) {
    segs.push_back(MakeLine(f.X(ad[i].first, ad[i].second), f.Y(ad[i].first, ad[i].second),
                            f.X(ad[i + 1].first, ad[i + 1].second),
                            f.Y(ad[i + 1].first, ad[i + 1].second)));
  }
  return MakeContour(segs);
}

// A rectangular groove `width` wide and `depth` deep, its profile drawn from outside the blank.
inline Contour Rectangular(const PathFrame& f, double width, double depth) {
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

inline std::unique_ptr<PathRun> Prepare(const PathFrame& f, const Contour& work,
                                        const PathSetup& setup) {
  auto run = std::make_unique<PathRun>();
  host::SceneTool tool;
  tool.width = setup.toolWidth;
  tool.cornerRadius = setup.cornerRadius;
  run->scene = host::BuildGrooveScene(MakePolygon(f.blank), work, tool);
  run->groove = std::make_unique<Groove>(run->scene.host.environment);
  OperationState& state = run->State();
  state.params.TrajectoryType = f.trajectoryType;
  state.params.Direction = f.direction;
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

inline std::unique_ptr<PathRun> RunPath(const PathFrame& f, const Contour& work,
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
