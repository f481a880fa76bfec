// The two builders that hand geometry to the drawing: the "Trajectory" group of a tool path, one
// coloured child per move, and the polyline of a contour. Both make their graphics through the
// scratch graphic's collection and take the result out of it again, so that the caller decides
// where it goes. Neither traps errors: a failing host call reaches the caller.
#pragma once

#include <cstdint>
#include <string_view>

#include "contour/records.h"
#include "operation/operation_state.h"
#include "sulkor/drawing.h"
#include "sulkor/graphic_names.h"

namespace sulkor {


// Pen properties and values.
inline constexpr std::string_view kPenColor = "PenColor";
inline constexpr std::string_view kPenWidth = "PenWidth";
inline constexpr std::string_view kPenStyle = "PenStyle";
inline constexpr std::string_view kBrushScale = "BrushScale";
inline constexpr std::string_view kPenStyleContinuous = "CONTINUOUS";

// Colours as red + 256 * green + 65536 * blue.
inline constexpr int32_t kColorYellow = 65535;      // positioning moves
inline constexpr int32_t kColorRed = 255;           // cutting moves, arcs, contour polylines
inline constexpr int32_t kColorCyan = 16776960;     // moves of the third kind
inline constexpr int32_t kColorGreen = 65280;       // removed material
inline constexpr int32_t kColorBlue = 16711680;     // stock outlines ("LastPartBlank")

// Every trajectory element lies this far above the drawing plane, over the part.
inline constexpr double kTrajectoryHeight = 1e-4;

// The scratch graphic's collection: the factory of every new graphic.
Handle<Graphics> ScratchCollection(const OperationState& state);

// The tool path as a group graphic named "Trajectory", one child per move: lines coloured by
// their move type, arcs (clockwise ones with their vertices rewritten in travel order) and
// circles in red, all at height 1e-4.
Handle<Graphic> BuildTrajectory(const OperationState& state, const Contour& toolPath);

// The contour as one polyline (arcs as an arc-marked centre and quarter point before their end),
// closed when its ends meet within 1e-5; a one-circle contour becomes a circle graphic.
Handle<Graphic> BuildPolyline(const OperationState& state, const Contour& contour);

}  // namespace sulkor
