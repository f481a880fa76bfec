#include "cli/demo_part.h"

#include "geometry/segment_build.h"

namespace sulkor::cli {
namespace {

host::SceneTool Tool(int32_t number, double width, double cornerRadius) {
  host::SceneTool tool;
  tool.number = number;
  tool.width = width;
  tool.cornerRadius = cornerRadius;
  tool.measure = "mm";
  return tool;
}

}  // namespace

DemoPart MakeDemoPart() {
  DemoPart part;
  part.blank = MakePolygon({0, 10, 80, 10, 80, 30, 0, 30});

  // 10 wide and 5 deep in the outside diameter, rounded bottom corners of radius 1.
  DemoOperation outside;
  outside.title = "outside groove";
  outside.profile = MakeContour({MakeLine(20, 33, 20, 26), MakeArc(20, 26, 21, 25, 21, 26, 1),
                                 MakeLine(21, 25, 29, 25), MakeArc(29, 25, 30, 26, 29, 26, 1),
                                 MakeLine(30, 26, 30, 33)});
  outside.tool = Tool(1, 3.0, 0.2);
  outside.trajectoryType = "Turn";
  outside.direction = "External";
  outside.startX = 70.0;
  outside.startZ = 85.0;
  outside.depthPerPass = 2.0;
  outside.finishThickness = 0.2;
  part.operations.push_back(outside);

  // 8 wide and 4 deep in the bore, reached from the front of the part.
  DemoOperation bore;
  bore.title = "bore groove";
  bore.profile = MakePolygon({45, 7, 45, 14, 53, 14, 53, 7});
  bore.profile.Segs.pop_back();  // open: the three sides of the groove
  bore.tool = Tool(2, 2.5, 0.2);
  bore.trajectoryType = "Turn";
  bore.direction = "Internal";
  bore.startX = 10.0;
  bore.startZ = 85.0;
  bore.depthPerPass = 1.5;
  bore.finishThickness = 0.2;
  part.operations.push_back(bore);

  // 6 wide and 4 deep in the front face, between diameters 36 and 48.
  DemoOperation face;
  face.title = "front face groove";
  face.profile = MakePolygon({83, 18, 76, 18, 76, 24, 83, 24});
  face.profile.Segs.pop_back();
  face.tool = Tool(3, 3.0, 0.2);
  face.trajectoryType = "Face";
  face.direction = "Internal";
  face.startX = 70.0;
  face.startZ = 90.0;
  face.depthPerPass = 2.0;
  face.finishThickness = 0.0;
  part.operations.push_back(face);
  return part;
}

}  // namespace sulkor::cli
