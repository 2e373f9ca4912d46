// Directory-type files: one real folder per multivalue file, one OS file per
// record named by its key, one line per attribute. Internal to the storage.
#pragma once

#include <filesystem>
#include <functional>
#include <optional>
#include <string>
#include <string_view>

namespace mvdb::dirfile {

/// The longest key a record file may have: the file system's limit on a file
/// name, in bytes.
inline constexpr std::size_t kMaxKeyBytes = 255;

/// Throws DbError kInvalidArgument when a key cannot name a record file: empty,
/// longer than kMaxKeyBytes, holding '/' or NUL, holding "..", or starting with
/// '.' (names starting with a dot are reserved for temporary files).
void ValidateKey(std::string_view key);

/// True when the key names a file meant for a spreadsheet: it ends in ".csv"
/// (any case). Such records are written as UTF-8 with a byte-order mark and
/// CR LF line ends.
bool IsSpreadsheetKey(std::string_view key);

/// The bytes of the OS file for a record: attributes become lines, each ended
/// by a line end (CR LF and a leading byte-order mark for spreadsheet keys).
/// Value and sub-value marks stay as bytes inside a line.
std::string EncodeRecord(std::string_view key, std::string_view text);
/// The inverse of EncodeRecord: strips the byte-order mark and the CR of CR LF
/// for spreadsheet keys, drops the last line end, lines become attributes.
/// Bytes that EncodeRecord would not give (a picture, a file without its last
/// line end) do not come back the same through EncodeRecord: keep the bytes.
std::string DecodeRecord(std::string_view key, std::string_view bytes);

/// The bytes of the record's OS file, or nullopt when there is none. kIo.
std::optional<std::string> ReadBytes(const std::filesystem::path& folder, std::string_view key);
/// Writes the record's OS file through a temporary file in the same folder
/// (fsync, then rename into place), so that a reader sees the old record or
/// the new one, never half of one. mustBeNew: the temporary is linked to the
/// final name, which fails without touching an existing record (throws
/// kRecordExists). Creates the folder when missing. Throws kIo on file-system
/// failure.
void WriteBytes(const std::filesystem::path& folder, std::string_view key, std::string_view bytes, bool mustBeNew);
/// Removes the record's file; a missing file is not an error. kIo.
void Remove(const std::filesystem::path& folder, std::string_view key);
/// Calls fn for every record in ascending key (byte) order with the bytes of
/// its file, skipping temporary files and anything that is not a regular file;
/// fn returns false to stop.
void ScanBytes(const std::filesystem::path& folder,
               const std::function<bool(const std::string& key, const std::string& bytes)>& fn);

/// What a record's file held before a write, kept aside as a hidden file so
/// that the write can be undone.
class KeptFile {
 public:
  /// Keeps the record's current file aside (nothing when there is none). kIo.
  KeptFile(std::filesystem::path folder, std::string key);
  KeptFile(KeptFile&& other) noexcept;
  KeptFile& operator=(KeptFile&&) = delete;
  /// Forgets the kept file (the write stands).
  ~KeptFile();
  /// Puts the record back as it was before the write (removes it when there
  /// was none). Best effort: never throws.
  void PutBack() noexcept;

 private:
  std::filesystem::path folder_;
  std::string key_;
  std::filesystem::path kept_;  ///< empty when there was no file
};

}  // namespace mvdb::dirfile
