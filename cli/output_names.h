// The files one command reads and writes, checked before anything is computed: two outputs
// naming one file would leave only the last one written, an output naming an input would
// destroy the input.
#pragma once

#include <string>
#include <vector>

namespace sulkor::cli {

struct NamedFile {
  std::string option;  // how the command line named it: "-o", "--nc", "the job"
  std::string path;    // empty: not given
};

// Throws UsageError when two outputs are one file, or an output is one of the inputs. Paths
// are compared as the files they name (through links and "..", whether they exist or not).
void CheckOutputNames(const std::vector<NamedFile>& inputs, const std::vector<NamedFile>& outputs);

}  // namespace sulkor::cli
