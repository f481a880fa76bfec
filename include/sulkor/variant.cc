#include "sulkor/variant.h"

#include <cctype>
#include <charconv>
#include <cmath>
#include <limits>
#include <string>

#include "sulkor/error.h"

namespace sulkor {
namespace {

std::string_view Trim(std::string_view s) {
  while (!s.empty() && std::isspace(static_cast<unsigned char>(s.front()))) s.remove_prefix(1);
  while (!s.empty() && std::isspace(static_cast<unsigned char>(s.back()))) s.remove_suffix(1);
  return s;
}

bool EqualsNoCase(std::string_view a, std::string_view b) {
  if (a.size() != b.size()) return false;
  for (size_t i = 0; i < a.size(); ++i) {
    if (std::tolower(static_cast<unsigned char>(a[i])) !=
        std::tolower(static_cast<unsigned char>(b[i])))
      return false;
  }
  return true;
}

// Text that parses as a number, whole: surrounding blanks are allowed, nothing else.
double ParseNumber(const std::string& text) {
  std::string_view s = Trim(text);
  if (!s.empty() && s.front() == '+') s.remove_prefix(1);
  double value = 0.0;
  const char* first = s.data();
  const char* last = s.data() + s.size();
  auto [ptr, ec] = std::from_chars(first, last, value, std::chars_format::general);
  if (s.empty() || ec != std::errc() || ptr != last || !std::isfinite(value)) {
    throw VariantError("type mismatch: \"" + text + "\" is not a number");
  }
  return value;
}

// Rounds to the nearest integer, halves to the even neighbour, within [lo, hi].
int32_t RoundHalfEven(double value, double lo, double hi, const char* what) {
  if (std::isnan(value)) throw VariantError(std::string("overflow: NaN as ") + what);
  const double r = std::nearbyint(value);  // the default rounding mode rounds halves to even
  if (r < lo || r > hi) throw VariantError(std::string("overflow: value out of range for ") + what);
  return static_cast<int32_t>(r);
}

}  // namespace

double Variant::ToDouble() const {
  switch (Type()) {
    case VariantType::Empty: return 0.0;
    case VariantType::Boolean: return std::get<BoolFlag>(v_).value ? -1.0 : 0.0;
    case VariantType::Integer: return std::get<int16_t>(v_);
    case VariantType::Long: return std::get<int32_t>(v_);
    case VariantType::Double: return std::get<double>(v_);
    case VariantType::String: return ParseNumber(std::get<std::string>(v_));
  }
  throw VariantError("type mismatch");
}

int32_t Variant::ToLong() const {
  switch (Type()) {
    case VariantType::Integer: return std::get<int16_t>(v_);
    case VariantType::Long: return std::get<int32_t>(v_);
    default:
      return RoundHalfEven(ToDouble(), std::numeric_limits<int32_t>::min(),
                           std::numeric_limits<int32_t>::max(), "a 32-bit integer");
  }
}

int16_t Variant::ToInteger() const {
  return static_cast<int16_t>(RoundHalfEven(ToDouble(), std::numeric_limits<int16_t>::min(),
                                            std::numeric_limits<int16_t>::max(),
                                            "a 16-bit integer"));
}

std::string Variant::ToText() const {
  switch (Type()) {
    case VariantType::Empty: return "";
    case VariantType::Boolean: return std::get<BoolFlag>(v_).value ? "True" : "False";
    case VariantType::Integer: return std::to_string(std::get<int16_t>(v_));
    case VariantType::Long: return std::to_string(std::get<int32_t>(v_));
    case VariantType::Double: {
      // Up to 15 significant digits, the shortest form that shows them.
      char buf[64];
      auto [ptr, ec] = std::to_chars(buf, buf + sizeof buf, std::get<double>(v_),
                                     std::chars_format::general, 15);
      if (ec != std::errc()) throw VariantError("cannot format a number as text");
      return std::string(buf, ptr);
    }
    case VariantType::String: return std::get<std::string>(v_);
  }
  throw VariantError("type mismatch");
}

int16_t Variant::ToBoolean() const {
  if (Type() == VariantType::Boolean) return std::get<BoolFlag>(v_).value ? -1 : 0;
  if (Type() == VariantType::String) {
    std::string_view s = Trim(std::get<std::string>(v_));
    if (EqualsNoCase(s, "True")) return -1;
    if (EqualsNoCase(s, "False")) return 0;
  }
  return ToDouble() != 0.0 ? -1 : 0;
}

}  // namespace sulkor
