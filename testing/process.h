// Test support: runs a program (the built `sulkor`, python3 with ezdxf, a shell) as a separate
// process in a folder and collects its exit status and output; a scratch folder per test.
#pragma once

#include <fcntl.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <string_view>
#include <vector>

extern char** environ;

namespace sulkor::testing {

struct ProgramResult {
  int status = -1;  // the exit status; 128 + signal when a signal ended it
  std::string out, err;
};

inline std::string ReadText(const std::filesystem::path& path) {
  std::ifstream in(path, std::ios::binary);
  std::stringstream text;
  text << in.rdbuf();
  return text.str();
}

// A program started and not yet waited for; its output goes to files in its folder, named with
// `tag` so that programs running at once in one folder keep theirs apart.
struct StartedProgram {
  pid_t pid = -1;
  std::filesystem::path outPath, errPath;
};

inline StartedProgram StartIn(const std::filesystem::path& dir, const std::vector<std::string>& argv,
                              const std::vector<std::string>& extraEnvironment = {}, const std::string& tag = "") {
  StartedProgram started{-1, dir / (".stdout" + tag), dir / (".stderr" + tag)};
  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  posix_spawn_file_actions_addopen(&actions, 1, started.outPath.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
  posix_spawn_file_actions_addopen(&actions, 2, started.errPath.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
  posix_spawn_file_actions_addchdir_np(&actions, dir.c_str());
  std::vector<char*> args;
  for (const std::string& a : argv) args.push_back(const_cast<char*>(a.c_str()));
  args.push_back(nullptr);
  // The extra variables replace the inherited ones of the same name: a shell keeps the last of
  // two, so an inherited HOME would win over the run's own.
  std::vector<std::string> envText(extraEnvironment);
  for (char** e = environ; *e; ++e) {
    const std::string_view inherited(*e);
    const bool replaced = std::any_of(extraEnvironment.begin(), extraEnvironment.end(),
                                      [&](const std::string& extra) {
                                        const size_t eq = extra.find('=');
                                        return inherited.substr(0, eq + 1) == extra.substr(0, eq + 1);
                                      });
    if (!replaced) envText.emplace_back(*e);
  }
  std::vector<char*> env;
  for (std::string& e : envText) env.push_back(e.data());
  env.push_back(nullptr);
  if (posix_spawn(&started.pid, args[0], &actions, nullptr, args.data(), env.data()) != 0) started.pid = -1;
  posix_spawn_file_actions_destroy(&actions);
  return started;
}

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

inline ProgramResult RunIn(const std::filesystem::path& dir, const std::vector<std::string>& argv,
                           const std::vector<std::string>& extraEnvironment = {}) {
  return Finish(StartIn(dir, argv, extraEnvironment));
}

inline ProgramResult RunSulkor(const std::filesystem::path& dir, std::vector<std::string> args,
                               const std::vector<std::string>& extraEnvironment = {}) {
  args.insert(args.begin(), SULKOR_PROGRAM);
  return RunIn(dir, args, extraEnvironment);
}

// python3 with the arguments, in the file's folder: ezdxf reads what we write, independently of
// our own reader.
inline ProgramResult Python(const std::filesystem::path& dir, std::vector<std::string> args) {
  args.insert(args.begin(), "/usr/bin/python3");
  return RunIn(dir, args);
}

// ezdxf's audit of a DXF file: its report says "No errors found." for a sound file.
inline std::string EzdxfAudit(const std::filesystem::path& file) {
  const ProgramResult r = Python(file.parent_path(), {"-m", "ezdxf", "audit", file.string()});
  return r.out + r.err;
}

// The lines testing/dxf_facts.py prints of a DXF file as ezdxf reads it.
inline std::vector<std::string> DxfFacts(const std::filesystem::path& file) {
  const ProgramResult r = Python(file.parent_path(), {SULKOR_SOURCE_DIR "/testing/dxf_facts.py", file.string()});
  std::vector<std::string> lines;
  std::istringstream in(r.out + (r.status == 0 ? "" : "dxf_facts.py failed: " + r.err));
  for (std::string line; std::getline(in, line);) lines.push_back(line);
  return lines;
}

// A fresh folder for one test, removed with the object.
class ScratchDir {
 public:
  explicit ScratchDir(const std::string& name)
      : path_(std::filesystem::temp_directory_path() / ("sulkor_" + name + "_" + std::to_string(::getpid()))) {
    std::filesystem::remove_all(path_);
    std::filesystem::create_directories(path_);
  }
  ~ScratchDir() { std::filesystem::remove_all(path_); }
  const std::filesystem::path& Path() const { return path_; }
  std::filesystem::path operator/(const std::string& name) const { return path_ / name; }
  std::vector<std::string> Files() const {  // sorted
    std::vector<std::string> names;
    for (const auto& e : std::filesystem::directory_iterator(path_)) names.push_back(e.path().filename().string());
    std::sort(names.begin(), names.end());
    return names;
  }

 private:
  std::filesystem::path path_;
};

inline std::string Example(const std::string& name) { return std::string(SULKOR_SOURCE_DIR) + "/examples/" + name; }

}  // namespace sulkor::testing
