// Test support: runs a shell command (ezdxf's audit, for one) and returns what it printed on
// standard output and standard error together.
#pragma once

#include <cstdio>
#include <string>

namespace sulkor::host::testing {

inline std::string RunCommand(const std::string& command) {
  std::string output;
  FILE* pipe = popen((command + " 2>&1").c_str(), "r");
  if (!pipe) return "popen failed";
  char buffer[4096];
  while (std::fgets(buffer, sizeof buffer, pipe)) output += buffer;
  pclose(pipe);
  return output;
}

}  // namespace sulkor::host::testing
