// The state of one groove operation, kept between calls: the parameters, the tool description,
// the kind of work, the working contours, the units and the host objects. The Groove class is a
// thin face over it; every step of the pipeline takes it explicitly.
#pragma once

#include <cstdint>
#include <memory>
#include <string>

#include "contour/records.h"
#include "contour/geometry_services.h"
#include "sulkor/drawing.h"
#include "sulkor/environment.h"

namespace sulkor {

// A finish allowance up to this, in drawing units, is none: below it the preparation builds no
// finishing offset and the tool path leaves no allowance, so the two always agree.
inline constexpr double kNoFinishAllowance = 1e-4;

// The thirteen operation parameters (their names and conversions live with the parameter table).
struct Parameters {
  std::string TrajectoryType = "Turn";  // "Turn" or "Face"
  double StartPointX = 1.0;             // a diameter
  double StartPointZ = 1.0;             // along the axis
  double FinishThickness = 0.05 * 25.4;
  double Speed = 1300.0;
  double Feed = 115.0;
  double SpeedFactor = 1.0;
  double FeedFactor = 1.0;
  double DepthOnPass = 0.3 * 25.4;
  double FinishFeed = 115.0;
  double FinishSpeed = 1300.0;
  std::string Direction = "External";  // "External" or "Internal"
  int32_t ToolNumber = 1;

  // The allowance that the finishing leaves on the part: FinishThickness, or 0 when it is
  // kNoFinishAllowance or less.
  double FinishAllowance() const {
    return FinishThickness > kNoFinishAllowance ? FinishThickness : 0.0;
  }
};

// The current tool, read from the data store's tool table and converted to drawing units.
struct ToolDescription {
  std::string ToolType;
  std::string SubType;
  std::string MeasureUnit;  // "in" or "mm": the unit the tool's lengths are stored in
  double Angle = 0.0;
  double FrontAngle = 0.0;
  double CornerRadius = 0.0;
  double Width = 0.0;
  double InscribedCircle = 0.0;
  std::string Hand;
  double OverallLength = 0.0;
  double HeadLength = 0.0;
  bool IsSide = false;
  double Height = 0.0;
  std::string Orientation;  // "TurnExternal", "TurnInternal", "Face", "BackFace" or empty
  double GeomCornerRadius = 0.0;  // the corner radius, or 0 when it is below 1e-4
};

// The working contours through which the steps hand geometry on, numbered as the block sets and
// the documentation of each step count them.
struct WorkingContours {
  Contour blank;         // 1: the stock this operation starts from
  Contour remaining;     // 2: the stock left after this groove
  Contour regionA;       // 3: the closed halves of the blank split by the work contour
  Contour regionB;       // 4
  Contour pieceA;        // 5: the blank's part of each region alone, open
  Contour pieceB;        // 6
  Contour toMachine;     // 7: region to machine; after the path the removed-material outline
  Contour work;          // 8: the work contour, trimmed and reshaped into the work area
  Contour workCopy;      // 9
  Contour toClear;       // 12: the work area, then the outline to clear
  // The blank split by the work contour as drawn, before the work area reshapes it for the tool:
  // the groove (the stock the drawing takes away) and the finished part. The tool path and its
  // machining guard measure against these.
  Contour grooveDrawn;
  Contour partDrawn;

  void ResetAll() { *this = WorkingContours{}; }
};

struct OperationState {
  std::shared_ptr<HostEnvironment> host;
  Parameters params;
  ToolDescription tool;
  int16_t directionSign = 1;  // with the trajectory type, selects the kind of work
  WorkingContours contours;
  Contour toolPath;           // the moves of the last computed tool path
  int16_t unitsSystem = 0;    // the data store's CAM_UnitsSystem: 1 inch, else metric
  double hatchScale = 25.0;   // 1.0 in inch drawings, else 25.0
  bool useUndo = true;
  std::string failureDetail;  // why the last run failed, with its numbers; empty after success
  Handle<Graphic> scratch;    // the factory of every new graphic

  GeometryServices& Geometry() const {
    if (!host || !host->geometry) throw HostError("the geometry services are missing");
    return *host->geometry;
  }
};

}  // namespace sulkor
