#include "cli/app.h"

#include <exception>

#include <CLI/CLI.hpp>

#include "cli/commands.h"
#include "cli/exit_codes.h"
#include "cli/groove_options.h"

namespace sulkor::cli {

int RunCommandLine(int argc, const char* const* argv, std::ostream& out, std::ostream& err) {
  CLI::App app("Sulkor: plunge-grooving tool paths for the lathe", "sulkor");
  app.require_subcommand(1);
  app.set_version_flag("--version", std::string("sulkor ") + SULKOR_VERSION);
  CommandContext context{out, err};
  AddInspectCommand(app, context);
  AddGrooveCommand(app, context);
  AddDemoCommand(app, context);
  AddJobCommand(app, context);
  AddParamsCommand(app, out);
  try {
    app.parse(argc, argv);
  } catch (const CLI::CallForHelp&) {
    out << app.help();
    return kExitSuccess;
  } catch (const CLI::CallForVersion& version) {
    out << version.what() << '\n';
    return kExitSuccess;
  } catch (const CLI::CallForAllHelp&) {
    out << app.help("", CLI::AppFormatMode::All);
    return kExitSuccess;
  } catch (const CLI::ParseError& error) {
    // Help asked of a subcommand arrives here too, with a success code.
    if (error.get_exit_code() == 0) {
      for (const CLI::App* sub : app.get_subcommands()) out << sub->help();
      return kExitSuccess;
    }
    err << "sulkor: " << error.what() << '\n';
    return kExitUsage;
  } catch (const UsageError& error) {
    err << "sulkor: " << error.what() << '\n';
    return kExitUsage;
  } catch (const std::exception& error) {
    err << "sulkor: " << error.what() << '\n';
    return kExitUsage;
  }
  return context.status;
}

}  // namespace sulkor::cli
