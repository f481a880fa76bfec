// The operation state behind a Groove object, for the engine's own layers, the command line and
// the tests. Not part of the installed interface: an application sees the Groove object and the
// plain value interface only.
#pragma once

#include "operation/operation_state.h"
#include "sulkor/groove.h"

namespace sulkor {

OperationState& StateOf(Groove& groove);
const OperationState& StateOf(const Groove& groove);

}  // namespace sulkor
