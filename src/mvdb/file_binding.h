// FileBinding: the file and key a record read or created through a DbFile is
// bound to, so that DynArray::DBWrite can write it back. Internal to the engine.
#pragma once

#include <string>

namespace mvdb {

class FileBinding {
 public:
  virtual ~FileBinding() = default;
  /// The record's key in its file.
  virtual const std::string& Key() const = 0;
  /// Writes the whole text under the key. mustBeNew: throws kRecordExists when
  /// the key already holds a record. Throws kNotOpen when the file or database
  /// was closed, kIo on storage failure.
  virtual void Write(const std::string& text, bool mustBeNew) const = 0;
};

}  // namespace mvdb
