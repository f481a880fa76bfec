// Test support: runs the built `sulkor` program (or any program) as a separate process and
// collects its exit status and output; a scratch folder per test; the DXF facts ezdxf reads.
#pragma once

#include <fcntl.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

extern char** environ;

namespace sulkor::cli::testing {

struct ProgramResult {
  int status = -1;  // the exit status; 128 + signal when a signal ended it
  std::string out;
  std::string err;
};

inline std::string ReadText(const std::filesystem::path& path) {
  std::ifstream in(path, std::ios::binary);
  std::stringstream text;
  text << in.rdbuf();
  return text.str();
}

// A program started and not yet waited for; its output goes to files in its folder.
struct StartedProgram {
  pid_t pid = -1;
  std::filesystem::path outPath, errPath;
};

// Starts argv[0] with the arguments in `dir`; `tag` tells apart the output files of programs
// that run at once in one folder.
inline StartedProgram StartIn(const std::filesystem::path& dir,
                              const std::vector<std::string>& argv,
                              const std::vector<std::string>& extraEnvironment = {},
                              const std::string& tag = "") {
  StartedProgram started{-1, dir / (".stdout" + tag), dir / (".stderr" + tag)};
  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  posix_spawn_file_actions_addopen(&actions, 1, started.outPath.c_str(),
                                   O_WRONLY | O_CREAT | O_TRUNC, 0644);
  posix_spawn_file_actions_addopen(&actions, 2, started.errPath.c_str(),
                                   O_WRONLY | O_CREAT | O_TRUNC, 0644);
  posix_spawn_file_actions_addchdir_np(&actions, dir.c_str());
  std::vector<char*> args;
  for (const std::string& a : argv) args.push_back(const_cast<char*>(a.c_str()));
  args.push_back(nullptr);
  std::vector<std::string> envText;
  for (char** e = environ; *e; ++e) envText.emplace_back(*e);
  for (const std::string& e : extraEnvironment) envText.push_back(e);
  std::vector<char*> env;
  for (std::string& e : envText) env.push_back(e.data());
  env.push_back(nullptr);
  if (posix_spawn(&started.pid, args[0], &actions, nullptr, args.data(), env.data()) != 0) {
    started.pid = -1;
  }
  posix_spawn_file_actions_destroy(&actions);
  return started;
}

// Waits for a started program and collects its status and output.
inline ProgramResult Finish(const StartedProgram& started) {
  ProgramResult result;
  if (started.pid > 0) {
    int status = 0;
    waitpid(started.pid, &status, 0);
    result.status = WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
  }
  result.out = ReadText(started.outPath);
  result.err = ReadText(started.errPath);
  std::filesystem::remove(started.outPath);
  std::filesystem::remove(started.errPath);
  return result;
}

// Runs argv[0] with the arguments in `dir`, its output captured through files there.
inline ProgramResult RunIn(const std::filesystem::path& dir, const std::vector<std::string>& argv,
                           const std::vector<std::string>& extraEnvironment = {}) {
  return Finish(StartIn(dir, argv, extraEnvironment));
}

// Runs the `sulkor` program with the arguments.
inline ProgramResult RunSulkor(const std::filesystem::path& dir,
                               const std::vector<std::string>& arguments,
                               const std::vector<std::string>& extraEnvironment = {}) {
  std::vector<std::string> argv{SULKOR_PROGRAM};
  argv.insert(argv.end(), arguments.begin(), arguments.end());
  return RunIn(dir, argv, extraEnvironment);
}

// A fresh folder for one test, removed with the object.
class ScratchDir {
 public:
  explicit ScratchDir(const std::string& name)
      : path_(std::filesystem::temp_directory_path() /
              ("sulkor_" + name + "_" + std::to_string(::getpid()))) {
    std::filesystem::remove_all(path_);
    std::filesystem::create_directories(path_);
  }
  ~ScratchDir() { std::filesystem::remove_all(path_); }
  const std::filesystem::path& Path() const { return path_; }
  std::filesystem::path operator/(const std::string& name) const { return path_ / name; }
  // The names of the files in the folder, sorted.
  std::vector<std::string> Files() const {
    std::vector<std::string> names;
    for (const auto& entry : std::filesystem::directory_iterator(path_)) {
      names.push_back(entry.path().filename().string());
    }
    std::sort(names.begin(), names.end());
    return names;
  }

 private:
  std::filesystem::path path_;
};

inline std::string Example(const std::string& name) {
  return std::string(SULKOR_SOURCE_DIR) + "/examples/" + name;
}

// The lines cli/testdata/inspect_dxf.py prints of a DXF file, read by ezdxf.
inline std::vector<std::string> InspectDxf(const std::filesystem::path& file) {
  const ProgramResult r = RunIn(
      file.parent_path(),
      {"/usr/bin/python3", std::string(SULKOR_SOURCE_DIR) + "/cli/testdata/inspect_dxf.py",
       file.string()});
  std::vector<std::string> lines;
  std::istringstream in(r.out + (r.status == 0 ? "" : "inspect failed: " + r.err));
  for (std::string line; std::getline(in, line);) lines.push_back(line);
  return lines;
}

}  // namespace sulkor::cli::testing
