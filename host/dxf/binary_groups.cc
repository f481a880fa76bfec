#include "host/dxf/binary_groups.h"

#include <array>
#include <charconv>
#include <cstdint>
#include <cstring>
#include <string>

#include "host/dxf/dxf_error.h"

namespace sulkor::host {
namespace {

enum class ValueKind : uint8_t { Text, Double, Int16, Int32, Int64, Byte, Chunk };

bool In(int code, int first, int last) { return code >= first && code <= last; }

// The value type of a group code in binary DXF.
ValueKind KindOf(int code) {
  if (In(code, 310, 319) || code == 1004) return ValueKind::Chunk;
  if (In(code, 10, 59) || In(code, 110, 149) || In(code, 210, 239) || In(code, 460, 469) ||
      In(code, 1010, 1059)) {
    return ValueKind::Double;
  }
  if (In(code, 60, 79) || In(code, 170, 179) || In(code, 270, 289) || In(code, 370, 389) ||
      In(code, 400, 409) || In(code, 1060, 1070)) {
    return ValueKind::Int16;
  }
  if (In(code, 90, 99) || In(code, 420, 459) || code == 1071) return ValueKind::Int32;
  if (In(code, 160, 169)) return ValueKind::Int64;
  if (In(code, 290, 299)) return ValueKind::Byte;
  return ValueKind::Text;
}

template <typename T>
T LittleEndian(const unsigned char* p) {
  uint64_t bits = 0;
  for (std::size_t i = 0; i < sizeof(T); ++i) bits |= static_cast<uint64_t>(p[i]) << (8 * i);
  if constexpr (sizeof(T) == 8) {
    T value;
    std::memcpy(&value, &bits, 8);
    return value;
  } else {
    using Unsigned = std::conditional_t<sizeof(T) == 2, uint16_t, uint32_t>;
    const auto narrow = static_cast<Unsigned>(bits);
    T value;
    std::memcpy(&value, &narrow, sizeof(T));
    return value;
  }
}

std::string DoubleText(double value) {
  std::array<char, 32> buffer{};
  const auto result = std::to_chars(buffer.data(), buffer.data() + buffer.size(), value);
  return std::string(buffer.data(), result.ptr);
}

}  // namespace

std::string_view BinaryKind(std::string_view data) {
  struct Signature {
    std::string_view start;
    std::string_view kind;
  };
  static constexpr std::array<Signature, 8> kSignatures{{
      {"\x89PNG", "a PNG image"},
      {"\xFF\xD8\xFF", "a JPEG image"},
      {"GIF8", "a GIF image"},
      {"%PDF", "a PDF document"},
      {"AC10", "a DWG drawing (save it as DXF)"},
      {"PK\x03\x04", "a ZIP archive"},
      {"\x7F" "ELF", "a program"},
      {"SQLite format 3", "an SQLite database"},
  }};
  for (const Signature& s : kSignatures) {
    if (data.starts_with(s.start)) return s.kind;
  }
  const std::string_view head = data.substr(0, 4096);
  if (head.find('\0') != std::string_view::npos) return "a binary file";
  return {};
}

std::vector<GroupPair> ReadBinaryPairs(std::string_view data, std::string_view file) {
  const auto* bytes = reinterpret_cast<const unsigned char*>(data.data());
  const std::size_t size = data.size();
  std::size_t at = kBinaryDxfSentinel.size();
  // R12 writes one-byte group codes (255 escapes a two-byte one), later versions two bytes: the
  // first pair, 0 SECTION, tells which.
  const bool wideCodes = at + 1 < size && bytes[at] == 0 && bytes[at + 1] == 0;
  std::vector<GroupPair> pairs;
  const auto need = [&](std::size_t count) {
    if (at + count > size) {
      ThrowDxfError(file, 0,
                    "the binary data ends inside a group at byte " + std::to_string(at));
    }
  };
  while (at < size) {
    int code = 0;
    if (wideCodes) {
      need(2);
      code = LittleEndian<int16_t>(bytes + at);
      at += 2;
    } else {
      need(1);
      code = bytes[at++];
      if (code == 255) {
        need(2);
        code = LittleEndian<int16_t>(bytes + at);
        at += 2;
      }
    }
    std::string value;
    switch (KindOf(code)) {
      case ValueKind::Double:
        need(8);
        value = DoubleText(LittleEndian<double>(bytes + at));
        at += 8;
        break;
      case ValueKind::Int16:
        need(2);
        value = std::to_string(LittleEndian<int16_t>(bytes + at));
        at += 2;
        break;
      case ValueKind::Int32:
        need(4);
        value = std::to_string(LittleEndian<int32_t>(bytes + at));
        at += 4;
        break;
      case ValueKind::Int64:
        need(8);
        value = std::to_string(LittleEndian<int64_t>(bytes + at));
        at += 8;
        break;
      case ValueKind::Byte:
        need(1);
        value = std::to_string(bytes[at++]);
        break;
      case ValueKind::Chunk: {
        need(1);
        const std::size_t length = bytes[at++];
        need(length);
        static constexpr char kHex[] = "0123456789ABCDEF";
        for (std::size_t i = 0; i < length; ++i) {
          value += kHex[bytes[at + i] >> 4];
          value += kHex[bytes[at + i] & 15];
        }
        at += length;
        break;
      }
      case ValueKind::Text: {
        const std::size_t end = data.find('\0', at);
        if (end == std::string_view::npos) need(size - at + 1);
        value = std::string(data.substr(at, end - at));
        at = end + 1;
        break;
      }
    }
    if (code != 999) pairs.push_back({code, std::move(value), 0});
  }
  return pairs;
}

}  // namespace sulkor::host
