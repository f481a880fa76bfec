#include <csignal>
#include <iostream>

#include "cli/app.h"

int main(int argc, char** argv) {
  // Beyond a file size limit (ulimit -f) a write fails with an error instead of killing the
  // process, so that the command can remove its temporary files and say what happened.
  std::signal(SIGXFSZ, SIG_IGN);
  return sulkor::cli::RunCommandLine(argc, argv, std::cout, std::cerr);
}
