#include "demo/organisation.h"

#include <cstdio>

namespace morvane::demo {
namespace {

struct Labelled {
  std::string code;
  std::string label;
};

const std::vector<Labelled>& Sectors() {
  static const std::vector<Labelled> sectors = {
      {"001", "Saint-Étienne Centre"}, {"002", "Saint-Étienne Nord"},
      {"003", "Ondaine"},              {"004", "Vallée du Gier"},
      {"005", "Plaine du Forez"},      {"006", "Monts du Forez"},
      {"007", "Roannais"},             {"008", "Pilat"},
  };
  return sectors;
}

const std::vector<std::string>& SubSectorNames() {
  static const std::vector<std::string> names = {"Zone urbaine", "Zone périurbaine", "Zone rurale"};
  return names;
}

const std::vector<std::string>& DistrictNames() {
  static const std::vector<std::string> names = {"Centre-ville", "Les Hauts", "La Gare"};
  return names;
}

struct Address {
  std::string number, complement, streetType, street, extra, postcode, town;
};

void SetAddress(RecordText& r, int first, const Address& a) {
  r.Set(first, a.number).Set(first + 1, a.complement).Set(first + 2, a.streetType);
  r.Set(first + 3, a.street).Set(first + 4, a.extra).Set(first + 5, a.postcode).Set(first + 6, a.town);
}

struct EntityDetails {
  Address address;
  bool cedex;
  std::string cedexNumber, phone, mail;
};

const std::vector<EntityDetails>& EntityAddresses() {
  static const std::vector<EntityDetails> details = {
      {{"12", "", "RUE", "de la République", "", "42000", "SAINT-ÉTIENNE"}, false, "",
       "04 77 32 15 80", "contact@adom-loire.fr"},
      {{"3", "B", "AV", "Albert Raimond", "Bâtiment A", "42270", "SAINT-PRIEST-EN-JAREZ"}, true, "1",
       "04 77 79 40 12", "accueil@entraide-forez.fr"},
      {{"45", "", "BD", "Karl Marx", "", "42100", "SAINT-ÉTIENNE"}, false, "",
       "04 77 41 27 63", "services@presence-seniors.fr"},
      {{"7", "", "PL", "de l'Hôtel de Ville", "BP 118", "42600", "MONTBRISON"}, true, "2",
       "04 77 58 03 44", "mandat@famille-services.fr"},
      {{"1", "", "RUE", "Gambetta", "", "42300", "ROANNE"}, false, "", "04 77 71 90 00", ""},
  };
  return details;
}

FileRecord Coded(const std::string& file, const std::string& key, const std::string& label) {
  FileRecord r{file, key, {}};
  r.record.Set(1, label);
  return r;
}

const char* ActivityLabel(char type) {
  switch (type) {
    case 'P': return "Aide à domicile prestataire";
    case 'I': return "Intervention auprès des familles";
    case 'S': return "Soins infirmiers à domicile";
    case 'M': return "Emploi direct mandataire";
    default: return "Activité";
  }
}

FileRecord Agreement(const std::string& kind, const std::string& label, const char* paidOuvre,
                     const char* seniorityOuvre, const char* seniorityDec31, const char* yearMode,
                     const char* splitOuvre, const char* noticeOuvre) {
  FileRecord r{"CONVENTIONCOL", kind, {}};
  r.record.Set(1, label).Set(2, paidOuvre).Set(12, seniorityOuvre).Set(13, seniorityDec31);
  r.record.Set(28, yearMode).Set(42, splitOuvre).Set(76, noticeOuvre);
  return r;
}

// Grid: 7 category label; 10 hourly rates in thousandths, parallel to 11 the
// year-month (yyyymm) from which each rate applies, oldest first.
FileRecord Grid(const std::string& key, const std::string& label, std::vector<std::string> rates) {
  FileRecord r{"GRILLESCC", key, {}};
  r.record.Set(1, key).Set(7, label);
  r.record.SetValues(10, std::move(rates)).SetValues(11, {"202301", "202401", "202501"});
  return r;
}

FileRecord Rights(const std::string& user, const std::string& display, const std::string& level,
                  std::vector<std::string> sectors) {
  const std::vector<std::string> files = {"ABSENCESAIDANT", "CIVILAIDANT", "CONTRAT", "STATAIDANT"};
  FileRecord r{"DROITS", user, {}};
  r.record.SetValues(1, files).SetValues(2, std::vector<std::string>(files.size(), level));
  r.record.SetValues(3, std::move(sectors)).Set(4, display);
  return r;
}

}  // namespace

std::vector<std::string> SectorCodes() {
  std::vector<std::string> codes;
  for (const auto& s : Sectors()) codes.push_back(s.code);
  return codes;
}

std::vector<std::string> SubSectorsOf(const std::string& sector) {
  std::vector<std::string> codes;
  for (std::size_t i = 0; i < SubSectorNames().size(); ++i) codes.push_back(sector + std::to_string(i + 1));
  return codes;
}

std::vector<std::string> DistrictsOf(const Commune& commune) {
  std::vector<std::string> codes;
  for (std::size_t i = 0; i < DistrictNames().size(); ++i) {
    codes.push_back("Q" + commune.code + std::to_string(i + 1));
  }
  return codes;
}

const std::vector<Commune>& Communes() {
  static const std::vector<Commune> communes = {
      {"42000", "SAINT-ÉTIENNE", "001"},        {"42100", "SAINT-ÉTIENNE", "001"},
      {"42270", "SAINT-PRIEST-EN-JAREZ", "002"}, {"42650", "SAINT-JEAN-BONNEFONDS", "002"},
      {"42290", "SORBIERS", "002"},             {"42350", "LA TALAUDIÈRE", "002"},
      {"42700", "FIRMINY", "003"},              {"42230", "ROCHE-LA-MOLIÈRE", "003"},
      {"42500", "LE CHAMBON-FEUGEROLLES", "003"}, {"42240", "UNIEUX", "003"},
      {"42150", "LA RICAMARIE", "003"},         {"42400", "SAINT-CHAMOND", "004"},
      {"42800", "RIVE-DE-GIER", "004"},         {"42152", "L'HORME", "004"},
      {"42420", "LORETTE", "004"},              {"42160", "ANDRÉZIEUX-BOUTHÉON", "005"},
      {"42170", "SAINT-JUST-SAINT-RAMBERT", "005"}, {"42340", "VEAUCHE", "005"},
      {"42110", "FEURS", "005"},                {"42600", "MONTBRISON", "006"},
      {"42380", "SAINT-BONNET-LE-CHÂTEAU", "006"}, {"42440", "NOIRÉTABLE", "006"},
      {"42300", "ROANNE", "007"},               {"42153", "RIORGES", "007"},
      {"42120", "LE COTEAU", "007"},            {"42220", "BOURG-ARGENTAL", "008"},
      {"42410", "PÉLUSSIN", "008"},             {"42660", "SAINT-GENEST-MALIFAUX", "008"},
  };
  return communes;
}

const std::vector<Entity>& Entities() {
  static const std::vector<Entity> entities = {
      {"010", "ADOM LOIRE", "PM"},
      {"020", "ENTRAIDE FOREZ", "PI"},
      {"030", "PRÉSENCE SENIORS", "S"},
      {"040", "FAMILLE SERVICES MANDATAIRE", "M"},
      {"090", "ANCIENNE STRUCTURE", ""},
  };
  return entities;
}

std::vector<std::string> EstablishmentCodes() { return {"01", "02", "03"}; }

std::vector<std::string> GridKeys() { return {"A1", "A2", "B1", "B2", "C1", "C2", "D1"}; }

const std::vector<std::string>& Categories() {
  static const std::vector<std::string> categories = {
      "Agent à domicile", "Employé à domicile", "Auxiliaire de vie sociale", "Technicien d'intervention"};
  return categories;
}

std::vector<FileRecord> OrganisationRecords() {
  std::vector<FileRecord> out;
  for (const auto& s : Sectors()) {
    out.push_back(Coded("SECTEUR", s.code, s.label));
    const auto subs = SubSectorsOf(s.code);
    for (std::size_t i = 0; i < subs.size(); ++i) {
      out.push_back(Coded("SOUSSECTEUR", subs[i], s.label + " - " + SubSectorNames()[i]));
    }
  }
  for (const auto& c : Communes()) {
    FileRecord commune = Coded("COMMUNES", c.code, c.name);
    commune.record.Set(2, c.code).Set(3, c.sector);
    out.push_back(std::move(commune));
    const auto districts = DistrictsOf(c);
    for (std::size_t i = 0; i < districts.size(); ++i) {
      out.push_back(Coded("QUARTIER", districts[i], c.name + " - " + DistrictNames()[i]));
    }
  }
  const auto& details = EntityAddresses();
  for (std::size_t e = 0; e < Entities().size(); ++e) {
    const Entity& entity = Entities()[e];
    FileRecord r{"ASSOCIATION", entity.code, {}};
    r.record.Set(1, entity.name);
    SetAddress(r.record, 3, details[e].address);
    r.record.Set(10, details[e].cedex ? "1" : "").Set(11, details[e].cedexNumber);
    r.record.Set(12, details[e].phone).Set(35, details[e].mail);
    out.push_back(std::move(r));
    int sequence = 1;
    for (char type : entity.activities) {
      char suffix[16];
      std::snprintf(suffix, sizeof suffix, "%02d", sequence++);
      FileRecord activity{"ACTIVITES", entity.code + suffix, {}};
      activity.record.Set(1, ActivityLabel(type)).Set(2, entity.code).Set(12, std::string(1, type));
      out.push_back(std::move(activity));
    }
  }
  const std::vector<std::pair<std::string, std::string>> establishments = {
      {"01", "Siège Saint-Étienne"}, {"02", "Antenne Montbrison"}, {"03", "Antenne Roanne"}};
  const std::vector<std::string> noticeMonths = {"05", "06", "12"};
  for (std::size_t i = 0; i < establishments.size(); ++i) {
    FileRecord r = Coded("ETABLISSEMENT", establishments[i].first, establishments[i].second);
    r.record.Set(24, noticeMonths[i]);
    out.push_back(std::move(r));
  }
  // Service-provider contracts: June-May leave year, counted in working days of
  // five; agent-mode contracts: calendar year, six days a week.
  out.push_back(Agreement("01", "Convention de la branche de l'aide à domicile", "1", "0", "1", "0", "1", "0"));
  out.push_back(Agreement("02", "Convention des salariés du particulier employeur", "0", "1", "0", "1", "0", "1"));
  out.push_back(Grid("A1", "Agent à domicile - échelon 1", {"11520", "11650", "11880"}));
  out.push_back(Grid("A2", "Agent à domicile - échelon 2", {"11700", "11830", "12050"}));
  out.push_back(Grid("B1", "Employé à domicile - échelon 1", {"11900", "12100", "12340"}));
  out.push_back(Grid("B2", "Employé à domicile - échelon 2", {"12150", "12380", "12610"}));
  out.push_back(Grid("C1", "Auxiliaire de vie sociale - échelon 1", {"12600", "12890", "13150"}));
  out.push_back(Grid("C2", "Auxiliaire de vie sociale - échelon 2", {"13050", "13320", "13580"}));
  out.push_back(Grid("D1", "Technicien d'intervention sociale", {"14200", "14510", "14800"}));
  FileRecord counter{"COMPTEUR", "999", {}};
  counter.record.Set(1, "Compteurs généraux").Set(47, Entities().front().code);
  out.push_back(std::move(counter));
  out.push_back(Rights("admin", "Administratrice", "2", {}));
  out.push_back(Rights("secteur", "Responsable de secteur", "2", {"001", "003"}));
  out.push_back(Rights("lecteur", "Consultation", "1", {}));
  return out;
}

}  // namespace morvane::demo
