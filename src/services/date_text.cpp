#include "services/date_text.h"

#include <QRegularExpression>
#include <QStringList>

namespace morvane::services {

namespace {

bool AllDigits(const QString& s) {
  if (s.isEmpty()) return false;
  for (QChar c : s) {
    if (c < u'0' || c > u'9') return false;
  }
  return true;
}

// Two-digit years are placed in the hundred-year window that starts 80 years
// before today's year.
int CompleteYear(int twoDigits, int currentYear) {
  const int windowStart = currentYear - 80;
  int year = (windowStart / 100) * 100 + twoDigits;
  if (year < windowStart) year += 100;
  return year;
}

std::optional<int> ReadYear(const QString& digits, int currentYear) {
  if (digits.size() == 1 || digits.size() == 2) return CompleteYear(digits.toInt(), currentYear);
  if (digits.size() == 4) return digits.toInt();
  return std::nullopt;
}

std::optional<TypedDate> FromParts(const QString& d, const QString& m, const QString& y, int currentYear) {
  if (!AllDigits(d) || !AllDigits(m) || d.size() > 2 || m.size() > 2) return std::nullopt;
  TypedDate date{d.toInt(), m.toInt(), currentYear};
  if (!y.isNull()) {
    if (!AllDigits(y)) return std::nullopt;
    const auto year = ReadYear(y, currentYear);
    if (!year) return std::nullopt;
    date.year = *year;
  }
  return date;
}

}  // namespace

std::optional<TypedDate> ReadTypedDate(const QString& text, const QDate& today) {
  const QString trimmed = text.trimmed();
  const int currentYear = today.year();
  if (trimmed.isEmpty()) return std::nullopt;

  static const QRegularExpression separators(QStringLiteral("[/\\-. ]+"));
  const QStringList parts = trimmed.split(separators);
  if (parts.size() == 2) return FromParts(parts[0], parts[1], QString(), currentYear);
  if (parts.size() == 3) return FromParts(parts[0], parts[1], parts[2], currentYear);
  if (parts.size() != 1 || !AllDigits(trimmed)) return std::nullopt;

  // Digits only: ddmm, ddmmyy or ddmmyyyy.
  switch (trimmed.size()) {
    case 4: return FromParts(trimmed.mid(0, 2), trimmed.mid(2, 2), QString(), currentYear);
    case 6:
    case 8: return FromParts(trimmed.mid(0, 2), trimmed.mid(2, 2), trimmed.mid(4), currentYear);
    default: return std::nullopt;
  }
}

QString DisplayText(const TypedDate& date) {
  return QStringLiteral("%1/%2/%3")
      .arg(date.day, 2, 10, QLatin1Char('0'))
      .arg(date.month, 2, 10, QLatin1Char('0'))
      .arg(date.year, 4, 10, QLatin1Char('0'));
}

QDate ToDate(const TypedDate& date) {
  if (date.year < 1 || date.year > 9999) return {};
  return QDate(date.year, date.month, date.day);  // invalid when the day does not exist
}

QDate ParseDisplayDate(const QString& text, const QDate& today) {
  const auto typed = ReadTypedDate(text, today);
  return typed ? ToDate(*typed) : QDate();
}

}  // namespace morvane::services
