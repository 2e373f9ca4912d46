#include "demo/dictionaries.h"

namespace morvane::demo {
namespace {

constexpr const char* kCarerKey = "@ID[1,5]";    // carer code at the head of an absence key
constexpr const char* kEntityKey = "@ID[1,3]";   // entity code at the head of an activity key

FileRecord KeyPart(const std::string& file, const std::string& name, int start, int length,
                   const char* justification, bool indexed, const std::string& description) {
  FileRecord r{"DICT " + file, name, {}};
  r.record.Set(1, "K").Set(2, std::to_string(start)).Set(3, std::to_string(length));
  r.record.Set(4, "").Set(5, justification).Set(6, indexed ? "1" : "").Set(7, description);
  return r;
}

FileRecord Attribute(const std::string& file, const std::string& name, int attribute,
                     const char* justification, bool indexed, const std::string& description) {
  FileRecord r{"DICT " + file, name, {}};
  r.record.Set(1, "A").Set(2, std::to_string(attribute)).Set(3, "").Set(4, "");
  r.record.Set(5, justification).Set(6, indexed ? "1" : "").Set(7, description);
  return r;
}

FileRecord Translation(const std::string& file, const std::string& name, const std::string& target,
                       const std::string& keyExpression, int attribute,
                       const std::string& description) {
  FileRecord r{"DICT " + file, name, {}};
  r.record.Set(1, "T").Set(2, target).Set(3, keyExpression).Set(4, std::to_string(attribute));
  r.record.Set(5, "L").Set(6, "").Set(7, description);
  return r;
}

}  // namespace

std::vector<FileRecord> Dictionaries() {
  const std::string abs = "ABSENCESAIDANT";
  return {
      KeyPart(abs, "CodeAidantAbs", 1, 5, "L", true, "Code de l'aidant"),
      KeyPart(abs, "NumMotifAidant", 6, 2, "R", true, "Code motif d'absence"),
      KeyPart(abs, "DebAbsAidant", 8, 5, "R", true, "Premier jour d'absence"),
      Attribute(abs, "FinAbsAidant", 2, "R", true, "Dernier jour d'absence"),
      Translation(abs, "CodeSectAbs", "CIVILAIDANT", kCarerKey, 31, "Secteur de l'aidant"),
      Translation(abs, "SecteurAbsAidant", "CIVILAIDANT", kCarerKey, 31,
                  "Secteur de l'aidant (tri)"),
      Translation(abs, "CommuneAbsAidant", "CIVILAIDANT", kCarerKey, 11,
                  "Commune de l'aidant (nom de la ville)"),
      Translation(abs, "NomAidant", "CIVILAIDANT", kCarerKey, 2, "Nom de l'aidant"),
      Translation(abs, "PrenomAidant", "CIVILAIDANT", kCarerKey, 3, "Prénom de l'aidant"),
      KeyPart("CONTRAT", "CodeAidant", 1, 5, "L", true, "Code de l'aidant du contrat"),
      Attribute("CONTRAT", "DebContrat", 7, "R", false, "Début du contrat"),
      Attribute("CONTRAT", "FinContrat", 8, "R", false, "Fin du contrat"),
      Translation("ACTIVITES", "LibAssoActivites", "ASSOCIATION", kEntityKey, 1,
                  "Sigle de l'entité juridique"),
      Attribute("CIVILAIDANT", "NomCivil", 2, "L", false, "Nom de l'aidant"),
      Attribute("CIVILAIDANT", "SecteurCivil", 31, "L", true, "Secteur de l'aidant"),
  };
}

std::vector<IndexedField> IndexedFields() {
  std::vector<IndexedField> fields;
  for (const FileRecord& r : Dictionaries()) {
    if (r.record.Get(6) == "1") fields.push_back({r.file.substr(5), r.key});
  }
  return fields;
}

}  // namespace morvane::demo
