// The names the component gives to and looks for in the host's drawing: the graphics an
// operation reads and writes, the layer of its output and the hatch of the removed material.
#pragma once

#include <string_view>

namespace sulkor {

inline constexpr std::string_view kWorkContourName = "WorkContour";      // the finished profile
inline constexpr std::string_view kLastPartBlankName = "LastPartBlank";  // stock handed on
inline constexpr std::string_view kTrajectoryName = "Trajectory";        // the tool path
inline constexpr std::string_view kRemovedMaterialName = "RemovedMaterial";
inline constexpr std::string_view kLayerCamOperations = "CAMOperations";
inline constexpr std::string_view kHatchBrush = "ANSI36";

}  // namespace sulkor
