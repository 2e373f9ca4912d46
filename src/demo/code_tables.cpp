#include "demo/code_tables.h"

namespace morvane::demo {

const std::vector<CodeEntry>& AbsenceReasons() {
  // Position p (from 1) holds code p up to 32; codes 18-21 and 35 belong to no
  // absence type; 50 and above are "other" reasons.
  static const std::vector<CodeEntry> reasons = {
      {"01", "Maladie"},
      {"02", "Accident du travail"},
      {"03", "Mi-temps thérapeutique"},
      {"04", "Accident de trajet"},
      {"05", "Maladie professionnelle"},
      {"06", "Hospitalisation"},
      {"07", "Décès d'un proche"},
      {"08", "Mariage ou PACS"},
      {"09", "Naissance ou adoption"},
      {"10", "Enfant malade"},
      {"11", "Evènement familial"},
      {"12", "Congés payés (CP)"},
      {"13", "Congé parental temps partiel"},
      {"14", "Congé sans solde"},
      {"15", "Récupération"},
      {"16", "Congé d'ancienneté (CP)"},
      {"17", "Congé de fractionnement (CP)"},
      {"18", "Absence injustifiée"},
      {"19", "Mise à pied"},
      {"20", "Grève"},
      {"21", "Absence autorisée non payée"},
      {"22", "Absence à valider"},
      {"23", "Congé maternité"},
      {"24", "Convocation administrative"},
      {"25", "Congé paternité"},
      {"26", "Congé délai de prévenance"},
      {"27", "Congés reportés suite arrêt"},
      {"28", "Congé de formation"},
      {"29", "Arrêt Covid 19 - isolement"},
      {"30", "Rechute accident du travail"},
      {"31", "Congé de solidarité familiale"},
      {"32", "Covid 19 - personne vulnérable"},
      {"35", "Formation professionnelle"},
      {"50", "Autre absence rémunérée"},
      {"51", "Autre absence non rémunérée"},
      {"55", "Visite médicale du travail"},
      {"60", "Délégation syndicale"},
  };
  return reasons;
}

const std::vector<CodeEntry>& StreetTypes() {
  static const std::vector<CodeEntry> types = {
      {"RUE", "Rue"},         {"AV", "Avenue"},   {"BD", "Boulevard"},
      {"CHE", "Chemin"},      {"IMP", "Impasse"}, {"PL", "Place"},
      {"RTE", "Route"},       {"ALL", "Allée"},   {"QUAI", "Quai"},
      {"CRS", "Cours"},       {"LOT", "Lotissement"}, {"MTE", "Montée"},
  };
  return types;
}

const std::vector<CodeEntry>& Titles() {
  static const std::vector<CodeEntry> titles = {
      {"1", "Monsieur"}, {"2", "Madame"}, {"3", "Mademoiselle"}};
  return titles;
}

namespace {

FileRecord Table(const std::string& name, const std::string& title,
                 const std::vector<CodeEntry>& entries) {
  std::vector<std::string> codes, labels;
  codes.reserve(entries.size());
  labels.reserve(entries.size());
  for (const auto& e : entries) {
    codes.push_back(e.code);
    labels.push_back(e.label);
  }
  FileRecord r{"TABLES", name, {}};
  r.record.Set(1, title).SetValues(2, std::move(codes)).SetValues(3, std::move(labels));
  return r;
}

}  // namespace

std::vector<FileRecord> CodeTables() {
  return {
      Table("ABSENCES", "Motifs d'absence", AbsenceReasons()),
      Table("NATUREVOIE", "Nature de voie", StreetTypes()),
      Table("TITRES", "Titres de civilité", Titles()),
  };
}

}  // namespace morvane::demo
