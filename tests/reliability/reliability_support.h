// Helpers of the reliability tests: records whose whole content follows from
// their key (so a torn or mixed record is detectable), child processes that
// report back through a pipe, and runs of the mvdb program.
#pragma once

#include <signal.h>
#include <sys/types.h>
#include <sys/wait.h>

#include "mvdb/jsonl.h"
#include "mvdb/engine_test_support.h"

namespace reliability {

using mvdb::testing_support::ScratchDir;

/// The key of record number n ("R0000042").
inline std::string KeyOf(long n) {
  char key[16];
  std::snprintf(key, sizeof key, "R%07ld", n);
  return key;
}

/// The text that record `key` must hold: every attribute repeats the key, so a
/// record that is half of one write and half of another, or cut short, differs.
/// `size` pads the record to about that many bytes.
inline std::string ExpectedText(const std::string& key, std::size_t size = 0) {
  mvdb::DynArray record;
  record.SetItem(1, key);
  record.SetItem(2, std::to_string(std::hash<std::string>{}(key) % 100000));
  for (int v = 1; v <= 3; ++v) record.SetItem(3, v, key + "-" + std::to_string(v));
  std::string text = record.Text();
  if (text.size() + 1 < size) {
    text += mvdb::kAttributeMark;
    while (text.size() + 1 < size) text += key;
  }
  return text + mvdb::kAttributeMark + "END-" + key;  // the last attribute closes the record
}

/// JSON Lines of records [first, first + count) of file F.
inline std::string ImportLines(long first, long count) {
  std::string lines;
  for (long n = first; n < first + count; ++n) lines += mvdb::jsonl::EncodeLine("F", KeyOf(n), ExpectedText(KeyOf(n))) + "\n";
  return lines;
}

/// A child process running `work`; its exit status is 0 when work returned
/// true. `work` receives the write end of a pipe to signal progress with
/// Signal(); the parent waits for it with WaitSignal().
class Child {
 public:
  explicit Child(const std::function<bool(int signalFd)>& work) {
    int fds[2];
    if (::pipe(fds) != 0) std::abort();
    pid_ = ::fork();
    if (pid_ == 0) {
      ::close(fds[0]);
      bool ok = false;
      try {
        ok = work(fds[1]);
      } catch (const std::exception& e) {
        std::fprintf(stderr, "child %d: %s\n", ::getpid(), e.what());
      }
      ::_exit(ok ? 0 : 1);  // no destructors of the parent's objects in the child
    }
    ::close(fds[1]);
    readFd_ = fds[0];
  }
  ~Child() {
    if (pid_ > 0 && !reaped_) Kill();
    ::close(readFd_);
  }
  Child(const Child&) = delete;
  Child& operator=(const Child&) = delete;

  /// Sends one progress byte to the parent (child side).
  static void Signal(int fd) {
    const char byte = 1;
    (void)!::write(fd, &byte, 1);
  }
  /// Blocks until the child has signalled once; false when it ended first.
  bool WaitSignal() {
    char byte;
    return ::read(readFd_, &byte, 1) == 1;
  }
  /// Kills the child with SIGKILL and reaps it.
  void Kill() {
    ::kill(pid_, SIGKILL);
    ::waitpid(pid_, nullptr, 0);
    reaped_ = true;
  }
  /// Waits for the child; true when it exited with status 0.
  bool Succeeded() {
    int status = 0;
    ::waitpid(pid_, &status, 0);
    reaped_ = true;
    return WIFEXITED(status) && WEXITSTATUS(status) == 0;
  }

 private:
  pid_t pid_ = -1;
  int readFd_ = -1;
  bool reaped_ = false;
};

/// What a run of a program did: its exit status and its standard error.
struct Run {
  int status = -1;
  std::string err;
};

/// Runs the mvdb program with `args`, standard output to the file `out`.
inline Run Mvdb(const std::vector<std::string>& args, const std::filesystem::path& out) {
  const std::filesystem::path err = std::filesystem::temp_directory_path() / ("mvdb-err-" + std::to_string(::getpid()));
  std::string command = std::string(MORVANE_BINARY_DIR) + "/src/mvdb";
  for (const std::string& arg : args) command += " '" + arg + "'";  // no test argument holds a quote
  const int status = std::system((command + " >'" + out.string() + "' 2>'" + err.string() + "'").c_str());
  Run run{WIFEXITED(status) ? WEXITSTATUS(status) : -1, mvdb::testing_support::Slurp(err)};
  std::filesystem::remove(err);
  return run;
}

}  // namespace reliability
