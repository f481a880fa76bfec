#include "cli/staged_files.h"

#include <unistd.h>

#include <fstream>
#include <system_error>

#include "cli/exit_codes.h"

namespace sulkor::cli {

namespace fs = std::filesystem;

StagedFiles::~StagedFiles() {
  for (const Entry& entry : entries_) {
    std::error_code ignored;
    fs::remove(entry.temporary, ignored);
  }
}

fs::path StagedFiles::TemporaryFor(const fs::path& destination) const {
  fs::path name = destination.filename();
  name += ".tmp-" + std::to_string(::getpid()) + "-" + std::to_string(entries_.size());
  return destination.parent_path() / ("." + name.string());
}

void StagedFiles::Stage(const fs::path& destination, const std::string& contents) {
  StageWith(destination, [&](const fs::path& temporary) {
    std::ofstream file(temporary, std::ios::binary | std::ios::trunc);
    file.write(contents.data(), static_cast<std::streamsize>(contents.size()));
    file.close();
    if (!file) throw UsageError("cannot write \"" + destination.string() + "\"");
  });
}

void StagedFiles::StageWith(const fs::path& destination,
                            const std::function<void(const fs::path&)>& write) {
  const fs::path temporary = TemporaryFor(destination);
  entries_.push_back({temporary, destination});
  write(temporary);
  std::error_code error;
  if (!fs::is_regular_file(temporary, error)) {
    throw UsageError("cannot write \"" + destination.string() + "\"");
  }
}

void StagedFiles::Commit() {
  for (const Entry& entry : entries_) {
    std::error_code error;
    fs::rename(entry.temporary, entry.destination, error);
    if (error) {
      throw UsageError("cannot write \"" + entry.destination.string() + "\": " + error.message());
    }
  }
  entries_.clear();
}

}  // namespace sulkor::cli
