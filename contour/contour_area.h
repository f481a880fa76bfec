// The area a closed contour of lines and arcs encloses, exactly: the shoelace sum over the
// chords plus each arc's circular segment.
#pragma once

#include "contour/records.h"

namespace sulkor {

// Positive for a counterclockwise contour, negative for a clockwise one. A contour that does
// not close is closed by the chord from its last end to its first start.
double SignedArea(const Contour& contour);

}  // namespace sulkor
