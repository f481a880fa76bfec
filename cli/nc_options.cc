#include "cli/nc_options.h"

#include <charconv>
#include <cmath>

#include "cli/exit_codes.h"
#include "cli/value_checks.h"

namespace sulkor::cli {
namespace {

bool ParseDouble(std::string_view text, double& value) {
  const auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), value);
  return !text.empty() && ec == std::errc() && end == text.data() + text.size() &&
         std::isfinite(value);
}

}  // namespace

void AddNcOptions(CLI::App& command, NcOptions& nc) {
  command.add_option("--nc", nc.file, "write the lathe program (G-code) to this file");
  command.add_option("--post", nc.dialect, "the program's dialect")
      ->capture_default_str()
      ->check(CLI::IsMember({std::string(kDialectLinuxCnc), std::string(kDialectFanuc)}));
  command.add_option("--tool-post", nc.toolPost, "the side of the spindle the tool works from")
      ->capture_default_str()->check(CLI::IsMember({"rear", "front"}));
  command.add_option("--dwell", nc.dwell, "seconds to dwell at the bottom of every plunge")
      ->capture_default_str()->check(InRange(kDwellRange));
  command.add_option("--rapid-rate", nc.rapidRate,
                     "rapid traverse rate for the cycle time, drawing units per minute "
                     "(default 10000 mm/min, 400 in/min)")
      ->check(InRange(kRapidRange));
  command.add_option("--reference", nc.reference,
                     "the insert's point the program drives: tip-low (the tip on the -Z side, "
                     "-X for faces), tip-high or centre (of the low corner radius)")
      ->capture_default_str()->check(CLI::IsMember({"tip-low", "tip-high", "centre"}));
  command.add_option("--css", nc.css,
                     "constant surface speed (G96), m/min or ft/min; needs --max-rpm "
                     "(default: spindle speed in rev/min, G97)")
      ->check(InRange(kSpeedRange));
  command.add_option("--max-rpm", nc.maxRpm, "spindle limit under --css, rev/min")
      ->check(InRange(kSpeedRange));
  command.add_flag("--feed-per-rev", nc.feedPerRev,
                   "feeds per revolution (G95 / G99), mm/rev or in/rev (default feeds 0.05 "
                   "mm/rev, 0.002 in/rev)");
  command.add_option("--coolant", nc.coolant, "coolant: flood (M8), mist (M7) or off")
      ->capture_default_str()->check(CLI::IsMember({"flood", "mist", "off"}));
  command.add_option("--home", nc.home,
                     "home and tool-change position before the tool call and at the end: "
                     "reference (G28), none, or X,Z (X a diameter)")
      ->capture_default_str();
}

PostOptions ToPostOptions(const NcOptions& nc) {
  PostOptions options;
  options.dialect = DialectFromName(nc.dialect);
  options.toolPost = nc.toolPost == "front" ? ToolPost::Front : ToolPost::Rear;
  options.plungeDwell = nc.dwell;
  options.reference = nc.reference == "centre"     ? InsertReference::Centre
                      : nc.reference == "tip-high" ? InsertReference::TipHigh
                                                   : InsertReference::TipLow;
  if (nc.css && !nc.maxRpm) throw UsageError("--css needs --max-rpm, the spindle's limit");
  options.surfaceSpeed = nc.css.value_or(0.0);
  options.maxRpm = nc.maxRpm.value_or(0.0);
  options.coolant = nc.coolant == "off"    ? Coolant::Off
                    : nc.coolant == "mist" ? Coolant::Mist
                                           : Coolant::Flood;
  if (nc.home == "none") {
    options.home = HomeKind::None;
  } else if (nc.home == "reference") {
    options.home = HomeKind::MachineReference;
  } else {
    const size_t comma = nc.home.find(',');
    double x = 0.0, z = 0.0;
    if (comma == std::string::npos || !ParseDouble(std::string_view(nc.home).substr(0, comma), x) ||
        !ParseDouble(std::string_view(nc.home).substr(comma + 1), z)) {
      throw UsageError("--home \"" + nc.home + "\": expected reference, none or X,Z");
    }
    options.home = HomeKind::Position;
    options.homePosition = {z, x / 2.0, 0.0};
  }
  return options;
}

PostInput PostInputOf(const OperationState& state, const NcOptions& nc) {
  PostInput in = PostInputFromOperation(state);
  in.feedPerRevolution = nc.feedPerRev;
  return in;
}

double RapidRate(const NcOptions& nc, bool inch) {
  if (nc.rapidRate) return *nc.rapidRate;
  return inch ? kDefaultRapidInches : kDefaultRapidMillimetres;
}

}  // namespace sulkor::cli
