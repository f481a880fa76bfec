#include "cli/groove_options.h"

#include <charconv>
#include <cmath>

#include "cli/exit_codes.h"
#include "cli/value_checks.h"

namespace sulkor::cli {
namespace {

std::optional<double> ParseNumber(const std::string& text) {
  double value = 0.0;
  const char* end = text.data() + text.size();
  const auto [ptr, ec] = std::from_chars(text.data(), end, value);
  if (text.empty() || ec != std::errc() || ptr != end || !std::isfinite(value)) return std::nullopt;
  return value;
}

// The values reaching here have the parameter's type already: Groove::SetParameter takes them.
void Set(Groove& groove, const std::string& name, const Variant& value) {
  if (groove.GetParameter(name).IsEmpty()) throw UsageError("unknown parameter \"" + name + "\"");
  groove.SetParameter(name, value);
}

}  // namespace

void AddToolOptions(CLI::App& command, ToolOptions& tool) {
  command.add_option("--tool-width", tool.width, "insert width")->capture_default_str()
      ->check(InRange(kLengthRange));
  command.add_option("--corner-radius", tool.cornerRadius, "insert corner radius")
      ->capture_default_str()->check(InRange(kRadiusRange));
  command.add_option("--tool-unit", tool.unit, "unit of the tool's sizes (default: the drawing's)")
      ->check(CLI::IsMember({"mm", "in"}));
  command.add_option("--tool-orientation", tool.orientation,
                     "tool orientation (default: the first operation that uses it decides)");
  command.add_option("--tool-number", tool.number, "tool number in the tool table")
      ->capture_default_str()->check(CLI::Range(1, 32767));
}

void AddParameterOptions(CLI::App& command, ParameterOptions& p) {
  command.add_option("--type", p.type, "trajectory type: Turn (diameter) or Face")
      ->check(CLI::IsMember({"Turn", "Face"}));
  command.add_option("--direction", p.direction,
                     "External (outside diameter, back face) or Internal (bore, front face)")
      ->check(CLI::IsMember({"External", "Internal"}));
  command.add_option("--start-x", p.startX, "start point X, a diameter")
      ->check(InRange(kCoordinateRange));
  command.add_option("--start-z", p.startZ, "start point Z, along the axis")
      ->check(InRange(kCoordinateRange));
  command.add_option("--feed", p.feed, "roughing feed")->check(InRange(kFeedRange));
  command.add_option("--speed", p.speed, "roughing spindle speed")->check(InRange(kSpeedRange));
  command.add_option("--depth-per-pass", p.depthPerPass, "depth of one peck; 0: no pecking")
      ->check(InRange(kPeckRange));
  command.add_option("--finish-thickness", p.finishThickness, "finish allowance")
      ->check(InRange(kAllowanceRange));
  command.add_option("--finish-feed", p.finishFeed, "finishing feed")->check(InRange(kFeedRange));
  command.add_option("--finish-speed", p.finishSpeed, "finishing spindle speed")
      ->check(InRange(kSpeedRange));
  command.add_option("--set", p.sets, "NAME=VALUE: any parameter by its name, e.g. "
                     "CAM_TurningDepthOnPass=2")
      ->check(CLI::Validator(CheckAssignment, ""));
}

std::string DrawingUnit(host::MemoryHost& host) {
  const Variant unit = host.Drawing()->Property("LinearUnitName");
  return unit.Type() == VariantType::String && unit.ToText() == "in" ? "in" : "mm";
}

host::SceneTool ToSceneTool(const ToolOptions& tool, const std::string& drawingUnit) {
  host::SceneTool scene;
  scene.number = tool.number;
  scene.width = tool.width;
  scene.cornerRadius = tool.cornerRadius;
  scene.measure = tool.unit.empty() ? drawingUnit : tool.unit;
  scene.orientation = tool.orientation;
  return scene;
}

void ApplyParameters(Groove& groove, const ParameterOptions& p) {
  const auto number = [&](const char* name, const std::optional<double>& value) {
    if (value) Set(groove, name, Variant(*value));
  };
  if (p.type) Set(groove, "CAM_TurningTrajectoryType", Variant(*p.type));
  if (p.direction) Set(groove, "CAM_TurningDirection", Variant(*p.direction));
  number("CAM_TurningStartPointX", p.startX);
  number("CAM_TurningStartPointZ", p.startZ);
  number("Feed", p.feed);
  number("Speed", p.speed);
  number("CAM_TurningDepthOnPass", p.depthPerPass);
  number("CAM_TurningFinishThickness", p.finishThickness);
  number("CAM_TurningFinishFeed", p.finishFeed);
  number("CAM_TurningFinishSpeed", p.finishSpeed);
  for (const std::string& assignment : p.sets) {
    const size_t eq = assignment.find('=');
    if (eq == std::string::npos || eq == 0) {
      throw UsageError("--set \"" + assignment + "\": expected NAME=VALUE");
    }
    const std::string name = assignment.substr(0, eq);
    const std::string text = assignment.substr(eq + 1);
    const Variant current = groove.GetParameter(name);
    if (current.IsEmpty()) throw UsageError("unknown parameter \"" + name + "\"");
    if (current.Type() == VariantType::String) {
      Set(groove, name, Variant(text));
      continue;
    }
    const std::optional<double> value = ParseNumber(text);
    if (!value) throw UsageError("parameter \"" + name + "\" takes a number, not \"" + text + "\"");
    if (current.Type() == VariantType::Long) {
      if (*value != std::floor(*value) || std::fabs(*value) > 2147483647.0) {
        throw UsageError("parameter \"" + name + "\" takes a whole number, not \"" + text + "\"");
      }
      Set(groove, name, Variant(static_cast<int32_t>(*value)));
    } else {
      Set(groove, name, Variant(*value));
    }
  }
}

}  // namespace sulkor::cli
