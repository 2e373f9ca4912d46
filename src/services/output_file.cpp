#include "services/output_file.h"

#include <QRandomGenerator>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <utility>

namespace morvane::services {
namespace {

namespace fs = std::filesystem;

QString SystemReason(int error) { return QString::fromLocal8Bit(std::strerror(error)); }

// The absolute path with symbolic links and ".." resolved as far as it exists.
fs::path Resolved(const fs::path& path) {
  std::error_code ec;
  const fs::path absolute = fs::absolute(path, ec);
  if (ec) return path.lexically_normal();
  const fs::path resolved = fs::weakly_canonical(absolute, ec);
  return ec ? absolute.lexically_normal() : resolved;
}

bool IsLink(const fs::path& path) {
  struct stat link {};
  return ::lstat(path.c_str(), &link) == 0 && S_ISLNK(link.st_mode);
}

bool SameFile(const fs::path& a, const fs::path& b) {
  std::error_code ec;
  return fs::equivalent(a, b, ec) || Resolved(a) == Resolved(b);
}

// Whether `inner` is `folder` or lies under it (both resolved).
bool Under(const fs::path& inner, const fs::path& folder) {
  auto i = inner.begin();
  for (auto f = folder.begin(); f != folder.end(); ++f, ++i) {
    if (f->empty()) continue;  // a trailing separator
    if (i == inner.end() || *i != *f) return false;
  }
  return true;
}

// Makes the rename durable; a folder that cannot be synced is no failure of the output.
void SyncFolder(const fs::path& folder) {
  const int fd = ::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
  if (fd < 0) return;
  ::fsync(fd);
  ::close(fd);
}

}  // namespace

bool InsideDatabase(const fs::path& target, const fs::path& database, const fs::path& directoryRoot) {
  if (!directoryRoot.empty() && Under(Resolved(target), Resolved(directoryRoot))) return true;
  if (database.empty() || database.native().find("://") != std::string::npos) return false;
  const fs::path file = Resolved(database);
  for (const char* companion : {"", "-wal", "-shm", "-journal"}) {
    if (SameFile(target, fs::path(file.native() + companion))) return true;
  }
  return Under(Resolved(target), Resolved(fs::path(file.native() + ".d")));
}

void RefuseInsideDatabase(const fs::path& target, const fs::path& database, const fs::path& directoryRoot) {
  if (!InsideDatabase(target, database, directoryRoot)) return;
  throw OutputError("Le fichier " + target.string() + " appartient à la base de données " + database.string() +
                    " : une édition ne peut pas l'écrire.");
}

qint64 OutputFile::CheckedFile::writeData(const char* data, qint64 length) {
  const qint64 written = QFile::writeData(data, length);
  if (written != length && firstError.isEmpty()) firstError = errorString();
  return written;
}

OutputFile::OutputFile(fs::path target) : target_(std::move(target)), final_(target_) {
  // stat follows the links, /dev/stdout's too, to what is really written.
  struct stat existing {};
  mode_t mode = 0;
  std::error_code ec;
  if (::stat(target_.c_str(), &existing) == 0) {
    if (S_ISDIR(existing.st_mode)) Fail(QStringLiteral("c'est un dossier"));
    if (!S_ISREG(existing.st_mode)) {
      // A device or a pipe: renaming over it would replace the node itself.
      fd_ = ::open(target_.c_str(), O_WRONLY | O_CLOEXEC | O_NOCTTY);
      if (fd_ < 0) Fail(SystemReason(errno));
      if (!file_.open(fd_, QIODevice::WriteOnly, QFileDevice::DontCloseHandle)) {
        ::close(fd_);
        Fail(file_.errorString());
      }
      return;
    }
    mode = existing.st_mode & 07777;
    if (IsLink(target_)) {
      final_ = fs::canonical(target_, ec);
      if (ec) Fail(QString::fromStdString(ec.message()));
    }
  } else if (IsLink(target_)) {
    // A dangling link: the file it names is made.
    const fs::path linked = fs::read_symlink(target_, ec);
    final_ = linked.is_absolute() ? linked : target_.parent_path() / linked;
  }

  const fs::path folder = final_.has_parent_path() ? final_.parent_path() : fs::path(".");
  for (int attempt = 0; fd_ < 0; ++attempt) {
    std::string name = ".";
    name += final_.filename().string();
    name += '.';
    name += QString::number(QRandomGenerator::global()->generate(), 36).toStdString();
    temporary_ = folder / name;
    // 0666 less the umask, as any new file; a replaced file keeps its permissions.
    fd_ = ::open(temporary_.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
    if (fd_ < 0 && (errno != EEXIST || attempt == 100)) {
      const int error = errno;
      temporary_.clear();
      Fail(SystemReason(error));
    }
  }
  if (mode != 0) ::fchmod(fd_, mode);
  if (!file_.open(fd_, QIODevice::WriteOnly, QFileDevice::DontCloseHandle)) {
    ::close(fd_);
    ::unlink(temporary_.c_str());
    Fail(file_.errorString());
  }
}

OutputFile::~OutputFile() {
  file_.close();
  if (fd_ >= 0) ::close(fd_);
  if (!committed_ && !temporary_.empty()) ::unlink(temporary_.c_str());
}

// Some writers close the device when they are done (the OpenDocument writer
// does): the descriptor stays open here for the checks and the sync.
void OutputFile::CheckWrites() const {
  if (!file_.firstError.isEmpty()) Fail(file_.firstError);
  if (file_.error() != QFileDevice::NoError) Fail(file_.errorString());
}

void OutputFile::Commit() {
  if (file_.isOpen()) file_.close();  // flushes, keeping a failed flush's error
  CheckWrites();
  if (!temporary_.empty() && ::fsync(fd_) != 0) Fail(SystemReason(errno));
  const int closed = ::close(std::exchange(fd_, -1));
  if (closed != 0) Fail(SystemReason(errno));
  if (!temporary_.empty()) {
    if (::rename(temporary_.c_str(), final_.c_str()) != 0) Fail(SystemReason(errno));
    temporary_.clear();
    SyncFolder(final_.has_parent_path() ? final_.parent_path() : fs::path("."));
  }
  committed_ = true;
}

void OutputFile::Fail(const QString& reason) const {
  throw OutputError("Le fichier " + target_.string() + " n'a pas pu être écrit : " + reason.toStdString());
}

}  // namespace morvane::services
