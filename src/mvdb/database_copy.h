// Copying a whole database to another address: how an office moves from the
// embedded demo database to its server, or back.
#pragma once

#include <functional>

#include "mvdb/database.h"

namespace mvdb {

/// What a copy wrote.
struct CopySummary {
  long files = 0;    ///< files created, dictionaries included
  long records = 0;  ///< records written, directory files' included
  long indexes = 0;  ///< secondary indexes built
};

/// Copies every file of `from` with its records as stored (dictionaries and
/// directory files included, whatever their bytes), then builds the same
/// secondary indexes, into `to`, which must hold no file (a database just
/// made with Database::Create). Reads one state of `from`; writes `to` in
/// one transaction, in large batches: all of it lands or nothing does.
/// `progress` (may be empty) is called with the records copied so far.
/// Throws DbError kFileExists when `to` holds a file, kInvalidArgument when
/// both are one database, or what reading and writing throw (kIo for a
/// server database without a folder for the directory files of `from`).
CopySummary CopyDatabase(Database& from, Database& to, const std::function<void(long records)>& progress = {});

}  // namespace mvdb
