#include "host/sqlite/job_values.h"

#include <bit>
#include <cmath>
#include <cstdint>
#include <cstring>
#include <limits>

#include <SQLiteCpp/SQLiteCpp.h>

namespace sulkor::host {
namespace {

constexpr std::string_view kTypeNames[] = {"Empty", "Boolean", "Integer",
                                           "Long",  "Double",  "String"};

// Little-endian, whatever the machine.
void PutDouble(std::string& out, double value) {
  uint64_t bits = std::bit_cast<uint64_t>(value);
  for (int i = 0; i < 8; ++i) {
    out.push_back(static_cast<char>(bits & 0xFFu));
    bits >>= 8;
  }
}

double GetDouble(const unsigned char* bytes) {
  uint64_t bits = 0;
  for (int i = 7; i >= 0; --i) bits = (bits << 8) | bytes[i];
  return std::bit_cast<double>(bits);
}

[[noreturn]] void Damaged(std::string_view context, std::string_view problem) {
  throw JobDamage(std::string(context) + ": " + std::string(problem));
}

}  // namespace

std::string_view VariantTypeName(VariantType type) {
  return kTypeNames[static_cast<size_t>(type)];
}

void BindVariant(SQLite::Statement& statement, int typeIndex, int valueIndex,
                 const Variant& value) {
  statement.bind(typeIndex, std::string(VariantTypeName(value.Type())));
  switch (value.Type()) {
    case VariantType::Empty:
      statement.bind(valueIndex);
      break;
    case VariantType::Boolean:
      statement.bind(valueIndex, static_cast<int>(value.ToBoolean()));
      break;
    case VariantType::Integer:
      statement.bind(valueIndex, static_cast<int>(value.ToInteger()));
      break;
    case VariantType::Long:
      statement.bind(valueIndex, value.ToLong());
      break;
    case VariantType::Double: {
      const double d = value.ToDouble();
      if (std::isnan(d)) {
        std::string bytes;
        PutDouble(bytes, d);
        statement.bind(valueIndex, bytes.data(), static_cast<int>(bytes.size()));
      } else {
        statement.bind(valueIndex, d);
      }
      break;
    }
    case VariantType::String:
      statement.bind(valueIndex, value.ToText());
      break;
  }
}

Variant ReadVariant(const SQLite::Column& type, const SQLite::Column& value,
                    std::string_view context) {
  const std::string name = type.getString();
  auto integer = [&](int64_t lo, int64_t hi) {
    if (!value.isInteger()) Damaged(context, "a " + name + " value that is no integer");
    const int64_t v = value.getInt64();
    if (v < lo || v > hi) Damaged(context, "a " + name + " value out of range");
    return v;
  };
  if (name == "Empty") {
    if (!value.isNull()) Damaged(context, "an Empty value that is not NULL");
    return Variant();
  }
  if (name == "Boolean") {
    const int64_t v = integer(-1, 0);
    return Variant::Boolean(v != 0);
  }
  if (name == "Integer") {
    return Variant(static_cast<int16_t>(integer(std::numeric_limits<int16_t>::min(),
                                                std::numeric_limits<int16_t>::max())));
  }
  if (name == "Long") {
    return Variant(static_cast<int32_t>(integer(std::numeric_limits<int32_t>::min(),
                                                std::numeric_limits<int32_t>::max())));
  }
  if (name == "Double") {
    if (value.isFloat()) return Variant(value.getDouble());
    if (value.isBlob() && value.getBytes() == 8) {
      const double d = GetDouble(static_cast<const unsigned char*>(value.getBlob()));
      if (std::isnan(d)) return Variant(d);
    }
    Damaged(context, "a Double value that is no double");
  }
  if (name == "String") {
    if (!value.isText()) Damaged(context, "a String value that is no text");
    return Variant(value.getString());
  }
  Damaged(context, "the unknown value type \"" + name + "\"");
}

std::string PackVertices(const MemoryVertices& vertices) {
  std::string out;
  out.reserve(vertices.All().size() * kVertexBytes);
  for (const auto& v : vertices.All()) {
    PutDouble(out, v->X());
    PutDouble(out, v->Y());
    PutDouble(out, v->Z());
    out.push_back(v->ArcMark() ? '\1' : '\0');
  }
  return out;
}

void UnpackVertices(const void* bytes, size_t size, MemoryVertices& vertices,
                    std::string_view context) {
  if (size % kVertexBytes != 0) Damaged(context, "vertices of a broken length");
  const auto* p = static_cast<const unsigned char*>(bytes);
  for (size_t i = 0; i < size; i += kVertexBytes) {
    const unsigned char mark = p[i + 24];
    if (mark > 1) Damaged(context, "a vertex whose arc mark is neither 0 nor 1");
    vertices.AddMarked(GetDouble(p + i), GetDouble(p + i + 8), GetDouble(p + i + 16), mark == 1);
  }
}

}  // namespace sulkor::host
