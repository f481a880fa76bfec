// Chains of the value interface to and from the engine's contour records.
#pragma once

#include <optional>
#include <string>

#include "contour/records.h"
#include "sulkor/values.h"

namespace sulkor::values {

// The contour of the chain's elements, every derived field set. An arc whose start and end are
// at different distances from its centre keeps the start's radius.
Contour ToContour(const Chain& chain);

// The element of a line or an arc (a circle or another kind: a line between its ends).
Element ToElement(const Segment& segment);

// The chain of a contour's lines and arcs; a circle becomes two half arcs.
Chain ToChain(const Contour& contour);

// What is wrong with a chain given as `role` ("blank", "profile", "stock"): empty, a coordinate
// that is not finite, an arc without radius or direction, a gap of more than 1e-6 between two
// elements, a blank or stock that does not close, a profile that does. Nothing when it is fine.
std::optional<std::string> ChainProblem(const Chain& chain, std::string_view role, bool closed);

}  // namespace sulkor::values
