// The short report of a groove run: the kind of work, the plunges and pecks, the cutting and
// rapid lengths, as text for people or as JSON for programs.
#pragma once

#include <ostream>
#include <string>

#include "groove/work_kind.h"
#include "toolpath/path_summary.h"

namespace sulkor {
struct OperationState;
}

namespace sulkor::cli {

struct RunReport {
  std::string kind;  // "outside diameter", "bore", "front face", "back face"
  std::string units;  // "mm" or "in"
  PathSummary path;
};

// "outside diameter", "bore", "front face", "back face".
std::string KindName(WorkKind kind);

// The report of the operation's last computed tool path.
RunReport ReportOf(const OperationState& state, const std::string& units);

void PrintReport(std::ostream& out, const RunReport& report);
void PrintReportJson(std::ostream& out, const RunReport& report);

}  // namespace sulkor::cli
