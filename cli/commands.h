// The subcommands of the `sulkor` command. Each Add... declares its options on the application
// and, when chosen, runs and leaves its exit status in `status`.
#pragma once

#include <ostream>

#include <CLI/CLI.hpp>

namespace sulkor::cli {

struct CommandContext {
  std::ostream& out;
  std::ostream& err;
  int status = 0;
};

void AddGrooveCommand(CLI::App& app, CommandContext& context);
void AddDemoCommand(CLI::App& app, CommandContext& context);
void AddJobCommand(CLI::App& app, CommandContext& context);
void AddInspectCommand(CLI::App& app, CommandContext& context);

}  // namespace sulkor::cli
