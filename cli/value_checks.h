// The numbers of the command line, checked as they are parsed: every value finite and within a
// sane range for its meaning, so that nothing absurd reaches a computation or an output file.
// A value out of range ends the command with exit status 2 before anything is computed or
// written; the message quotes the value as typed and gives the range in plain numbers.
#pragma once

#include <optional>
#include <string>
#include <string_view>

#include <CLI/CLI.hpp>

namespace sulkor::cli {

// Values from `low` (included) up to `below` (excluded); with zeroMeans set, 0 is allowed too
// and means what it says ("no pecking").
struct ValueRange {
  double low;
  double below;
  std::string_view zeroMeans;
};

// The largest coordinate or length in drawing units.
inline constexpr double kLengthLimit = 1e6;

inline constexpr ValueRange kLengthRange{0.001, kLengthLimit, {}};          // a tool's width
inline constexpr ValueRange kRadiusRange{0.0, kLengthLimit, {}};            // may be 0
inline constexpr ValueRange kAllowanceRange{0.0, kLengthLimit, {}};         // finish allowance
inline constexpr ValueRange kPeckRange{0.001, kLengthLimit, "no pecking"};  // depth per pass
inline constexpr ValueRange kCoordinateRange{-kLengthLimit, kLengthLimit, {}};
inline constexpr ValueRange kFeedRange{0.001, kLengthLimit, {}};
inline constexpr ValueRange kSpeedRange{1.0, kLengthLimit, {}};  // spindle revolutions a minute
inline constexpr ValueRange kFactorRange{0.001, 1000.0, {}};
inline constexpr ValueRange kDwellRange{0.0, 3600.0, {}};     // seconds
inline constexpr ValueRange kRapidRange{1.0, 1e7, {}};        // drawing units a minute

// The message for `text` as a value of the range, empty when the value is good.
std::string CheckValueText(const std::string& text, const ValueRange& range);

// A CLI11 validator of a number option in the range.
CLI::Validator InRange(const ValueRange& range);

// The range of a numeric parameter set by name (--set NAME=VALUE), none for a name this table
// does not know (the Groove then decides whether the name exists).
std::optional<ValueRange> ParameterRange(std::string_view name);

// The message for one --set NAME=VALUE, empty when it is good as far as names and values can
// be checked without a Groove: the shape, the range of a known number, the choices of a known
// text parameter, and ToolNumber, which only --tool-number sets.
std::string CheckAssignment(const std::string& assignment);

}  // namespace sulkor::cli
