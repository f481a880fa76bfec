#include "cli/staged_files.h"

#include <fcntl.h>
#include <stdio.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

#include <fstream>
#include <system_error>

#include "cli/exit_codes.h"

namespace sulkor::cli {

namespace fs = std::filesystem;

StagedFiles::~StagedFiles() {
  for (const Entry& entry : entries_) {
    std::error_code ignored;
    fs::remove(entry.temporary, ignored);
    fs::remove(fs::path(entry.temporary.string() + "-journal"), ignored);
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
                            const std::function<void(const fs::path&)>& write, bool replace) {
  const fs::path temporary = TemporaryFor(destination);
  entries_.push_back({temporary, destination, replace});
  write(temporary);
  std::error_code error;
  if (!fs::is_regular_file(temporary, error)) {
    throw UsageError("cannot write \"" + destination.string() + "\"");
  }
}

namespace {

// Renames without replacing: fails with EEXIST when the destination exists, atomically, so that
// of two processes creating one file only one succeeds. A file system without that rename gets
// a hard link, just as exclusive.
int RenameExclusive(const fs::path& from, const fs::path& to) {
  if (::renameat2(AT_FDCWD, from.c_str(), AT_FDCWD, to.c_str(), RENAME_NOREPLACE) == 0) return 0;
  if (errno != EINVAL && errno != ENOSYS) return errno;
  if (::link(from.c_str(), to.c_str()) != 0) return errno;
  ::unlink(from.c_str());
  return 0;
}

}  // namespace

void StagedFiles::Commit() {
  while (!entries_.empty()) {
    const Entry& entry = entries_.front();
    if (entry.replace) {
      std::error_code error;
      fs::rename(entry.temporary, entry.destination, error);
      if (error) {
        throw UsageError("cannot write \"" + entry.destination.string() + "\": " +
                         error.message());
      }
    } else if (const int error = RenameExclusive(entry.temporary, entry.destination)) {
      if (error == EEXIST) {
        throw UsageError(entry.destination.string() + ": a file of that name exists");
      }
      throw UsageError("cannot write \"" + entry.destination.string() + "\": " +
                       std::strerror(error));
    }
    entries_.erase(entries_.begin());
  }
}

}  // namespace sulkor::cli
