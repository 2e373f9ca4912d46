#include "services/print_fonts.h"

#include <array>
#include <mutex>
#include <utility>

namespace morvane::services {

namespace {

constexpr std::array<std::pair<const char*, const char*>, 4> kFamilyMap{{
    {"courier new", "Liberation Mono"},
    {"courier", "Liberation Mono"},
    {"arial", "Liberation Sans"},
    {"times new roman", "Liberation Serif"},
}};

void RegisterSubstitutions() {
  static std::once_flag once;
  std::call_once(once, [] {
    QFont::insertSubstitution(QStringLiteral("Courier New"), QStringLiteral("Liberation Mono"));
    QFont::insertSubstitution(QStringLiteral("Courier"), QStringLiteral("Liberation Mono"));
    QFont::insertSubstitution(QStringLiteral("Arial"), QStringLiteral("Liberation Sans"));
    QFont::insertSubstitution(QStringLiteral("Times New Roman"), QStringLiteral("Liberation Serif"));
  });
}

}  // namespace

QString ResolvePrintFamily(const QString& family) {
  RegisterSubstitutions();
  const QString key = family.trimmed().toLower();
  for (const auto& [from, to] : kFamilyMap) {
    if (key == QLatin1String(from)) return QString::fromLatin1(to);
  }
  return family.trimmed();
}

QFont MakePrintFont(const QString& family, double points, bool bold, bool underline) {
  QFont font(ResolvePrintFamily(family));
  font.setPointSizeF(points > 0 ? points : 10.0);
  font.setBold(bold);
  font.setUnderline(underline);
  font.setHintingPreference(QFont::PreferNoHinting);
  font.setKerning(false);
  return font;
}

}  // namespace morvane::services
