#include <iostream>

#include "cli/app.h"

int main(int argc, char** argv) {
  return sulkor::cli::RunCommandLine(argc, argv, std::cout, std::cerr);
}
