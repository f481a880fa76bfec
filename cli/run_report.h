// The short report of a groove run: the kind of work, the plunges and pecks, the cutting and
// rapid lengths and the cycle time, as text for people or as JSON for programs.
#pragma once

#include <ostream>
#include <string>

#include "operation/work_kind.h"
#include "post/nc_post.h"
#include "toolpath/path_summary.h"

namespace sulkor {
struct OperationState;
}

namespace sulkor::cli {

struct RunReport {
  std::string kind;  // "outside diameter", "bore", "front face", "back face"
  std::string units;  // "mm" or "in"
  PathSummary path;
  double rapidRate = 0.0;  // drawing units per minute, as the cycle time assumes
  bool timed = false;      // false: a feed of the path is not above zero, no time is known
  CycleTime cycle;
};

// "outside diameter", "bore", "front face", "back face".
std::string KindName(WorkKind kind);

// The report of the operation's last computed tool path, its cycle time at `rapidRate` (0: the
// default rate of the units) with `dwell` seconds at the bottom of every plunge, its feeds per
// revolution when `feedPerRevolution` says so.
RunReport ReportOf(const OperationState& state, const std::string& units, double rapidRate = 0.0,
                   double dwell = 0.0, bool feedPerRevolution = false);

void PrintReport(std::ostream& out, const RunReport& report);
void PrintReportJson(std::ostream& out, const RunReport& report);

}  // namespace sulkor::cli
