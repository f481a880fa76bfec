// Fuzz target: any bytes as a job file, opened and listed through the command line as
// `sulkor job list` does. A damaged file must be refused with one message (exit status 2),
// never crash, hang, leak or list values it cannot vouch for.
#include <unistd.h>

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>

#include "cli/app.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  static const std::string path =
      (std::filesystem::temp_directory_path() /
       ("sulkor_fuzz_job_" + std::to_string(::getpid()) + ".sulkor"))
          .string();
  std::filesystem::remove(path + "-journal");
  {
    std::ofstream file(path, std::ios::binary | std::ios::trunc);
    file.write(reinterpret_cast<const char*>(data), static_cast<std::streamsize>(size));
  }
  const char* argv[] = {"sulkor", "job", "list", path.c_str()};
  std::ostringstream out, err;
  const int status = sulkor::cli::RunCommandLine(4, argv, out, err);
  if (status != 0 && status != 2) __builtin_trap();  // list knows no other ending
  if (status == 2 && err.str().find('\n') + 1 != err.str().size()) __builtin_trap();
  return 0;
}
