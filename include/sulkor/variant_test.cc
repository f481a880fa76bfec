#include "sulkor/variant.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>

#include "sulkor/error.h"

namespace sulkor {
namespace {

TEST(VariantTest, ToLongRoundsHalvesToEven) {
  struct Case {
    Variant in;
    int32_t out;
  };
  const Case cases[] = {
      {0.5, 0},          {1.5, 2},           {2.5, 2},          {-0.5, 0},
      {-1.5, -2},        {-2.5, -2},         {2.4999999, 2},    {2.5000001, 3},
      {"3.5", 4},        {" 4.5 ", 4},       {int16_t{-7}, -7}, {Variant::Boolean(true), -1},
      {Variant(), 0},    {2147483647.4, 2147483647},            {-2147483648.5, -2147483648},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(c.in.ToLong(), c.out) << c.in.ToText();
  }
}

TEST(VariantTest, ConversionsThatCannotBeMadeThrow) {
  EXPECT_THROW(Variant(2147483647.5).ToLong(), VariantError);
  EXPECT_THROW(Variant(-2147483649.0).ToLong(), VariantError);
  EXPECT_THROW(Variant(32767.5).ToInteger(), VariantError);
  EXPECT_THROW(Variant("abc").ToDouble(), VariantError);
  EXPECT_THROW(Variant("").ToDouble(), VariantError);
  EXPECT_THROW(Variant("1.5x").ToDouble(), VariantError);
  EXPECT_THROW(Variant("maybe").ToBoolean(), VariantError);
  EXPECT_THROW(Variant(std::nan("")).ToLong(), VariantError);
  EXPECT_THROW(Variant("nan").ToDouble(), VariantError);
}

TEST(VariantTest, ToDoubleParsesNumbersAndText) {
  EXPECT_DOUBLE_EQ(Variant("12.5").ToDouble(), 12.5);
  EXPECT_DOUBLE_EQ(Variant(" -1e-3 ").ToDouble(), -1e-3);
  EXPECT_DOUBLE_EQ(Variant("+7").ToDouble(), 7.0);
  EXPECT_DOUBLE_EQ(Variant(int32_t{42}).ToDouble(), 42.0);
  EXPECT_DOUBLE_EQ(Variant::Boolean(true).ToDouble(), -1.0);
  EXPECT_DOUBLE_EQ(Variant().ToDouble(), 0.0);
}

TEST(VariantTest, BooleanIsSixteenBitMinusOne) {
  EXPECT_EQ(Variant::Boolean(true).ToBoolean(), -1);
  EXPECT_EQ(Variant::Boolean(false).ToBoolean(), 0);
  EXPECT_EQ(Variant(int32_t{0}).ToBoolean(), 0);
  EXPECT_EQ(Variant(0.25).ToBoolean(), -1);
  EXPECT_EQ(Variant("TRUE").ToBoolean(), -1);
  EXPECT_EQ(Variant("false").ToBoolean(), 0);
  EXPECT_EQ(Variant("2").ToBoolean(), -1);
  EXPECT_EQ(Variant().ToBoolean(), 0);
  EXPECT_EQ(Variant::Boolean(true).Type(), VariantType::Boolean);
}

TEST(VariantTest, ToTextOfEveryType) {
  EXPECT_EQ(Variant().ToText(), "");
  EXPECT_EQ(Variant::Boolean(true).ToText(), "True");
  EXPECT_EQ(Variant::Boolean(false).ToText(), "False");
  EXPECT_EQ(Variant(int32_t{-12}).ToText(), "-12");
  EXPECT_EQ(Variant(12.5).ToText(), "12.5");
  EXPECT_EQ(Variant(0.1 + 0.2).ToText(), "0.3");
  EXPECT_EQ(Variant("Turn").ToText(), "Turn");
}

}  // namespace
}  // namespace sulkor
