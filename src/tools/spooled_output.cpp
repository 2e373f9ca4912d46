#include "tools/spooled_output.h"

#include <fcntl.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <cstring>

#include "mvdb/errors.h"

namespace mvdb::tool {
namespace {

[[noreturn]] void Fail(const std::string& what, const std::filesystem::path& path, int err = errno) {
  throw DbError(ErrorCode::kIo, what + " " + path.string() + ": " + std::strerror(err));
}

std::filesystem::path TemporaryFolder() {
  const char* tmp = std::getenv("TMPDIR");
  return tmp && *tmp ? std::filesystem::path(tmp) : std::filesystem::path("/tmp");
}

}  // namespace

SpooledOutput::SpooledOutput(const std::filesystem::path& target) : target_(target) {
  const std::filesystem::path folder =
      target.empty() ? TemporaryFolder() : std::filesystem::absolute(target).parent_path();
  std::string name = (folder / ("." + (target.empty() ? std::string("mvdb-export") : target.filename().string()) +
                                ".tmp-XXXXXX"))
                         .string();
  const int fd = ::mkstemp(name.data());
  if (fd < 0) Fail("cannot create a temporary file in", folder);
  ::close(fd);
  temporary_ = name;
  spool_.open(temporary_, std::ios::binary | std::ios::trunc);
  if (!spool_) Fail("cannot write", temporary_);
}

SpooledOutput::~SpooledOutput() {
  if (!temporary_.empty()) ::unlink(temporary_.c_str());
}

void SpooledOutput::Commit(std::ostream& finalOut) {
  spool_.flush();
  if (!spool_) Fail("cannot write", temporary_);
  spool_.close();
  if (target_.empty()) {
    std::ifstream in(temporary_, std::ios::binary);
    finalOut << in.rdbuf();
    finalOut.flush();
    if (!finalOut) throw DbError(ErrorCode::kIo, "cannot write the export to standard output");
    return;
  }
  const int fd = ::open(temporary_.c_str(), O_RDONLY | O_CLOEXEC);
  if (fd < 0 || ::fsync(fd) != 0) {
    const int err = errno;
    if (fd >= 0) ::close(fd);
    Fail("cannot flush", temporary_, err);
  }
  ::close(fd);
  if (::rename(temporary_.c_str(), target_.c_str()) != 0) Fail("cannot write", target_);
  temporary_.clear();
}

}  // namespace mvdb::tool
