// What a groove leaves in the drawing besides its path: the part's blank replaced by the stock
// that remains, the hatched "RemovedMaterial" outline and the "LastPartBlank" outline of the stock
// the operation started from, both in the operation's group.
#pragma once

#include <string_view>

#include "operation/operation_state.h"
#include "sulkor/data_store.h"
#include "sulkor/graphic_names.h"

namespace sulkor {


// Writes working contours 2 (remaining stock, cleaned in place), 7 (removed material, cleaned in
// place) and 1 (the starting stock) into the drawing. Errors are suppressed: a failing step is
// passed over, and a missing object ends the output where it is needed. Reports nothing.
void OutputRemovedMaterial(OperationState& state, const Handle<BlockSet>& camBSet);

}  // namespace sulkor
