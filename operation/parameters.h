// The thirteen named parameters of a groove operation: setting and reading them by name, loading
// them from a block set, writing them back to one, and checking them before a tool path is
// computed.
#pragma once

#include <string_view>

#include "operation/operation_state.h"
#include "sulkor/data_store.h"
#include "sulkor/store_names.h"
#include "sulkor/variant.h"

namespace sulkor {

// Stores val, converted to the parameter's type, into the parameter called name. An unknown
// name stores nothing; a value that cannot be converted leaves the parameter unchanged. Never
// throws; the answer is false in every case.
bool SetParameter(Parameters& params, std::string_view name, const Variant& val);

// The parameter called name as a Double, a Long (ToolNumber) or a String Variant; Empty for an
// unknown name. Never throws.
Variant GetParameter(const Parameters& params, std::string_view name);

// Loads the twelve parameters other than ToolNumber from the block set's properties. An absent
// (Empty) property or one that cannot be read or converted leaves its parameter unchanged.
// Never throws; the answer is true.
bool SetParameters(Parameters& params, const Handle<BlockSet>& camBSet);

// Writes the twelve parameters, ToolNumber, OperationType = "Groove" and ToolNumber again into
// the block set, in that order, each with its parameter's type. A failing write throws to the
// caller.
void WriteParameters(const Parameters& params, BlockSet& camBSet);

// Checks feed, speed, finish thickness and the start point (outside the blank and outside its
// mirror image about the axis). The first failing check shows its message and answers false.
// A failing geometry service answers false without a message.
bool ValidateParameters(OperationState& state);

// The contour mirrored about the axis of rotation (y negated, directions reversed, tangents and
// line lengths recomputed), as the start-point check uses it.
Contour MirrorAboutAxis(const Contour& contour);

}  // namespace sulkor
