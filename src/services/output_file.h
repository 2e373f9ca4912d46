// OutputFile: an output (PDF, OpenDocument text, picture) written whole or not
// at all. A new or regular file is written under a temporary name in its own
// folder and renamed over the target only when complete, so an existing file
// is replaced only by a complete one and a failure leaves nothing behind. A
// target that exists and is not a regular file (a device such as /dev/full or
// /dev/stdout, a pipe) is written directly and never renamed over.
#pragma once

#include <QFile>
#include <filesystem>
#include <stdexcept>

namespace morvane::services {

/// An output file that could not be written completely. what() names the file
/// and the system's reason, in one line.
class OutputError : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

/// True when writing `target` would touch the database whose file is
/// `database`: that file, its "-wal", "-shm" and "-journal" companions,
/// anything inside its ".d" folder, or anything inside `directoryRoot` (the
/// folder of the directory files an open database names, which a server
/// database or a moved root keeps elsewhere). Symbolic links and ".." are
/// resolved and hard links recognised. A server address protects only
/// `directoryRoot`; empty paths protect nothing.
bool InsideDatabase(const std::filesystem::path& target, const std::filesystem::path& database,
                    const std::filesystem::path& directoryRoot = {});

/// Throws OutputError naming `target` when InsideDatabase(target, database, directoryRoot).
void RefuseInsideDatabase(const std::filesystem::path& target, const std::filesystem::path& database,
                          const std::filesystem::path& directoryRoot = {});

class OutputFile {
 public:
  /// Opens the file to write `target`: a temporary file is created beside the
  /// target (or the target itself is opened when it exists and is not a
  /// regular file). A symbolic link is followed: the file it points to is
  /// replaced, not the link. Throws OutputError when the file cannot be made
  /// (a missing folder is not made here), or when `target` is a folder.
  explicit OutputFile(std::filesystem::path target);
  /// Removes the temporary file unless Commit succeeded.
  ~OutputFile();
  OutputFile(const OutputFile&) = delete;
  OutputFile& operator=(const OutputFile&) = delete;

  /// Where the writer writes (open for writing until Commit).
  QIODevice& Device() { return file_; }
  /// The file the output is meant for.
  const std::filesystem::path& Target() const { return target_; }

  /// Throws OutputError, as Commit would, when a write has already failed.
  void CheckWrites() const;
  /// Flushes and checks every write, makes the data durable and renames the
  /// temporary file over the target. Throws OutputError ("Le fichier <target>
  /// n'a pas pu être écrit : <reason>") when any write failed; the target is
  /// then left as it was (for a device, what was written stays written).
  void Commit();

 private:
  /// A QFile that keeps the first failed write, whatever later writes do.
  class CheckedFile : public QFile {
   public:
    QString firstError;

   protected:
    qint64 writeData(const char* data, qint64 length) override;
  };

  [[noreturn]] void Fail(const QString& reason) const;

  std::filesystem::path target_;
  std::filesystem::path final_;      // target_ with symbolic links resolved
  std::filesystem::path temporary_;  // empty when writing the target directly
  int fd_ = -1;                      // the open file, closed by Commit or the destructor
  CheckedFile file_;
  bool committed_ = false;
};

}  // namespace morvane::services
