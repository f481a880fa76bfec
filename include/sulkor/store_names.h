// The names the component reads from and writes to the host's CAM data store (the store's
// setting, block-set properties, tool properties and the values they hold) and the names of
// lengths: the drawing's unit property and the unit names. Compared exactly and case-sensitively;
// every other file takes them from here.
#pragma once

#include <string_view>

namespace sulkor {

// The thirteen operation parameters. They are the names SetParameter and GetParameter accept and
// also the block-set keys they are stored under.
inline constexpr std::string_view kParamStartPointX = "CAM_TurningStartPointX";
inline constexpr std::string_view kParamStartPointZ = "CAM_TurningStartPointZ";
inline constexpr std::string_view kParamToolNumber = "ToolNumber";
inline constexpr std::string_view kParamSpeed = "Speed";
inline constexpr std::string_view kParamFeed = "Feed";
inline constexpr std::string_view kParamSpeedFactor = "CAM_SpeedFactor";
inline constexpr std::string_view kParamFeedFactor = "CAM_FeedFactor";
inline constexpr std::string_view kParamTrajectoryType = "CAM_TurningTrajectoryType";
inline constexpr std::string_view kParamDepthOnPass = "CAM_TurningDepthOnPass";
inline constexpr std::string_view kParamFinishThickness = "CAM_TurningFinishThickness";
inline constexpr std::string_view kParamFinishFeed = "CAM_TurningFinishFeed";
inline constexpr std::string_view kParamFinishSpeed = "CAM_TurningFinishSpeed";
inline constexpr std::string_view kParamDirection = "CAM_TurningDirection";

// Values of the two text parameters.
inline constexpr std::string_view kTrajectoryTurn = "Turn";
inline constexpr std::string_view kTrajectoryFace = "Face";
inline constexpr std::string_view kDirectionExternal = "External";
inline constexpr std::string_view kDirectionInternal = "Internal";

// Further block-set properties: the operation type written with the parameters, the part the
// operation belongs to, and the subtype of the kind of work recorded after a run.
inline constexpr std::string_view kKeyOperationType = "OperationType";
inline constexpr std::string_view kOperationTypeGroove = "Groove";
inline constexpr std::string_view kKeyPartId = "CAM_PartID";
inline constexpr std::string_view kKeySubType = "CAM_LatheTrajectorySubType";

// Tool properties.
inline constexpr std::string_view kToolType = "CAM_ToolType";
inline constexpr std::string_view kToolSubType = "CAM_ToolSubType";
inline constexpr std::string_view kToolMeasure = "Measure";
inline constexpr std::string_view kToolAngle = "Angle";
inline constexpr std::string_view kToolFrontAngle = "CAM_ToolFrontAngle";
inline constexpr std::string_view kToolCornerRadius = "CAM_ToolCornerRadius";
inline constexpr std::string_view kToolWidth = "CAM_ToolWidth";
inline constexpr std::string_view kToolInscribedCircle = "CAM_ToolInscribedCircle";
inline constexpr std::string_view kToolHand = "CAM_ToolHand";
inline constexpr std::string_view kToolOverallLength = "CAM_ToolOverallLength";
inline constexpr std::string_view kToolHeadLength = "CAM_ToolHeadLength";
inline constexpr std::string_view kToolIsSide = "CAM_ToolIsSide";
inline constexpr std::string_view kToolHeight = "CAM_ToolHeight";
inline constexpr std::string_view kToolOrientation = "CAM_ToolOrientation";

// The only tool subtype the operation cuts with.
inline constexpr std::string_view kToolSubTypeGroove = "Groove";

// Tool orientations, one per kind of work.
inline constexpr std::string_view kOrientationTurnExternal = "TurnExternal";
inline constexpr std::string_view kOrientationTurnInternal = "TurnInternal";
inline constexpr std::string_view kOrientationFace = "Face";
inline constexpr std::string_view kOrientationBackFace = "BackFace";

// The store's units setting: 1 is inch, anything else metric.
inline constexpr std::string_view kSettingUnitsSystem = "CAM_UnitsSystem";
inline constexpr int kUnitsSystemInch = 1;
inline constexpr int kUnitsSystemMetric = 0;

// The drawing's unit property and the unit names of drawings and tools. A drawing may also name
// inch by its mark, the double-quote character.
inline constexpr std::string_view kLinearUnitName = "LinearUnitName";
inline constexpr std::string_view kUnitInch = "in";
inline constexpr std::string_view kUnitInchMark = "\"";
inline constexpr std::string_view kUnitMillimetre = "mm";
inline constexpr double kMillimetresPerInch = 25.4;

}  // namespace sulkor
