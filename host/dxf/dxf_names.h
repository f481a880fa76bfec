// The names a DXF file of this system carries: layers that give entities their role, the
// groups and the hatch written after a run, the units of the header.
#pragma once

#include <string_view>

namespace sulkor::host {

// Layers read on import.
inline constexpr std::string_view kDxfLayerWorkContour = "WorkContour";
inline constexpr std::string_view kDxfLayerLastPartBlank = "LastPartBlank";
inline constexpr std::string_view kDxfLayerData = "DATA";
// The layer of the graphics an operation adds; import leaves it to the next run.
inline constexpr std::string_view kDxfLayerCamOperations = "CAMOperations";

// Graphics that become DXF groups on export.
inline constexpr std::string_view kDxfGroupTrajectory = "Trajectory";
inline constexpr std::string_view kDxfGroupRemovedMaterial = "RemovedMaterial";
inline constexpr std::string_view kDxfGroupLastPartBlank = "LastPartBlank";

// Drawing and graphic properties.
inline constexpr std::string_view kDxfUnitProperty = "LinearUnitName";
inline constexpr std::string_view kDxfPenColor = "PenColor";
inline constexpr std::string_view kDxfBrushScale = "BrushScale";
inline constexpr std::string_view kDxfHatchPattern = "ANSI36";

// $INSUNITS values and the drawing's unit names.
inline constexpr int kDxfUnitsInch = 1;
inline constexpr int kDxfUnitsMillimetre = 4;
inline constexpr std::string_view kUnitInch = "in";
inline constexpr std::string_view kUnitMillimetre = "mm";

// Coordinates beyond this size are refused on import: no lathe part is a kilometre long, and
// larger values lose the precision the geometry needs.
inline constexpr double kDxfMaxCoordinate = 1e7;

}  // namespace sulkor::host
