// The association's fixed organisation: sectors, sub-sectors, districts,
// communes, legal entities and their activities, establishments, collective
// agreements, agreement grids, the counter record and the users' rights.
#pragma once

#include <string>
#include <vector>

#include "demo/record_text.h"

namespace morvane::demo {

/// A commune of the association's area and the sector that covers it.
struct Commune {
  std::string code;    ///< 5 characters, the postcode-like key of COMMUNES
  std::string name;    ///< upper case, as carers' addresses store the town
  std::string sector;  ///< sector that covers it
};

/// A legal entity and the activity types it runs.
struct Entity {
  std::string code;        ///< 3 characters
  std::string name;        ///< upper-case short name
  std::string activities;  ///< activity types it runs ("PM", "PI", ...), may be empty
};

/// The sectors' codes "001".. in order.
std::vector<std::string> SectorCodes();
/// Sub-sector codes of a sector (sector code + one digit).
std::vector<std::string> SubSectorsOf(const std::string& sector);
/// District codes of a commune ("Q" + commune code + one digit).
std::vector<std::string> DistrictsOf(const Commune& commune);
const std::vector<Commune>& Communes();
/// The legal entities; the first one is the default entity of COMPTEUR.
const std::vector<Entity>& Entities();
/// Establishment codes (keys of ETABLISSEMENT).
std::vector<std::string> EstablishmentCodes();
/// Agreement grid keys (keys of GRILLESCC).
std::vector<std::string> GridKeys();
/// Category texts used by contracts without a grid.
const std::vector<std::string>& Categories();

/// Every fixed record: SECTEUR, SOUSSECTEUR, QUARTIER, COMMUNES, ASSOCIATION,
/// ACTIVITES, ETABLISSEMENT, CONVENTIONCOL, GRILLESCC, COMPTEUR, DROITS.
std::vector<FileRecord> OrganisationRecords();

}  // namespace morvane::demo
