// Reading typed dates: the forms a user types into a date field, normalised
// to the display form "dd/mm/yyyy". Pure functions, no Qt widgets.
#pragma once

#include <QDate>
#include <QString>
#include <optional>

namespace morvane::services {

/// The parts of a typed date before any calendar check.
struct TypedDate {
  int day = 0;
  int month = 0;
  int year = 0;  ///< four-digit year after completion
};

/// Reads "d/m/yy", "dd/mm/yyyy", "ddmmyy", "ddmmyyyy", "d/m", "ddmm" (separators
/// "/", "-", "." or blank; blanks around the text ignored). A missing year is
/// `today`'s; a two-digit year falls in [today.year - 80, today.year + 19].
/// Returns nullopt when the text has none of these shapes. The parts are not
/// checked against the calendar (31/02/2024 is read as it stands).
std::optional<TypedDate> ReadTypedDate(const QString& text, const QDate& today);

/// "dd/mm/yyyy" of the parts, zero-padded, whether or not the date exists.
QString DisplayText(const TypedDate& date);

/// The calendar date of the parts; an invalid QDate when it does not exist.
QDate ToDate(const TypedDate& date);

/// The date that `text` denotes (ReadTypedDate, then the calendar check);
/// an invalid QDate when there is none.
QDate ParseDisplayDate(const QString& text, const QDate& today);

}  // namespace morvane::services
