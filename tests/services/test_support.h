// Small helpers shared by the services' tests.
#pragma once

#include <QByteArray>
#include <QString>
#include <optional>

namespace morvane::services::testing {

/// Sets an environment variable for the life of the object, then puts the
/// previous value back.
class ScopedEnv {
 public:
  ScopedEnv(const char* name, const QByteArray& value) : name_(name) {
    if (qEnvironmentVariableIsSet(name)) old_ = qgetenv(name);
    qputenv(name, value);
  }
  ~ScopedEnv() {
    if (old_) {
      qputenv(name_, *old_);
    } else {
      qunsetenv(name_);
    }
  }
  ScopedEnv(const ScopedEnv&) = delete;
  ScopedEnv& operator=(const ScopedEnv&) = delete;

 private:
  const char* name_;
  std::optional<QByteArray> old_;
};

}  // namespace morvane::services::testing
