// DynArray: the multivalue dynamic array (attributes, values, sub-values from 1).
#pragma once

#include <memory>
#include <string>
#include <string_view>
#include <vector>

namespace mvdb {

class FileBinding;  // internal: the file and key a record read or created is bound to

/// Delimiters inside the UTF-8 text of a dynamic array. These bytes never occur
/// in valid UTF-8, so every other character is ordinary UTF-8.
inline constexpr char kAttributeMark = '\xFE';
inline constexpr char kValueMark = '\xFD';
inline constexpr char kSubValueMark = '\xFC';

/// A value type holding attributes, values and sub-values, numbered from 1.
///
/// The text is parsed once into attributes. Item read and write of an attribute
/// or a value are O(1) amortised: values of short attributes are found by a scan
/// that resumes from the last value read (so walking j = 1, 2, 3... reads the
/// attribute once), long attributes keep an index of their value marks; a
/// sub-value access scans its value. Writing inside a long attribute costs its
/// length, appending to it does not. Reading past the end gives empty text;
/// writing past the end pads with empty elements. Index 0 or below (other than
/// -1 for append) reads as empty text and is refused on write with DbError
/// kInvalidArgument. Not safe for concurrent use, not even for reads (they
/// update the scan cursor); copies are independent.
///
/// Deleting attributes from the last to the first, as a walk over a result list
/// that removes rows does, is linear in the number of attributes in total.
///
/// A DynArray returned by DbFile::DBRead or DbFile::DBNew is bound to that file
/// and key, and DBWrite writes it back; copies share the binding.
class DynArray {
 public:
  DynArray();
  /// Parses whole text (0xFE / 0xFD / 0xFC delimited).
  explicit DynArray(std::string_view text);
  /// The array of these attributes, taken over without parsing: none may hold
  /// an attribute mark. As DynArray(their text joined by attribute marks),
  /// except that one empty attribute stays one attribute.
  static DynArray FromAttributes(std::vector<std::string>&& attributes);
  DynArray(const DynArray&);
  DynArray(DynArray&&) noexcept;
  DynArray& operator=(const DynArray&);
  DynArray& operator=(DynArray&&) noexcept;
  ~DynArray();

  /// The whole text, delimiters included. Empty text for an empty array.
  std::string Text() const;
  /// Replaces the whole content by parsing text; keeps the file binding.
  void SetText(std::string_view text);
  bool Empty() const;

  /// Element read: attribute i / value j / sub-value k as text ("" past the end).
  std::string Item(int i) const;
  std::string Item(int i, int j) const;
  std::string Item(int i, int j, int k) const;

  /// Element write. i == -1 appends a new attribute (j and k then address inside
  /// it); j == -1 appends a value to attribute i; k == -1 appends a sub-value.
  /// Writing text that holds delimiters splits it into the lower levels.
  void SetItem(int i, std::string_view text);
  void SetItem(int i, int j, std::string_view text);
  void SetItem(int i, int j, int k, std::string_view text);

  /// Number of attributes (0 for empty text), or of values in attribute i
  /// (0 when the attribute is empty, 1 when it holds text without value marks).
  int DCount() const;
  int DCount(int i) const;

  /// Removes attribute i (later attributes move up by one). Out of range: no-op.
  void Delete(int i);

  /// Writes the record to the file and key it is bound to (DBRead / DBNew).
  /// Throws DbError kNotOpen when the array is not bound, kIo on storage failure.
  void DBWrite() const;
  /// As DBWrite, but fails with kRecordExists when the key already holds a record
  /// (used to claim a new name atomically, e.g. the daily export file).
  void DBWriteNew() const;

  /// Key of the bound record, or "" when unbound.
  std::string BoundKey() const;

  // Internal: used by DbFile to bind records.
  void Bind(std::shared_ptr<FileBinding> binding);

 private:
  struct Impl;
  static const Impl& EmptyImpl();  // what a moved-from array reads as
  std::unique_ptr<Impl> impl_;
};

}  // namespace mvdb
