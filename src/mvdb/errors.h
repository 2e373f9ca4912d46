// Error codes and the one exception type of the multivalue database engine.
#pragma once

#include <cstdint>
#include <stdexcept>
#include <string>

namespace mvdb {

/// Error codes carried by DbError. A read of a missing key always fails with
/// kRecordNotFound; callers test for it.
enum class ErrorCode : std::uint32_t {
  kRecordNotFound = 0x8004000B,  ///< DBRead of a key that the file does not hold
  kFileNotFound = 0x80040010,    ///< DBOpen / import of a file that was never created
  kFileExists = 0x80040011,      ///< creating a file that already exists
  kQuerySyntax = 0x80040020,     ///< malformed query text (message gives position and expectation)
  kUnknownField = 0x80040021,    ///< query names a field that the dictionary does not define
  kUnknownRoutine = 0x80040030,  ///< DBCall of a routine that is not registered
  kRoutineFailed = 0x80040031,   ///< a server routine refused its arguments
  kIo = 0x80040040,              ///< storage or file-system failure (SQLite, disk, permissions)
  kBadRecord = 0x80040041,       ///< a record or import line that cannot be decoded
  kRecordExists = 0x80040042,    ///< DBWrite of a new record whose key was taken meanwhile
  kInvalidArgument = 0x80040050, ///< a call with arguments outside its contract (empty key, ...)
  kNotOpen = 0x80040060,         ///< an operation on a database or file that is closed
  kPasswordNeeded = 0x80040070,  ///< the server wants a password: none was given, or it refused the one given
  kSignInRefused = 0x80040071,   ///< the server refused the sign-in otherwise (unknown login, login not allowed)
};

/// The exception thrown by every failing engine operation. what() is a message a
/// person can act on: it names the file, key, query position or routine involved.
class DbError : public std::runtime_error {
 public:
  DbError(ErrorCode code, const std::string& message)
      : std::runtime_error(message), code_(code) {}
  ErrorCode code() const noexcept { return code_; }
  /// The code as the 32-bit number callers compare with (0x8004000B, ...).
  std::uint32_t number() const noexcept { return static_cast<std::uint32_t>(code_); }
  bool IsNotFound() const noexcept { return code_ == ErrorCode::kRecordNotFound; }
  /// True when the server refused who was signing in (kPasswordNeeded, kSignInRefused).
  bool IsSignInRefused() const noexcept {
    return code_ == ErrorCode::kPasswordNeeded || code_ == ErrorCode::kSignInRefused;
  }

 private:
  ErrorCode code_;
};

}  // namespace mvdb
