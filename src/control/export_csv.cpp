// The statistics file of the day and its fields (see export_csv.h).
#include "control/export_csv.h"

#include "mvdb/errors.h"

namespace morvane::control {
namespace {

// A number ("-12,5") or a telephone number ("+33 4 77 12 34 56"): digits,
// blanks, dots, commas, hyphens and brackets after an optional sign.
bool NombreOuTelephone(std::string_view texte) {
  if (!texte.empty() && (texte.front() == '+' || texte.front() == '-')) texte.remove_prefix(1);
  bool chiffre = false;
  for (const char c : texte) {
    if (c >= '0' && c <= '9') {
      chiffre = true;
    } else if (std::string_view(" .,-()").find(c) == std::string_view::npos) {
      return false;
    }
  }
  return chiffre;
}

}  // namespace

std::string ChampCsv(std::string_view texte) {
  if (texte.find_first_of(";\"\r\n") == std::string_view::npos) return std::string(texte);
  std::string cite = "\"";
  for (const char c : texte) {
    if (c == '"') cite.push_back('"');
    cite.push_back(c);
  }
  cite.push_back('"');
  return cite;
}

std::string TexteCsv(std::string_view texte) {
  const bool formule = !texte.empty() && std::string_view("=+-@").find(texte.front()) != std::string_view::npos &&
                       !NombreOuTelephone(texte);
  return ChampCsv(formule ? "'" + std::string(texte) : texte);
}

// ---- file name and writing ----

std::string NomFichierStat(const QDate& jour, int numero) {
  return "AbsAidant-" + jour.toString(QStringLiteral("yyyyMMdd")).toStdString() + std::to_string(numero) + ".csv";
}

std::string PremierNomLibre(const mvdb::DbFile& stat, const QDate& jour) {
  for (int numero = 1; numero <= kNumeroFichierMax; ++numero) {
    const std::string nom = NomFichierStat(jour, numero);
    try {
      if (!stat.Exists(nom)) return nom;
    } catch (const mvdb::DbError&) {
      // A name that cannot be probed is left alone: try the next one.
    }
  }
  throw ExportError("Aucun nom de fichier libre dans le répertoire STATAIDANT pour le " +
                    jour.toString(QStringLiteral("dd/MM/yyyy")).toStdString() + " : les fichiers " +
                    NomFichierStat(jour, 1) + " à " + NomFichierStat(jour, kNumeroFichierMax) +
                    " existent ou ne peuvent être lus.");
}

std::string EcrireNouveauFichier(const mvdb::DbFile& stat, const QDate& jour, mvdb::DynArray& fichier) {
  for (int essai = 1;; ++essai) {
    const std::string nom = fichier.BoundKey();
    try {
      fichier.DBWriteNew();
      return nom;
    } catch (const mvdb::DbError& e) {
      if (e.code() != mvdb::ErrorCode::kRecordExists || essai >= kNumeroFichierMax) {
        throw ExportError("Le fichier " + nom + " n'a pas pu être écrit dans le répertoire STATAIDANT : " +
                          e.what());
      }
    }
    // Another export took the name since it was probed: move to the next free one.
    mvdb::DynArray ailleurs = stat.DBNew(PremierNomLibre(stat, jour));
    ailleurs.SetText(fichier.Text());
    fichier = std::move(ailleurs);
  }
}

}  // namespace morvane::control
