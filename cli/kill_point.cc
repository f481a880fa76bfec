#include "cli/kill_point.h"

#include <csignal>
#include <cstdlib>
#include <string>

namespace sulkor::cli {

void KillPoint(std::string_view point) {
  const char* at = std::getenv(std::string(kKillAtVariable).c_str());
  if (at != nullptr && point == at) std::raise(SIGKILL);
}

}  // namespace sulkor::cli
