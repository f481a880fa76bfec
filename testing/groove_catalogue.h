// Real grooves from public standard tables, each with the insert a shop would cut it with:
// retaining-ring grooves for shafts and bores (DIN 471, DIN 472) cut with an insert of their own
// width and with a narrower one, undercuts (DIN 509 forms E and F), thread undercuts (DIN 76,
// 30 degree flank), radial and face O-ring glands with mouth chamfers, wide and stepped grooves,
// back-face grooves, and inch O-ring glands (AS568 cross-sections).
#pragma once

#include <vector>

#include "testing/machining_judge.h"

namespace sulkor::testing {

const std::vector<GrooveCase>& GrooveCatalogue();

}  // namespace sulkor::testing
