// Directory-type files on a POSIX file system.
#include "mvdb/directory_files.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <fstream>
#include <sstream>
#include <utility>
#include <vector>

#include "mvdb/dynarray.h"
#include "mvdb/errors.h"

namespace mvdb::dirfile {
namespace {

constexpr std::string_view kByteOrderMark = "\xEF\xBB\xBF";

[[noreturn]] void ThrowIo(const std::string& what, const std::filesystem::path& path, int err = errno) {
  throw DbError(ErrorCode::kIo, what + " " + path.string() + ": " + std::strerror(err));
}

/// Closes a file descriptor on scope exit.
struct Fd {
  int fd = -1;
  ~Fd() {
    if (fd >= 0) ::close(fd);
  }
  int Release() { return std::exchange(fd, -1); }
};

void WriteAll(int fd, std::string_view bytes, const std::filesystem::path& path) {
  while (!bytes.empty()) {
    const ssize_t n = ::write(fd, bytes.data(), bytes.size());
    if (n < 0) {
      if (errno == EINTR) continue;
      ThrowIo("cannot write", path);
    }
    bytes.remove_prefix(static_cast<std::size_t>(n));
  }
}

void SyncFolder(const std::filesystem::path& folder) {
  Fd dir{::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC)};
  if (dir.fd >= 0) ::fsync(dir.fd);  // best effort: makes the rename durable
}

}  // namespace

void ValidateKey(std::string_view key) {
  if (key.size() > kMaxKeyBytes)
    throw DbError(ErrorCode::kInvalidArgument,
                  "key \"" + std::string(key.substr(0, 40)) + "...\" cannot name a file of a directory file: it has " +
                      std::to_string(key.size()) + " bytes, a file name at most " + std::to_string(kMaxKeyBytes));
  const bool bad = key.empty() || key.front() == '.' || key.find('/') != std::string_view::npos ||
                   key.find('\0') != std::string_view::npos || key.find("..") != std::string_view::npos;
  if (bad)
    throw DbError(ErrorCode::kInvalidArgument,
                  "key \"" + std::string(key) +
                      "\" cannot name a file of a directory file (empty, '/', NUL, \"..\" or a leading '.')");
}

bool IsSpreadsheetKey(std::string_view key) {
  if (key.size() < 4) return false;
  std::string tail(key.substr(key.size() - 4));
  std::transform(tail.begin(), tail.end(), tail.begin(), [](unsigned char c) { return std::tolower(c); });
  return tail == ".csv";
}

std::string EncodeRecord(std::string_view key, std::string_view text) {
  const bool csv = IsSpreadsheetKey(key);
  const std::string_view lineEnd = csv ? "\r\n" : "\n";
  std::string out;
  out.reserve(text.size() + text.size() / 16 + 8);
  if (csv) out += kByteOrderMark;
  for (char c : text) {
    if (c == kAttributeMark)
      out += lineEnd;
    else
      out.push_back(c);
  }
  out += lineEnd;
  return out;
}

std::string DecodeRecord(std::string_view key, std::string_view bytes) {
  const bool csv = IsSpreadsheetKey(key);
  if (csv && bytes.substr(0, kByteOrderMark.size()) == kByteOrderMark) bytes.remove_prefix(kByteOrderMark.size());
  std::string text;
  text.reserve(bytes.size());
  for (std::size_t i = 0; i < bytes.size(); ++i) {
    const char c = bytes[i];
    if (csv && c == '\r' && i + 1 < bytes.size() && bytes[i + 1] == '\n') continue;
    text.push_back(c == '\n' ? kAttributeMark : c);
  }
  if (!text.empty() && text.back() == kAttributeMark) text.pop_back();
  return text;
}

std::optional<std::string> ReadBytes(const std::filesystem::path& folder, std::string_view key) {
  ValidateKey(key);
  const std::filesystem::path path = folder / std::string(key);
  std::ifstream in(path, std::ios::binary);
  if (!in) {
    std::error_code ec;
    if (!std::filesystem::exists(path, ec)) return std::nullopt;
    ThrowIo("cannot open", path);
  }
  std::ostringstream bytes;
  bytes << in.rdbuf();
  if (in.bad()) ThrowIo("cannot read", path);
  return std::move(bytes).str();
}

