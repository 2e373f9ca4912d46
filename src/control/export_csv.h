// The statistics file of the day: its name in the directory file STATAIDANT,
// the first free one, the record written once under it, and the way stored
// texts become fields.
#pragma once

#include <QDate>
#include <stdexcept>
#include <string>
#include <string_view>

#include "mvdb/database.h"
#include "mvdb/dynarray.h"

namespace morvane::control {

/// An export that cannot be completed: no free file name, or the file could
/// not be written. what() is the message shown to the user; nothing was written.
class ExportError : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

/// Highest number tried for the file of one day before the export gives up.
inline constexpr int kNumeroFichierMax = 999;

/// "AbsAidant-" + yyyymmdd of `jour` + n + ".csv" (n without leading zeros).
std::string NomFichierStat(const QDate& jour, int numero);

/// The smallest n from 1 whose name the file does not hold. A probe that fails
/// for another reason than a missing record counts the name as taken. Throws
/// ExportError when every n up to kNumeroFichierMax is taken.
std::string PremierNomLibre(const mvdb::DbFile& stat, const QDate& jour);

/// Writes `fichier` (a record made with DBNew under a name of `jour`) as a new
/// record. When another writer took the name meanwhile, the record moves to the
/// next free name and is written there: two exports never overwrite each other.
/// Returns the name written. Throws ExportError (message naming the file) when
/// the write fails or no name is free; nothing is left behind then.
std::string EcrireNouveauFichier(const mvdb::DbFile& stat, const QDate& jour, mvdb::DynArray& fichier);

/// A field as a spreadsheet reads it back whole: quoted (RFC 4180, inner
/// double quotes doubled) when it holds ";", a double quote, CR or LF, else
/// unchanged.
std::string ChampCsv(std::string_view texte);
/// A stored text (name, address, town, observation, label, code) as a field:
/// a text that a spreadsheet would run as a formula (beginning with "=", "+",
/// "-" or "@" and neither a number nor a telephone number) gets a leading
/// apostrophe, then the field is quoted as ChampCsv says.
std::string TexteCsv(std::string_view texte);

}  // namespace morvane::control
