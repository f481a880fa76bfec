#include "sulkor/drawing_unit.h"

#include <gtest/gtest.h>

namespace sulkor {
namespace {

// Names are exact: only "in", the inch mark and "mm" name a unit the component converts between.
TEST(DrawingUnitTest, UnitNamedByLinearUnitName) {
  struct Case {
    Variant name;
    LinearUnit unit;
  };
  const Case cases[] = {
      {"in", LinearUnit::Inch},  {"\"", LinearUnit::Inch},         {"mm", LinearUnit::Millimetre},
      {"IN", LinearUnit::Other}, {"\"\"", LinearUnit::Other},       {"cm", LinearUnit::Other},
      {"", LinearUnit::Other},   {Variant(), LinearUnit::Other}, {25.4, LinearUnit::Other},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(LinearUnitOf(c.name), c.unit) << "\"" << c.name.ToText() << "\"";
  }
}

}  // namespace
}  // namespace sulkor