void WriteBytes(const std::filesystem::path& folder, std::string_view key, std::string_view bytes, bool mustBeNew) {
  ValidateKey(key);
  std::error_code ec;
  std::filesystem::create_directories(folder, ec);
  if (ec) throw DbError(ErrorCode::kIo, "cannot create folder " + folder.string() + ": " + ec.message());

  std::string tmp = (folder / ".tmp-XXXXXX").string();
  Fd file{::mkstemp(tmp.data())};
  if (file.fd < 0) ThrowIo("cannot create a temporary file in", folder);
  const std::filesystem::path tmpPath = tmp;
  const std::filesystem::path finalPath = folder / std::string(key);
  try {
    ::fchmod(file.fd, 0644);
    WriteAll(file.fd, bytes, tmpPath);
    if (::fsync(file.fd) != 0) ThrowIo("cannot flush", tmpPath);
    if (::close(file.Release()) != 0) ThrowIo("cannot close", tmpPath);
    if (mustBeNew) {
      // link() refuses an existing name: of two writers racing for one key,
      // exactly one wins and the other's record is never written.
      if (::link(tmpPath.c_str(), finalPath.c_str()) != 0) {
        const int err = errno;
        if (err == EEXIST)
          throw DbError(ErrorCode::kRecordExists,
                        "record \"" + std::string(key) + "\" already exists in " + folder.string());
        ThrowIo("cannot create", finalPath, err);
      }
      ::unlink(tmpPath.c_str());
    } else if (::rename(tmpPath.c_str(), finalPath.c_str()) != 0) {
      ThrowIo("cannot replace", finalPath);
    }
  } catch (...) {
    ::unlink(tmpPath.c_str());
    throw;
  }
  SyncFolder(folder);
}

void Remove(const std::filesystem::path& folder, std::string_view key) {
  ValidateKey(key);
  const std::filesystem::path path = folder / std::string(key);
  if (::unlink(path.c_str()) != 0 && errno != ENOENT) ThrowIo("cannot remove", path);
}

void ScanBytes(const std::filesystem::path& folder,
               const std::function<bool(const std::string& key, const std::string& bytes)>& fn) {
  std::error_code ec;
  if (!std::filesystem::is_directory(folder, ec)) return;
  std::vector<std::string> keys;
  for (const auto& entry : std::filesystem::directory_iterator(folder, ec)) {
    std::string name = entry.path().filename().string();
    if (name.empty() || name.front() == '.') continue;  // temporary files
    std::error_code typeError;
    if (!entry.is_regular_file(typeError)) continue;
    keys.push_back(std::move(name));
  }
  if (ec) throw DbError(ErrorCode::kIo, "cannot list folder " + folder.string() + ": " + ec.message());
  std::sort(keys.begin(), keys.end());
  for (const auto& key : keys) {
    const auto bytes = ReadBytes(folder, key);
    if (!bytes) continue;  // removed since the listing
    if (!fn(key, *bytes)) return;
  }
}

KeptFile::KeptFile(std::filesystem::path folder, std::string key) : folder_(std::move(folder)), key_(std::move(key)) {
  const std::filesystem::path current = folder_ / key_;
  struct stat status {};
  if (::lstat(current.c_str(), &status) != 0 || !S_ISREG(status.st_mode)) return;  // no record file to keep
  std::string name = (folder_ / ".kept-XXXXXX").string();
  Fd reserved{::mkstemp(name.data())};
  if (reserved.fd < 0) ThrowIo("cannot create a temporary file in", folder_);
  // A second name for the current file: the write's rename leaves it alone.
  ::unlink(name.c_str());
  if (::link(current.c_str(), name.c_str()) == 0) {
    kept_ = name;
    return;
  }
  if (errno == ENOENT) return;
  std::error_code ec;  // a file system without hard links: keep a copy
  std::filesystem::copy_file(current, name, ec);
  if (ec) throw DbError(ErrorCode::kIo, "cannot keep a copy of " + current.string() + ": " + ec.message());
  kept_ = name;
}

KeptFile::KeptFile(KeptFile&& other) noexcept
    : folder_(std::move(other.folder_)), key_(std::move(other.key_)), kept_(std::exchange(other.kept_, {})) {}

KeptFile::~KeptFile() {
  if (!kept_.empty()) ::unlink(kept_.c_str());
}

void KeptFile::PutBack() noexcept {
  if (key_.empty()) return;
  const std::filesystem::path current = folder_ / key_;
  if (kept_.empty()) {
    ::unlink(current.c_str());
  } else if (::rename(kept_.c_str(), current.c_str()) == 0) {
    kept_.clear();
  }
  SyncFolder(folder_);
}

}  // namespace mvdb::dirfile
