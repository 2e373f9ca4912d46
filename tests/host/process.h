// A program started by a test, as another office would start it: its output
// goes to a log file; the test waits for it.
#pragma once

#include <fcntl.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>

#include <filesystem>
#include <string>
#include <vector>

extern char** environ;

namespace morvane::host {

/// The two programs as the build made them.
inline const std::filesystem::path kMorvane = std::filesystem::path(MORVANE_BINARY_DIR) / "src" / "morvane";
inline const std::filesystem::path kTool = std::filesystem::path(MORVANE_BINARY_DIR) / "src" / "mvdb";

/// Starts `args` (args[0] a path) with standard output and error in `log`.
/// The destructor kills and reaps a program still running.
class Process {
 public:
  Process(std::vector<std::string> args, const std::filesystem::path& log) {
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, 1, log.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
    posix_spawn_file_actions_adddup2(&actions, 1, 2);
    std::vector<char*> argv;
    for (std::string& a : args) argv.push_back(a.data());
    argv.push_back(nullptr);
    if (posix_spawn(&pid_, argv[0], &actions, nullptr, argv.data(), environ) != 0) pid_ = -1;
    posix_spawn_file_actions_destroy(&actions);
  }
  ~Process() {
    if (pid_ > 0) {
      ::kill(pid_, SIGKILL);
      ::waitpid(pid_, nullptr, 0);
    }
  }
  Process(const Process&) = delete;
  Process& operator=(const Process&) = delete;

  /// Waits for the end: the exit status, or -1 when it was killed or never ran.
  int Wait() {
    int status = 0;
    const bool reaped = pid_ > 0 && ::waitpid(pid_, &status, 0) == pid_;
    pid_ = -1;
    return reaped && WIFEXITED(status) ? WEXITSTATUS(status) : -1;
  }

 private:
  pid_t pid_ = -1;
};

}  // namespace morvane::host
