// The job file: one SQLite database that holds a whole job of this project's host, the CAM data
// store (parts, tool table, settings, the ordered operations with their properties, groups,
// contour sets and trajectories) and the drawing (every graphic with its tree, names, kinds, pen
// properties, layers, brushes and vertices), so that a job can be closed and taken up again.
//
// Load builds a running memory host from the file; Save writes a host back, replacing what the
// file held, in one transaction: a process that dies while saving leaves the file as it was
// before (SQLite rolls the interrupted transaction back when the file is next opened). What a
// host holds comes back exactly: doubles bit for bit, the order of graphics, operations and
// contour sets, the identifiers of parts and operations.
//
// A command that reads, changes and writes a job holds a JobChange around the whole: the file
// stays locked against other writers from the load to the commit, and nothing of the change
// reaches the file unless it commits.
//
// Every failure is a JobFileError whose text names the file: a file that does not exist, one
// that is not a job file, one written by another version of the program, one that is damaged.
// Open and Load check every row against its checksum and SQLite's integrity check, so that
// nothing is taken from a damaged file.
#pragma once

#include <functional>
#include <memory>
#include <stdexcept>
#include <string>

#include "host/memory/memory_host.h"
#include "sulkor/error.h"

namespace SQLite {
class Database;
}

namespace sulkor::host {

// The version of the job file layout that this program writes and reads (PRAGMA user_version)
// and the mark of a job file (PRAGMA application_id, "Slkr").
inline constexpr int kJobSchemaVersion = 2;
inline constexpr int kJobApplicationId = 0x536C6B72;

// A job file that is missing, not a job, damaged, busy or cannot be written; the text names
// the file.
class JobFileError : public Error {
 public:
  using Error::Error;
};

class JobFile {
 public:
  // A new job file at path holding an empty host (BuildMemoryHost). Fails when a file is there.
  // Errors name the file `name` (the path when empty): a job written under a temporary name
  // names the file it becomes. A failure removes what was created.
  static JobFile Create(const std::string& path, const std::string& name = {});
  // An existing job file, checked to be one of a version this program reads.
  static JobFile Open(const std::string& path);
  // A new, empty job in memory, gone with the object.
  static JobFile InMemory();

  JobFile(JobFile&&) noexcept;
  JobFile& operator=(JobFile&&) noexcept;
  ~JobFile();

  // The name that errors give the file: its path ("in memory" for a job in memory).
  const std::string& Name() const { return name_; }

  // A new memory host holding the job: the store's parts, tools, settings and operations, and
  // the drawing as the active drawing, the operations' groups, part graphics, contour sets and
  // trajectories pointing at its graphics. The host's update handler is left for the caller.
  MemoryHost Load();

  // Replaces the job by the host's store and active drawing, in one transaction (a savepoint
  // within an open JobChange). midway, when given, is called once in the middle of the writing,
  // when the old content is gone and the drawing is written but the store is not: a test's hook
  // for a failure or a killed process at the worst moment. A failure leaves the file unchanged.
  // Graphics that the store refers to but that are in no collection of the drawing are saved as
  // free graphics; a graphic of another host in a contour set is an error.
  void Save(const MemoryHost& host, const std::function<void()>& midway = {});

  SQLite::Database& Database() { return *db_; }

 private:
  JobFile(std::unique_ptr<SQLite::Database> db, std::string name);
  friend class JobChange;

  std::unique_ptr<SQLite::Database> db_;
  std::string name_;
};

// One change of a job: a write transaction, taken at once (BEGIN IMMEDIATE) so that no other
// writer comes between the load and the save. Without Commit, the destructor rolls it back.
class JobChange {
 public:
  explicit JobChange(JobFile& job);
  JobChange(const JobChange&) = delete;
  JobChange& operator=(const JobChange&) = delete;
  ~JobChange();

  void Commit();

 private:
  JobFile& job_;
  bool open_ = true;
};

}  // namespace sulkor::host
