// The `sulkor` command: parses the command line, runs the chosen subcommand and returns the
// exit status (cli/exit_codes.h).
#pragma once

#include <ostream>

namespace sulkor::cli {

int RunCommandLine(int argc, const char* const* argv, std::ostream& out, std::ostream& err);

}  // namespace sulkor::cli
