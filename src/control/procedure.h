// Module Procedure: opening and closing of the control's database files
// (the handles of module Variable).
#pragma once

#include <array>
#include <string_view>

namespace morvane::control::Procedure {

/// The files opened by Ouvrir_Fichiers, in opening order (SECTEUR twice).
inline constexpr std::array<std::string_view, 16> kFichiers = {
    "ABSENCESAIDANT", "CIVILAIDANT", "COMMUNES",   "SECTEUR",       "TABLES",       "STATAIDANT",
    "SECTEUR",        "SOUSSECTEUR", "QUARTIER",   "ACTIVITES",     "ASSOCIATION",  "CONTRAT",
    "GRILLESCC",      "COMPTEUR",    "ETABLISSEMENT", "CONVENTIONCOL"};

/// Opens the sixteen handles of Variable with DBOpen on Variable::TheDatabase.
/// Throws std::logic_error when no database was handed in, and mvdb::DbError
/// (kFileNotFound naming the file) when a file is missing; handles opened
/// before the failure stay open until Fermer_Fichiers.
void Ouvrir_Fichiers();

/// Releases every current record and every handle, then the database object
/// (Variable::TheDatabase becomes null; the host still owns and deletes it).
/// Never throws; safe to call twice.
void Fermer_Fichiers();

/// Number of open handles of Variable (0 to 16); for checks and tests.
int Fichiers_Ouverts();

}  // namespace morvane::control::Procedure
