// The example part of `sulkor demo`: a hollow shaft with three grooves cut one after the other,
// an outside groove, a bore groove and a groove in the front face, each with its own tool.
#pragma once

#include <string>
#include <vector>

#include "contour/records.h"
#include "host/memory/scene.h"

namespace sulkor::cli {

struct DemoOperation {
  std::string title;
  Contour profile;  // the finished groove, an open profile with its ends outside the blank
  host::SceneTool tool;
  std::string trajectoryType;
  std::string direction;
  double startX = 0.0;  // a diameter
  double startZ = 0.0;
  double depthPerPass = 0.0;
  double finishThickness = 0.0;
};

struct DemoPart {
  Contour blank;
  std::vector<DemoOperation> operations;
};

// In millimetres: a tube 80 long, bore diameter 20, outside diameter 60.
DemoPart MakeDemoPart();

}  // namespace sulkor::cli
