// A test hook for the commands that change a job: the environment variable SULKOR_TEST_KILL_AT
// names a point of the command ("after-compute": the change computed, nothing saved;
// "mid-save": in the middle of writing the job file) at which the process kills itself with
// SIGKILL, the way a crash or a killed terminal would end it. Tests use it to check that a job
// file survives such an end unchanged.
#pragma once

#include <string_view>

namespace sulkor::cli {

inline constexpr std::string_view kKillAtVariable = "SULKOR_TEST_KILL_AT";
inline constexpr std::string_view kKillAfterCompute = "after-compute";
inline constexpr std::string_view kKillMidSave = "mid-save";

// Kills the process when SULKOR_TEST_KILL_AT names this point; returns otherwise.
void KillPoint(std::string_view point);

}  // namespace sulkor::cli
