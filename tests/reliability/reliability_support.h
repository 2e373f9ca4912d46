// Helpers of the reliability tests: a temporary folder, records whose whole
// content follows from their key (so a torn or mixed record is detectable),
// and child processes that report back through a pipe.
#pragma once

#include <signal.h>
#include <sys/types.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <functional>
#include <string>

#include "mvdb/dynarray.h"

namespace reliability {

/// A folder under the system temporary folder, removed with its content on
/// destruction.
class TempFolder {
 public:
  explicit TempFolder(const std::string& tag) {
    static int counter = 0;
    path_ = std::filesystem::temp_directory_path() /
            ("mv-rel-" + tag + "-" + std::to_string(::getpid()) + "-" + std::to_string(++counter));
    std::filesystem::remove_all(path_);
    std::filesystem::create_directories(path_);
  }
  ~TempFolder() {
    std::error_code ignored;
    std::filesystem::remove_all(path_, ignored);
  }
  TempFolder(const TempFolder&) = delete;
  TempFolder& operator=(const TempFolder&) = delete;
  const std::filesystem::path& path() const { return path_; }

 private:
  std::filesystem::path path_;
};

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
    std::string padding;
    while (padding.size() + text.size() + 1 < size) padding += key;
    text += mvdb::kAttributeMark;
    text += padding;
  }
  text += mvdb::kAttributeMark;
  text += "END-" + key;  // the last attribute closes the record
  return text;
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
    if (pid_ > 0 && !reaped_) {
      ::kill(pid_, SIGKILL);
      ::waitpid(pid_, nullptr, 0);
    }
    ::close(readFd_);
  }
  Child(const Child&) = delete;
  Child& operator=(const Child&) = delete;

  /// Sends one progress byte to the parent (child side).
  static void Signal(int fd) {
    const char byte = 1;
    (void)!::write(fd, &byte, 1);
  }
  /// Blocks until the child has signalled `count` times; false when the child
  /// ended first.
  bool WaitSignal(int count = 1) {
    char byte;
    for (int i = 0; i < count; ++i)
      if (::read(readFd_, &byte, 1) != 1) return false;
    return true;
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

}  // namespace reliability
