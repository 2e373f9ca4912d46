// The top of the paid-leave information letter: code look-ups in the code
// tables of TABLES, the employer heading, the addressee block with its empty
// lines moved up, and the date line. Pure functions of the records, shared by
// the printed letter and the mail merge.
#pragma once

#include <QDate>
#include <QString>
#include <array>

#include "mvdb/dynarray.h"

namespace morvane::services::lettre {

/// `texte` without leading and trailing blanks (spaces only, tabs and line
/// breaks are kept).
QString SansBlancs(const QString& texte);

/// Looks `record`'s attribute `attribut` up in a code table (attribute 2 the
/// codes, 3 the labels at the same positions; the walk ends at the first empty
/// code). When the code is found the attribute is replaced, in memory only, by
/// its label in upper case; otherwise it is left unchanged.
void RemplacerCode(mvdb::DynArray& record, int attribut, const mvdb::DynArray& table);

/// The employer heading of a legal entity (ASSOCIATION), its street type
/// already replaced by its label.
struct EnteteEmployeur {
  QString nom;          ///< attribute 1, printed in bold
  QString rue;          ///< number, complement, street type, street name
  QString complement;   ///< attribute 7, printed even when empty
  QString ville;        ///< postcode and town; not printed when empty
  QString cedex;        ///< "CEDEX <number>" for a CEDEX address, "" (a blank line) otherwise
  QString telephone;    ///< "Tel : <telephone>"
  QString courriel;     ///< "Mail: <e-mail>"
};
EnteteEmployeur Employeur(const mvdb::DynArray& association);

/// The addressee block of a carer (CIVILAIDANT), title and street type already
/// replaced by their labels.
struct Destinataire {
  QString titre;                  ///< attribute 1: the title label, used by the salutation
  QString nom;                    ///< title, surname and first name in upper case
  std::array<QString, 3> adresse; ///< street, complement, postcode and town; empty ones moved up
};
Destinataire DestinataireDe(const mvdb::DynArray& civil);

/// The date of the place-and-date line: "15 FÉVRIER 2025" (day on two digits,
/// French month name, upper case).
QString DateEnLettres(const QDate& date);

/// The place-and-date line: "<town>, LE <date in words>".
QString LieuEtDate(const mvdb::DynArray& association, const QDate& date);

/// The three lines of the fixed opening paragraph.
const std::array<QString, 3>& TexteOuverture();

/// Headings of the two sections and the caption above the signature.
inline constexpr const char* kTitreAcquis = "1 - Congés acquis et non pris :";
inline constexpr const char* kTitreEnCours = "2 - Congés payés en cours d'acquisition :";
inline constexpr const char* kNomEtSignature = "Nom et signature";

/// The letter type under which the letter's signature pictures and model are kept.
inline constexpr const char* kTypeLettre = "LETTREINFOCP";

}  // namespace morvane::services::lettre
