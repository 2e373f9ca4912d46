// Output that appears whole or not at all: a file written under a temporary
// name beside it and renamed into place when complete, or standard output
// written only once the whole text is ready (kept in a temporary file until
// then).
#pragma once

#include <filesystem>
#include <fstream>
#include <ostream>

namespace mvdb::tool {

class SpooledOutput {
 public:
  /// `target` is the file to write; empty means the `finalOut` given to
  /// Commit. Throws DbError kIo when the temporary file cannot be created.
  explicit SpooledOutput(const std::filesystem::path& target);
  /// Removes the temporary file unless Commit succeeded.
  ~SpooledOutput();
  SpooledOutput(const SpooledOutput&) = delete;
  SpooledOutput& operator=(const SpooledOutput&) = delete;

  /// Where to write meanwhile.
  std::ostream& Stream() { return spool_; }
  /// Flushes the text to disk and renames it into place, or copies it to
  /// `finalOut` when there is no target. Throws DbError kIo naming the file and
  /// the system's reason when any step fails (the target is then untouched).
  void Commit(std::ostream& finalOut);

 private:
  std::filesystem::path target_;
  std::filesystem::path temporary_;
  std::ofstream spool_;
};

}  // namespace mvdb::tool
