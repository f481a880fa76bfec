// The options of a groove operation on the command line: the tool and the operation's
// parameters, declared on a subcommand and applied to a Groove as a host would set them.
#pragma once

#include <optional>
#include <ostream>
#include <string>
#include <string_view>
#include <vector>

#include <CLI/CLI.hpp>

#include "host/memory/scene.h"
#include "sulkor/groove.h"

namespace sulkor::cli {

struct ToolOptions {
  int32_t number = 1;
  double width = 3.0;
  double cornerRadius = 0.2;
  std::string unit;         // "mm" or "in"; empty: the drawing's unit
  std::string orientation;  // empty: the first operation that uses the tool decides
};

struct ParameterOptions {
  std::optional<std::string> type;       // CAM_TurningTrajectoryType
  std::optional<std::string> direction;  // CAM_TurningDirection
  std::optional<double> startX;          // a diameter
  std::optional<double> startZ;
  std::optional<double> feed;
  std::optional<double> speed;
  std::optional<double> depthPerPass;
  std::optional<double> finishThickness;
  std::optional<double> finishFeed;
  std::optional<double> finishSpeed;
  std::vector<std::string> sets;  // NAME=VALUE, applied last, in order
};

// The command line's shop defaults, in drawing units: a grooving allowance, a peck depth and a
// start point clear of the stock that a shop would use (the library keeps its own defaults).
struct ShopDefaults {
  double finishThickness;  // 0.1 mm, 0.004 in
  double depthPerPass;     // 1 mm, 0.04 in
  double clearance;        // 2 mm, 0.08 in: the start point off the stock, radially and axially
};
ShopDefaults ShopDefaultsFor(bool inch);

// One parameter of the operation as `sulkor params` lists it.
struct ParameterRow {
  std::string_view name;  // the parameter, as the operation names it
  const char* option;  // the command-line option setting it, "" for --set only
  const char* meaning;
  const char* unit;
  const char* defaultText;  // the command line's default
};
const std::vector<ParameterRow>& ParameterRows();

// The parameters given, with the shop's finish allowance and depth per pass where neither an
// option nor a --set gives them.
ParameterOptions WithShopDefaults(ParameterOptions parameters, bool inch);

// Adds `sulkor params`.
void AddParamsCommand(CLI::App& app, std::ostream& out);

void AddToolOptions(CLI::App& command, ToolOptions& tool);
void AddParameterOptions(CLI::App& command, ParameterOptions& parameters);

// The drawing's linear unit as the command line works in it: "in" for an inch drawing (named
// "in" or by the inch mark), else "mm".
std::string DrawingUnit(host::MemoryHost& host);

// The tool as the tool table holds it; `drawingUnit` stands in for an empty unit.
host::SceneTool ToSceneTool(const ToolOptions& tool, const std::string& drawingUnit);

// Sets the named options, then every NAME=VALUE, through Groove::SetParameter. Throws
// UsageError for a --set that is not NAME=VALUE, an unknown parameter name, or a value that the
// parameter cannot take.
void ApplyParameters(Groove& groove, const ParameterOptions& parameters);

}  // namespace sulkor::cli
