#include "cli/groove_options.h"

#include <algorithm>
#include <charconv>
#include <cmath>

#include <fmt/format.h>

#include "cli/exit_codes.h"
#include "cli/value_checks.h"
#include "sulkor/drawing_unit.h"
#include "sulkor/store_names.h"

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
void Set(Groove& groove, std::string_view key, const Variant& value) {
  const std::string name(key);
  if (groove.GetParameter(name).IsEmpty()) throw UsageError("unknown parameter \"" + name + "\"");
  groove.SetParameter(name, value);
}

}  // namespace

ShopDefaults ShopDefaultsFor(bool inch) {
  return inch ? ShopDefaults{0.004, 0.04, 0.08} : ShopDefaults{0.1, 1.0, 2.0};
}

const std::vector<ParameterRow>& ParameterRows() {
  static const std::vector<ParameterRow> rows = {
      {kParamTrajectoryType, "--type", "a groove in a diameter (Turn) or in a face (Face)",
       "", "from the drawing"},
      {kParamDirection, "--direction",
       "Turn: External outside diameter, Internal bore; Face: External back face, Internal "
       "front face", "", "from the drawing"},
      {kParamStartPointX, "--start-x", "start point X, a diameter", "mm or in",
       "2 mm (0.08 in) clear of the stock"},
      {kParamStartPointZ, "--start-z", "start point Z, along the axis", "mm or in",
       "2 mm (0.08 in) clear of the stock"},
      {kParamFeed, "--feed", "roughing feed", "mm/min or in/min", "115 mm/min (4.5 in/min)"},
      {kParamSpeed, "--speed", "roughing spindle speed", "rev/min", "1300"},
      {kParamDepthOnPass, "--depth-per-pass", "depth of one peck", "mm or in",
       "1 mm (0.04 in)"},
      {kParamFinishThickness, "--finish-thickness",
       "finish allowance left by roughing, 0: no offset finishing pass", "mm or in",
       "0.1 mm (0.004 in)"},
      {kParamFinishFeed, "--finish-feed", "finishing feed", "mm/min or in/min",
       "115 mm/min (4.5 in/min)"},
      {kParamFinishSpeed, "--finish-speed", "finishing spindle speed", "rev/min",
       "1300"},
      {kParamFeedFactor, "", "factor on every feed", "", "1"},
      {kParamSpeedFactor, "", "factor on every spindle speed", "", "1"},
      {kParamToolNumber, "--tool-number", "the tool in the tool table", "", "1"},
  };
  return rows;
}

ParameterOptions WithShopDefaults(ParameterOptions p, bool inch) {
  const ShopDefaults shop = ShopDefaultsFor(inch);
  const auto setByName = [&](std::string_view name) {
    return std::any_of(p.sets.begin(), p.sets.end(), [&](const std::string& s) {
      return s.starts_with(std::string(name) + "=");
    });
  };
  if (!p.finishThickness && !setByName(kParamFinishThickness)) {
    p.finishThickness = shop.finishThickness;
  }
  if (!p.depthPerPass && !setByName(kParamDepthOnPass)) p.depthPerPass = shop.depthPerPass;
  return p;
}

void AddParamsCommand(CLI::App& app, std::ostream& out) {
  CLI::App* command = app.add_subcommand(
      "params", "List the operation's parameters: name, option, meaning, unit and default");
  command->callback([&out] {
    out << "Parameters of a groove operation (set by their option or by --set NAME=VALUE;\n"
           "lengths in the drawing's unit, the defaults of the command line):\n\n";
    for (const ParameterRow& row : ParameterRows()) {
      out << fmt::format("{:<27} {:<19} {}\n{:<47} unit: {}  default: {}\n", row.name,
                         row.option, row.meaning, "", *row.unit ? row.unit : "-",
                         row.defaultText);
    }
  });
}

void AddToolOptions(CLI::App& command, ToolOptions& tool) {
  command.add_option("--tool-width", tool.width, "insert width, in the tool's unit")
      ->capture_default_str()->check(InRange(kLengthRange));
  command.add_option("--corner-radius", tool.cornerRadius, "insert corner radius, in the tool's unit")
      ->capture_default_str()->check(InRange(kRadiusRange));
  command.add_option("--tool-unit", tool.unit, "unit of the tool's sizes (default: the drawing's)")
      ->check(CLI::IsMember({"mm", "in"}));
  command.add_option("--tool-orientation", tool.orientation,
                     "TurnExternal, TurnInternal, Face or BackFace (default: the first "
                     "operation that uses the tool decides)")
      ->check(CLI::IsMember({"TurnExternal", "TurnInternal", "Face", "BackFace"}));
  command.add_option("--tool-number", tool.number, "tool number in the tool table")
      ->capture_default_str()->check(CLI::Range(1, 32767));
}

namespace {

// An option's help from its row of the parameter table: meaning, unit and default.
std::string Help(std::string_view option) {
  for (const ParameterRow& row : ParameterRows()) {
    if (row.option == option) {
      return fmt::format("{}{}{} (default: {})", row.meaning, *row.unit ? ", " : "", row.unit,
                         row.defaultText);
    }
  }
  return "";
}

}  // namespace

void AddParameterOptions(CLI::App& command, ParameterOptions& p) {
  command.add_option("--type", p.type, Help("--type"))->check(CLI::IsMember({"Turn", "Face"}));
  command.add_option("--direction", p.direction, Help("--direction"))
      ->check(CLI::IsMember({"External", "Internal"}));
  command.add_option("--start-x", p.startX, Help("--start-x"))->check(InRange(kCoordinateRange));
  command.add_option("--start-z", p.startZ, Help("--start-z"))->check(InRange(kCoordinateRange));
  command.add_option("--feed", p.feed, Help("--feed"))->check(InRange(kFeedRange));
  command.add_option("--speed", p.speed, Help("--speed"))->check(InRange(kSpeedRange));
  command.add_option("--depth-per-pass", p.depthPerPass, Help("--depth-per-pass") + "; 0: no pecking")
      ->check(InRange(kPeckRange));
  command.add_option("--finish-thickness", p.finishThickness, Help("--finish-thickness"))
      ->check(InRange(kAllowanceRange));
  command.add_option("--finish-feed", p.finishFeed, Help("--finish-feed"))
      ->check(InRange(kFeedRange));
  command.add_option("--finish-speed", p.finishSpeed, Help("--finish-speed"))
      ->check(InRange(kSpeedRange));
  command.add_option("--set", p.sets, "NAME=VALUE: any parameter by its name, e.g. "
                     "CAM_TurningDepthOnPass=2 (`sulkor params` lists them)")
      ->check(CLI::Validator(CheckAssignment, ""));
}

std::string DrawingUnit(host::MemoryHost& host) {
  const bool inch = ReadDrawingUnit(*host.Drawing()) == LinearUnit::Inch;
  return std::string(inch ? kUnitInch : kUnitMillimetre);
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
  const auto number = [&](std::string_view name, const std::optional<double>& value) {
    if (value) Set(groove, name, Variant(*value));
  };
  if (p.type) Set(groove, kParamTrajectoryType, Variant(*p.type));
  if (p.direction) Set(groove, kParamDirection, Variant(*p.direction));
  number(kParamStartPointX, p.startX);
  number(kParamStartPointZ, p.startZ);
  number(kParamFeed, p.feed);
  number(kParamSpeed, p.speed);
  number(kParamDepthOnPass, p.depthPerPass);
  number(kParamFinishThickness, p.finishThickness);
  number(kParamFinishFeed, p.finishFeed);
  number(kParamFinishSpeed, p.finishSpeed);
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
