// A drawing's linear unit, read from its "LinearUnitName" property. Everything that needs to
// know whether a drawing is in inch or in millimetres (the tool conversion, the store's units
// setting of an imported part, DXF export, previews, the value interface, the command line)
// asks here, so a drawing that names inch by its mark is inch everywhere.
#pragma once

#include "sulkor/drawing.h"
#include "sulkor/variant.h"

namespace sulkor {

enum class LinearUnit {
  Millimetre,  // "mm"
  Inch,        // "in" or the inch mark, the double-quote character
  Other,       // nothing named, another unit (e.g. "cm") or a value that is not text
};

// The unit that a "LinearUnitName" value names. Names are compared exactly.
LinearUnit LinearUnitOf(const Variant& linearUnitName);

// The unit the drawing's "LinearUnitName" names. A failing host call throws HostError.
LinearUnit ReadDrawingUnit(Drawing& drawing);

}  // namespace sulkor
