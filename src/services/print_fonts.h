// Font families of the print surface: the classic office family names the
// layouts ask for, mapped onto the metric-compatible families installed here.
#pragma once

#include <QFont>
#include <QString>

namespace morvane::services {

/// The installed family that stands for `family`: "Courier New" and "Courier"
/// give "Liberation Mono", "Arial" gives "Liberation Sans", "Times New Roman"
/// gives "Liberation Serif" (case-insensitive); any other name is returned as
/// given. Also registers these as QFont substitutions, once per process.
QString ResolvePrintFamily(const QString& family);

/// A font for the print surface: resolved family, point size, bold, underline,
/// without hinting so that its metrics scale exactly with the resolution.
QFont MakePrintFont(const QString& family, double points, bool bold, bool underline);

}  // namespace morvane::services
