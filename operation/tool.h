// The operation's tool: loaded from the data store's tool table, checked and converted into the
// units of the drawing before every computation.
#pragma once

#include <string_view>

#include "operation/operation_state.h"
#include "sulkor/data_store.h"

namespace sulkor {

// Tool properties in the data store.
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

// The only subtype the operation cuts with.
inline constexpr std::string_view kToolSubTypeGroove = "Groove";

// Tool orientations, one per kind of work.
inline constexpr std::string_view kOrientationTurnExternal = "TurnExternal";
inline constexpr std::string_view kOrientationTurnInternal = "TurnInternal";
inline constexpr std::string_view kOrientationFace = "Face";
inline constexpr std::string_view kOrientationBackFace = "BackFace";

// Units: the data store's setting, the drawing's unit property and the unit names.
inline constexpr std::string_view kSettingUnitsSystem = "CAM_UnitsSystem";
inline constexpr std::string_view kDrawingLinearUnitName = "LinearUnitName";
inline constexpr std::string_view kUnitInch = "in";
inline constexpr std::string_view kUnitInchMark = "\"";  // the drawing may name inch by its mark
inline constexpr std::string_view kUnitMillimetre = "mm";
inline constexpr double kMillimetresPerInch = 25.4;

// Below this the corner is treated as sharp by the geometry (100 * 1e-6).
inline constexpr double kSharpCornerRadius = 1e-4;

// Loads the tool that the block set's ToolNumber names into state.tool (and the number into
// state.params.ToolNumber), checks it and converts its lengths into the drawing's units.
// Answers false, after its message, for a tool that is not a grooving tool (101/102) or whose
// corner radius exceeds half its width (110); false without a message when the data store fails
// in reading the tool or the block set has no part. Never throws.
bool LoadTool(OperationState& state, const Handle<BlockSet>& camBSet);

// The drawing's unit name as the tool conversion understands it: the inch mark becomes "in".
std::string_view NormalizedDrawingUnit(std::string_view linearUnitName);

}  // namespace sulkor
