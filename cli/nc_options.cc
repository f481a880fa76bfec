#include "cli/nc_options.h"

#include "cli/value_checks.h"

namespace sulkor::cli {

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
}

PostOptions ToPostOptions(const NcOptions& nc) {
  PostOptions options;
  options.dialect = DialectFromName(nc.dialect);
  options.toolPost = nc.toolPost == "front" ? ToolPost::Front : ToolPost::Rear;
  options.plungeDwell = nc.dwell;
  return options;
}

double RapidRate(const NcOptions& nc, bool inch) {
  if (nc.rapidRate) return *nc.rapidRate;
  return inch ? kDefaultRapidInches : kDefaultRapidMillimetres;
}

}  // namespace sulkor::cli
