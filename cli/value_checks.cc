#include "cli/value_checks.h"

#include <charconv>
#include <cmath>
#include <map>
#include <vector>

#include <fmt/format.h>

#include "operation/parameters.h"
#include "host/text/printable_text.h"

namespace sulkor::cli {
namespace {

// A limit in plain digits: 1000000, 0.001, never 1e+06.
std::string Plain(double value) {
  std::string text = fmt::format("{:.6f}", value);
  while (text.back() == '0') text.pop_back();
  if (text.back() == '.') text.pop_back();
  return text;
}

std::string Quoted(const std::string& text) {
  return "\"" + host::PrintableText(text, 40) + "\"";
}

struct Choices {
  std::string_view name;
  std::vector<std::string_view> values;
};

const Choices kTextParameters[] = {
    {kParamTrajectoryType, {"Turn", "Face"}},
    {kParamDirection, {"External", "Internal"}},
};

}  // namespace

std::string CheckValueText(const std::string& text, const ValueRange& range) {
  double value = 0.0;
  const char* end = text.data() + text.size();
  const auto [ptr, ec] = std::from_chars(text.data(), end, value);
  if (text.empty() || ptr != end || (ec != std::errc() && ec != std::errc::result_out_of_range)) {
    return Quoted(text) + " is not a number";
  }
  if (ec == std::errc::result_out_of_range || !std::isfinite(value)) {
    return Quoted(text) + " is not a finite number";
  }
  if (value == 0.0 && !range.zeroMeans.empty()) return {};
  if (value >= range.low && value < range.below) return {};
  std::string allowed = fmt::format("at least {} and below {}", Plain(range.low),
                                    Plain(range.below));
  if (!range.zeroMeans.empty()) {
    allowed = fmt::format("0 ({}) or {}", range.zeroMeans, allowed);
  }
  return Quoted(text) + " is out of range: the value must be " + allowed;
}

CLI::Validator InRange(const ValueRange& range) {
  return CLI::Validator(
      [range](std::string& text) { return CheckValueText(text, range); }, "");
}

std::optional<ValueRange> ParameterRange(std::string_view name) {
  static const std::map<std::string_view, ValueRange> kRanges = {
      {kParamStartPointX, kCoordinateRange}, {kParamStartPointZ, kCoordinateRange},
      {kParamSpeed, kSpeedRange},            {kParamFeed, kFeedRange},
      {kParamSpeedFactor, kFactorRange},     {kParamFeedFactor, kFactorRange},
      {kParamDepthOnPass, kPeckRange},       {kParamFinishThickness, kAllowanceRange},
      {kParamFinishFeed, kFeedRange},        {kParamFinishSpeed, kSpeedRange},
  };
  const auto it = kRanges.find(name);
  if (it == kRanges.end()) return std::nullopt;
  return it->second;
}

std::string CheckAssignment(const std::string& assignment) {
  const size_t eq = assignment.find('=');
  if (eq == std::string::npos || eq == 0) return Quoted(assignment) + ": expected NAME=VALUE";
  const std::string name = assignment.substr(0, eq);
  const std::string value = assignment.substr(eq + 1);
  if (name == kParamToolNumber) return "ToolNumber is set by --tool-number";
  if (const std::optional<ValueRange> range = ParameterRange(name)) {
    const std::string problem = CheckValueText(value, *range);
    return problem.empty() ? problem : name + ": " + problem;
  }
  for (const Choices& choices : kTextParameters) {
    if (name != choices.name) continue;
    for (std::string_view allowed : choices.values) {
      if (value == allowed) return {};
    }
    return fmt::format("{}: {} is not one of {}", name, Quoted(value),
                       fmt::join(choices.values, ", "));
  }
  return {};
}

}  // namespace sulkor::cli
