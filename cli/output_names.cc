#include "cli/output_names.h"

#include <filesystem>
#include <system_error>

#include "cli/exit_codes.h"

namespace sulkor::cli {
namespace {

namespace fs = std::filesystem;

bool SameFile(const std::string& a, const std::string& b) {
  std::error_code error;
  if (fs::equivalent(a, b, error)) return true;  // both exist, one file (hard links too)
  const fs::path ca = fs::weakly_canonical(fs::absolute(a), error);
  if (error) return false;
  const fs::path cb = fs::weakly_canonical(fs::absolute(b), error);
  return !error && ca == cb;
}

}  // namespace

void CheckOutputNames(const std::vector<NamedFile>& inputs,
                      const std::vector<NamedFile>& outputs) {
  for (size_t i = 0; i < outputs.size(); ++i) {
    const NamedFile& out = outputs[i];
    if (out.path.empty()) continue;
    for (const NamedFile& in : inputs) {
      if (!in.path.empty() && SameFile(out.path, in.path)) {
        throw UsageError(out.option + " \"" + out.path + "\" names " + in.option +
                         ", which the command reads: choose another name");
      }
    }
    for (size_t k = 0; k < i; ++k) {
      if (!outputs[k].path.empty() && SameFile(out.path, outputs[k].path)) {
        throw UsageError(outputs[k].option + " and " + out.option + " name the same file \"" +
                         out.path + "\"");
      }
    }
  }
}

}  // namespace sulkor::cli
