// The names a DXF file of this system carries: layers that give entities their role, the
// groups and the hatch written after a run, the units of the header.
#pragma once

#include <string_view>

#include "sulkor/drawing.h"
#include "sulkor/graphic_names.h"
#include "sulkor/store_names.h"

namespace sulkor::host {

// Layers read on import.
inline constexpr std::string_view kDxfLayerWorkContour = kWorkContourName;
inline constexpr std::string_view kDxfLayerLastPartBlank = kLastPartBlankName;
inline constexpr std::string_view kDxfLayerData = kKindData;
// The layer of the graphics an operation adds; import leaves it to the next run.
inline constexpr std::string_view kDxfLayerCamOperations = kLayerCamOperations;

// The layers of an operation's graphics when they are written on layers of their own; an import
// takes every layer starting with "CAM_" for an earlier run's output.
inline constexpr std::string_view kDxfCamLayerPrefix = "CAM_";
inline constexpr std::string_view kDxfLayerPositioning = "CAM_Positioning";
inline constexpr std::string_view kDxfLayerCutting = "CAM_Cutting";
inline constexpr std::string_view kDxfLayerRemovedMaterial = "CAM_RemovedMaterial";
inline constexpr std::string_view kDxfLayerStock = "CAM_Stock";

// Graphics that become DXF groups on export.
inline constexpr std::string_view kDxfGroupTrajectory = kTrajectoryName;
inline constexpr std::string_view kDxfGroupRemovedMaterial = kRemovedMaterialName;
inline constexpr std::string_view kDxfGroupLastPartBlank = kLastPartBlankName;

// Drawing and graphic properties.
inline constexpr std::string_view kDxfPenColor = "PenColor";
inline constexpr std::string_view kDxfBrushScale = "BrushScale";
inline constexpr std::string_view kDxfHatchPattern = kHatchBrush;

// $INSUNITS values.
inline constexpr int kDxfUnitsInch = 1;
inline constexpr int kDxfUnitsMillimetre = 4;

// Coordinates beyond this size are refused on import: no lathe part is a kilometre long, and
// larger values lose the precision the geometry needs.
inline constexpr double kDxfMaxCoordinate = 1e7;

}  // namespace sulkor::host
