#include "sulkor/variant.h"

// GCC 12 with the sanitizers takes the inactive members of the std::variant inside the tables'
// pairs for uninitialized (a false positive); the warning is off for this file only.
#pragma GCC diagnostic ignored "-Wmaybe-uninitialized"

#include <gtest/gtest.h>

#include <cmath>

#include "sulkor/error.h"

namespace sulkor {
namespace {

// Conversions as the host's scripting values make them: halves to even, booleans as -1, text
// parsed whole; what cannot be converted throws.
TEST(VariantTest, ConversionsOfEveryType) {
  const std::pair<Variant, int32_t> longs[] = {
      {0.5, 0},          {1.5, 2},         {2.5, 2},          {-2.5, -2},
      {2.4999999, 2},    {2.5000001, 3},   {" 4.5 ", 4},      {int16_t{-7}, -7},
      {Variant::Boolean(true), -1},        {Variant(), 0},    {-2147483648.5, -2147483648}};
  for (const auto& [in, out] : longs) EXPECT_EQ(in.ToLong(), out) << in.ToText();
  const std::pair<Variant, double> doubles[] = {
      {" -1e-3 ", -1e-3}, {"+7", 7.0}, {int32_t{42}, 42.0}, {Variant::Boolean(true), -1.0},
      {Variant(), 0.0}};
  for (const auto& [in, out] : doubles) EXPECT_DOUBLE_EQ(in.ToDouble(), out) << in.ToText();
  const std::pair<Variant, int16_t> booleans[] = {
      {Variant::Boolean(false), 0}, {0.25, -1}, {"TRUE", -1}, {"false", 0}, {"2", -1}, {Variant(), 0}};
  for (const auto& [in, out] : booleans) EXPECT_EQ(in.ToBoolean(), out) << in.ToText();
  const std::pair<Variant, const char*> texts[] = {
      {Variant(), ""}, {Variant::Boolean(true), "True"}, {int32_t{-12}, "-12"}, {0.1 + 0.2, "0.3"}};
  for (const auto& [in, out] : texts) EXPECT_EQ(in.ToText(), out);

  EXPECT_THROW(Variant(2147483647.5).ToLong(), VariantError);
  EXPECT_THROW(Variant(std::nan("")).ToLong(), VariantError);
  EXPECT_THROW(Variant(32767.5).ToInteger(), VariantError);
  for (const char* text : {"abc", "", "1.5x", "nan"}) {
    EXPECT_THROW(Variant(text).ToDouble(), VariantError) << text;
  }
  EXPECT_THROW(Variant("maybe").ToBoolean(), VariantError);
}

}  // namespace
}  // namespace sulkor
