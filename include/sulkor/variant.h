// The value type that crosses the host interface: parameters, properties and settings.
//
// A Variant is Empty or holds a Boolean (a 16-bit flag whose true is -1), a 16-bit Integer, a
// 32-bit Long, a Double or a String. The conversions follow the usual Variant rules:
//   ToDouble   numbers as they are, Booleans as -1 / 0, text that parses as a number, Empty as 0
//   ToLong     the same, then rounded to the nearest integer with halves to the even neighbour;
//              a value outside the 32-bit range is an overflow
//   ToInteger  as ToLong, within the 16-bit range
//   ToText     the text of the value ("True" / "False" for Booleans, "" for Empty)
//   ToBoolean  numbers: non-zero is true; text: "True" / "False" in any case, or a number;
//              Empty is false. The result is the 16-bit flag: -1 or 0
// A conversion that cannot be made throws VariantError.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <variant>

namespace sulkor {

enum class VariantType { Empty, Boolean, Integer, Long, Double, String };

class Variant {
 public:
  Variant() = default;
  Variant(int16_t v) : v_(v) {}                      // NOLINT
  Variant(int32_t v) : v_(v) {}                      // NOLINT
  Variant(double v) : v_(v) {}                       // NOLINT
  Variant(std::string v) : v_(std::move(v)) {}       // NOLINT
  Variant(std::string_view v) : v_(std::string(v)) {}  // NOLINT
  Variant(const char* v) : v_(std::string(v)) {}     // NOLINT
  Variant(bool) = delete;  // say Variant::Boolean(b): a bare bool is too easily a mistake

  static Variant Boolean(bool b) {
    Variant v;
    v.v_ = BoolFlag{b};
    return v;
  }

  VariantType Type() const { return static_cast<VariantType>(v_.index()); }
  bool IsEmpty() const { return Type() == VariantType::Empty; }

  double ToDouble() const;
  int32_t ToLong() const;
  int16_t ToInteger() const;
  std::string ToText() const;
  int16_t ToBoolean() const;  // -1 or 0
  bool ToBool() const { return ToBoolean() != 0; }

  friend bool operator==(const Variant& a, const Variant& b) { return a.v_ == b.v_; }

 private:
  struct BoolFlag {
    bool value;
    friend bool operator==(BoolFlag a, BoolFlag b) { return a.value == b.value; }
  };
  std::variant<std::monostate, BoolFlag, int16_t, int32_t, double, std::string> v_;
};

}  // namespace sulkor
