// Module Variable: the one process-wide state of the control library. Every
// instance of Ctr_Morvane in the process shares it: the database objects
// handed in by the host, the sixteen open file handles and one current record
// per handle. Terminating any instance closes the files for all of them.
#pragma once

#include "mvdb/database.h"
#include "mvdb/dynarray.h"

namespace morvane::control::Variable {

/// The database client set by TheClient; not owned, never released by the
/// control (it is only handed on to the sibling controls).
inline mvdb::Client* TheClient = nullptr;
/// The database set by TheDatabase; not owned (the host owns it). Set back to
/// null by Fermer_Fichiers, after which no instance may read the database.
inline mvdb::Database* TheDatabase = nullptr;

// Open file handles, in the order Ouvrir_Fichiers opens them. A handle is
// closed (IsOpen() false) before Ouvrir_Fichiers and after Fermer_Fichiers.
inline mvdb::DbFile FicAbsence;        ///< 1  ABSENCESAIDANT
inline mvdb::DbFile FicCivil;          ///< 2  CIVILAIDANT
inline mvdb::DbFile FicCommunes;       ///< 3  COMMUNES
inline mvdb::DbFile FicSecteur;        ///< 4  SECTEUR (look-ups, list headers)
inline mvdb::DbFile FicTables;         ///< 5  TABLES (code tables)
inline mvdb::DbFile FicStat;           ///< 6  STATAIDANT (directory of CSV exports)
inline mvdb::DbFile FicSecteur2;       ///< 7  SECTEUR again, used by the CSV export only
inline mvdb::DbFile FicSousSecteur;    ///< 8  SOUSSECTEUR
inline mvdb::DbFile FicQuartier;       ///< 9  QUARTIER
inline mvdb::DbFile FicActivites;      ///< 10 ACTIVITES
inline mvdb::DbFile FicAssociation;    ///< 11 ASSOCIATION (legal entities)
inline mvdb::DbFile FicContrat;        ///< 12 CONTRAT
inline mvdb::DbFile FicGrilles;        ///< 13 GRILLESCC
inline mvdb::DbFile FicCompteur;       ///< 14 COMPTEUR
inline mvdb::DbFile FicEtablissement;  ///< 15 ETABLISSEMENT
inline mvdb::DbFile FicConvention;     ///< 16 CONVENTIONCOL

// Current records: the record most recently read from the handle of the same
// line, kept until the next read; emptied by Fermer_Fichiers.
inline mvdb::DynArray EnregAbsence;
inline mvdb::DynArray EnregCivil;
inline mvdb::DynArray EnregCommune;
inline mvdb::DynArray EnregSecteur;
inline mvdb::DynArray EnregTables;
inline mvdb::DynArray EnregStat;
inline mvdb::DynArray EnregSecteur2;
inline mvdb::DynArray EnregSousSecteur;
inline mvdb::DynArray EnregQuartier;
inline mvdb::DynArray EnregActivites;
inline mvdb::DynArray EnregAssociation;
inline mvdb::DynArray EnregContrat;
inline mvdb::DynArray EnregGrilles;
inline mvdb::DynArray EnregCompteur;
inline mvdb::DynArray EnregEtablissement;
inline mvdb::DynArray EnregConvention;

}  // namespace morvane::control::Variable
