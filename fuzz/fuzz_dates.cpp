// The date service's conversions on arbitrary text: FormaterDate, DateInterne
// and DateExterne never crash, and what they produce is consistent: a date
// that DateInterne accepts comes back unchanged through DateExterne.
#include <QString>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <memory>

#include "services/outils_date.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  if (size > 256) return -1;
  static const std::unique_ptr<morvane::services::OutilsDate> service =
      morvane::services::MakeBatchOutilsDate(-1, 1);
  QString typed = QString::fromUtf8(reinterpret_cast<const char*>(data), static_cast<qsizetype>(size));
  const QString before = typed;
  const QString shown = service->FormaterDate(typed, false);
  if (typed != before) std::abort();  // the typed text is never modified
  const QString day = service->DateInterne(shown);
  if (!day.isEmpty()) {
    const QString back = service->DateExterne(day);
    if (back != shown) std::abort();
    if (service->DateInterne(back) != day) std::abort();
  }
  (void)service->DateInterne(typed);
  (void)service->DateExterne(typed);
  return 0;
}
