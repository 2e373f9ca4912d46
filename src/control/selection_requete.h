// The absence query: the text of "SSELECT ABSENCESAIDANT ..." for the
// criteria and a period, and what the form may put into it as a value.
#pragma once

#include <QString>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "control/criteres.h"
#include "mvdb/dynarray.h"

namespace morvane::control {

/// The file the absence query selects from, and the attributes it returns:
/// the key, start half-day, last day, end half-day and observation.
inline constexpr const char* kFichierAbsences = "ABSENCESAIDANT";
inline constexpr const char* kAttributsAbsences = "0 1 2 3 29";

/// Column of a result row that keeps the absence key as selected, even after
/// the portion filter has rewritten column 1 with a portion's start day.
/// Readers that look the absence record up again use this column.
inline constexpr int kColonneCleAbsence = 8;

/// What the query language would read as syntax in `valeur` written between
/// double quotes: a double quote (it ends the value), "]" at the end (the
/// begins-with mark), a record mark (bytes 0xFE, 0xFD, 0xFC) or a control
/// character. Returns the first one found, described for a message ("le
/// caractère \" (guillemet)"), or nullopt when the value reads as itself.
std::optional<QString> SyntaxeDansValeur(std::string_view valeur);

/// `texte` without what SyntaxeDansValeur finds: double quotes, control
/// characters and trailing "]" removed.
QString SansSyntaxe(QString texte);

/// Builds the whole "SSELECT ABSENCESAIDANT ..." text for the criteria and the
/// period [debut, fin] (day numbers); criteria without any ticked type give
/// the bare select with its sort. A type counts when its box is ticked (a
/// grayed box does not). Throws std::invalid_argument when the sector code or
/// the commune name holds query syntax (the form refuses such criteria before).
std::string RequeteAbsences(const Criteres& criteres, std::int32_t debut, std::int32_t fin);

/// The selection request handed to DBSelect: attribute 1 the query, 2 the
/// file, 3 the attribute list.
mvdb::DynArray DemandeSelection(const std::string& requete, const std::string& fichier,
                                const std::string& attributs);

/// Copies column 1 of every row into kColonneCleAbsence (linear).
void MemoriserClesAbsences(mvdb::DynArray& resultat);

}  // namespace morvane::control
