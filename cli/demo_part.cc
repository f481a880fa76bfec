#include "cli/demo_part.h"

#include "contour/segment_build.h"

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
  const Contour outside = MakeContour(
      {MakeLine(20, 33, 20, 26), MakeArc(20, 26, 21, 25, 21, 26, 1), MakeLine(21, 25, 29, 25),
       MakeArc(29, 25, 30, 26, 29, 26, 1), MakeLine(30, 26, 30, 33)});
  // title, profile, tool, type, direction, start X (a diameter) and Z, depth per pass, finish.
  part.operations = {
      {"outside groove", outside, Tool(1, 3.0, 0.2), "Turn", "External", 70.0, 85.0, 2.0, 0.2},
      // 8 wide and 4 deep in the bore, reached from the front of the part.
      {"bore groove", MakePolyline({45, 7, 45, 14, 53, 14, 53, 7}), Tool(2, 2.5, 0.2), "Turn",
       "Internal", 10.0, 85.0, 1.5, 0.2},
      // 6 wide and 4 deep in the front face, between diameters 36 and 48.
      {"front face groove", MakePolyline({83, 18, 76, 18, 76, 24, 83, 24}), Tool(3, 3.0, 0.2), "Face",
       "Internal", 70.0, 90.0, 2.0, 0.0},
  };
  return part;
}

}  // namespace sulkor::cli
