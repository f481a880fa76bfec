#include "sulkor/drawing_unit.h"

#include "sulkor/store_names.h"

namespace sulkor {

LinearUnit LinearUnitOf(const Variant& linearUnitName) {
  if (linearUnitName.Type() != VariantType::String) return LinearUnit::Other;
  const std::string name = linearUnitName.ToText();
  if (name == kUnitInch || name == kUnitInchMark) return LinearUnit::Inch;
  if (name == kUnitMillimetre) return LinearUnit::Millimetre;
  return LinearUnit::Other;
}

LinearUnit ReadDrawingUnit(Drawing& drawing) {
  return LinearUnitOf(drawing.Property(kLinearUnitName));
}

}  // namespace sulkor
