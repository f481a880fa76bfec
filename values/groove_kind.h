// The kind of work of a request: given, or found from the profile's shape.
#pragma once

#include <string_view>

#include "operation/work_kind.h"
#include "sulkor/values.h"

namespace sulkor::values {

// The kind of work the profile describes. Its chord runs from its first point to its last; a
// chord that runs more along the axis than across it makes a groove in a diameter, else one in
// a face. The profile's point farthest from the chord (its ends, arc middles and arc extremes)
// tells the side: below the chord an outside diameter, above it a bore; toward -x a front face,
// toward +x a back face.
GrooveKind KindOfProfile(const Chain& profile);

// The trajectory type ("Turn" or "Face") and direction ("External" or "Internal") that select
// the kind of work.
std::string_view TrajectoryTypeOf(GrooveKind kind);
std::string_view DirectionOf(GrooveKind kind);

GrooveKind ToGrooveKind(WorkKind kind);

}  // namespace sulkor::values
