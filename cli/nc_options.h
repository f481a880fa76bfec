// The NC program options of the command line: the file, the dialect, the tool-post side, the
// dwell at the bottom of the plunges, and the rapid rate the cycle time is estimated with.
#pragma once

#include <optional>
#include <string>

#include <CLI/CLI.hpp>

#include "post/nc_post.h"

namespace sulkor::cli {

// Rapid rates assumed when none is given: a modest lathe's, in drawing units per minute.
inline constexpr double kDefaultRapidMillimetres = 10000.0;
inline constexpr double kDefaultRapidInches = 400.0;

struct NcOptions {
  std::string file;  // empty: no program is written
  std::string dialect{kDialectLinuxCnc};
  std::string toolPost = "rear";
  double dwell = 0.0;  // seconds
  std::optional<double> rapidRate;
  std::string reference = "tip-low";  // "centre", "tip-low" or "tip-high"
  std::optional<double> css;          // surface speed, m/min or ft/min
  std::optional<double> maxRpm;
  bool feedPerRev = false;
  std::string coolant = "flood";      // "flood", "mist" or "off"
  std::string home = "reference";     // "reference", "none" or "X,Z" (X a diameter)
};

// Feeds per revolution a shop would start grooving with, in drawing units per revolution.
inline constexpr double kDefaultFeedPerRevMillimetres = 0.05;
inline constexpr double kDefaultFeedPerRevInches = 0.002;

void AddNcOptions(CLI::App& command, NcOptions& nc);

// Throws UsageError for --css without --max-rpm and a --home that is not reference, none or X,Z.
PostOptions ToPostOptions(const NcOptions& nc);

// The post input of the operation, its feeds per revolution when the options say so.
PostInput PostInputOf(const OperationState& state, const NcOptions& nc);

// The rapid rate given, else the default of the drawing's units.
double RapidRate(const NcOptions& nc, bool inch);

}  // namespace sulkor::cli
