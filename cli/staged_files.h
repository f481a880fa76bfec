// Output files written whole or not at all. Each file is first written under a temporary name
// beside its destination; Commit renames them all into place. A command that fails before
// Commit leaves no output behind: the destructor removes whatever was staged.
#pragma once

#include <filesystem>
#include <functional>
#include <ostream>
#include <string>
#include <vector>

namespace sulkor::cli {

class StagedFiles {
 public:
  StagedFiles() = default;
  StagedFiles(const StagedFiles&) = delete;
  StagedFiles& operator=(const StagedFiles&) = delete;
  ~StagedFiles();

  // Writes `contents` to a temporary file beside `destination`. Throws UsageError naming the
  // destination when the file cannot be written.
  void Stage(const std::filesystem::path& destination, const std::string& contents);

  // Lets `write` produce the temporary file itself (libraries that write to a path).
  // With replace false, Commit fails (UsageError "DESTINATION: a file of that name exists")
  // when another file took the destination in the meantime; nothing is then replaced.
  void StageWith(const std::filesystem::path& destination,
                 const std::function<void(const std::filesystem::path& temporary)>& write,
                 bool replace = true);

  // Renames every staged file to its destination, in the order staged.
  void Commit();

 private:
  struct Entry {
    std::filesystem::path temporary;
    std::filesystem::path destination;
    bool replace = true;
  };
  std::filesystem::path TemporaryFor(const std::filesystem::path& destination) const;

  std::vector<Entry> entries_;
};

}  // namespace sulkor::cli
