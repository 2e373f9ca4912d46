// The statistics export "Fichier graphique": one semicolon-separated line per
// selected absence, written once as a new record of the directory file
// STATAIDANT under the day's first free name "AbsAidant-yyyymmddn.csv".
//
// Fields are written as they are, except the observation, whose line breaks
// become " | ", and two cases ordinary data never meets: a field holding ";",
// a double quote or a line break is quoted (RFC 4180), so the columns never
// shift; a stored text that a spreadsheet would run as a formula gets a
// leading apostrophe.
//
// Choices of this export:
// - only the carers of the sectors the user may see are exported, as the
//   printed list shows them: a carer not on file has no sector and is left out;
// - a sector, sub-sector, district, contract, grid or entity record that
//   does not exist (or whose key is blank) leaves the columns taken from it
//   empty and the export goes on; any other database failure stops the export
//   before anything is written;
// - a row whose contract key names no contract keeps its 30 fields, the
//   contract's columns empty;
// - a day count needs numeric start and end days, the period figures a valid
//   period, the activity percentage a numeric column 7: otherwise the field is
//   empty;
// - records the export reads many times with the same key (the reason table,
//   labels, computed rates) are read once per export.
#include "control/export_fichier.h"

#include <QCheckBox>
#include <QLineEdit>

#include "control/ctr_morvane.h"
#include "control/list_rows.h"
#include "control/variable.h"
#include "services/outils_date.h"

namespace morvane::control {

const char* const kEnteteLong =
    "Code;Nom;Prénom;Ligne adresse 1;Ligne adresse 2;Code postal;Ville;Téléphone 1;Téléphone 2;"
    "Date début absence;Début Matin ou Après-midi -> M ou A;Date fin absence;Fin Midi ou Soir -> M ou S;"
    "Code motif;Libellé motif;Observation;Secteur;Sous-secteur;Quartier;Nb jours d'absence;"
    "Nb jours d'absence sur période référence;Heures mensuelles contrat;"
    "Heures d'absence sur période référence;Catégorie;Code entité;Sigle entité;Sexe;Date naissance;"
    "% activité;Taux horaire";

const char* const kEnteteCourt =
    "Code;Nom;Prénom;Ligne adresse 1;Ligne adresse 2;Code postal;Ville;Téléphone 1;Téléphone 2;"
    "Date début absence;Début Matin ou Après-midi -> M ou A;Date fin absence;Fin Midi ou Soir -> M ou S;"
    "Code motif;Libellé motif;Observation;Secteur;Sous-secteur;Quartier;Sexe;Date naissance;% activité";

namespace {

// Absences of table position 11 that began on or before 31/12/2011 (day 16071)
// were house moves: that position's label changed afterwards.
constexpr int kPositionAncienLibelle = 11;
constexpr std::int64_t kDernierJourAncienLibelle = 16071;
const char* const kAncienLibelle = "Evènement famille : déménagement";

// Result row columns.
constexpr int kColCle = 1;
constexpr int kColDemiJourDebut = 2;
constexpr int kColFin = 3;
constexpr int kColDemiJourFin = 4;
constexpr int kColObservation = 5;
constexpr int kColContrat = 6;
constexpr int kColActivite = 7;

bool Blanc(std::string_view texte) { return SansEspaces(texte).empty(); }

// Reads a record; nullopt when the key is blank or the file does not hold it.
std::optional<mvdb::DynArray> LireSiPresent(const mvdb::DbFile& fichier, const std::string& cle) {
  if (Blanc(cle)) return std::nullopt;
  try {
    return fichier.DBRead(cle);
  } catch (const mvdb::DbError& e) {
    if (e.IsNotFound()) return std::nullopt;
    // The storage's own text does not say which record of which file failed.
    throw mvdb::DbError(e.code(), "Lecture de l'enregistrement \"" + cle + "\" du fichier " + fichier.Name() +
                                      " impossible : " + e.what());
  }
}

// The observation on one line: trimmed of spaces, CR LF becomes " | ", any
// other CR or LF is dropped.
std::string ObservationExportee(std::string_view observation) {
  observation = SansEspaces(observation);
  std::string resultat;
  resultat.reserve(observation.size() + 8);
  for (std::size_t i = 0; i < observation.size(); ++i) {
    const char c = observation[i];
    if (c == '\r' && i + 1 < observation.size() && observation[i + 1] == '\n') {
      resultat += " | ";
      ++i;
    } else if (c != '\r' && c != '\n') {
      resultat += c;
    }
  }
  return resultat;
}

// First address line: street number, complement and street type each followed
// by one space when given, then the street name; empty when nothing is given.
std::string LigneAdresse(const mvdb::DynArray& aidant) {
  std::string adresse;
  for (int attribut : {5, 6, 7}) {
    const std::string partie = aidant.Item(attribut);
    if (!Blanc(partie)) adresse.append(SansEspaces(partie)).push_back(' ');
  }
  const std::string rue = aidant.Item(8);
  if (!Blanc(rue)) adresse.append(SansEspaces(rue));
  return Blanc(adresse) ? std::string() : adresse;
}

std::string SiBlancUnEspace(std::string texte) { return Blanc(texte) ? std::string(" ") : texte; }

// A computed field: a date, a number, a letter.
void Champ(std::string& ligne, std::string_view texte) {
  ligne.push_back(';');
  ligne.append(texte);
}

// A field of stored text.
void Texte(std::string& ligne, std::string_view texte) {
  ligne.push_back(';');
  ligne.append(TexteCsv(texte));
}

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

// ---- lines ----

LignesExport::LignesExport(SourcesExport sources, ParametresExport parametres, services::OutilsDate& dates)
    : sources_(std::move(sources)), parametres_(std::move(parametres)), dates_(dates) {
  joursDuMois_ = JoursDuMois(parametres_.txtDebut, parametres_.txtFin);
}

std::string LignesExport::Entete() const { return parametres_.formatLong ? kEnteteLong : kEnteteCourt; }

bool LignesExport::Visible(const mvdb::DynArray& resultat, int ligne) {
  if (!parametres_.droits) return true;
  LireAidant(CodeAidant(resultat, ligne));
  return parametres_.droits->SecteurAutorise(QString::fromStdString(secteurAidant_), false).value_or(false);
}

std::string LignesExport::DateAffichee(std::string_view jour) {
  if (Blanc(jour)) return {};
  return dates_.DateExterne(QString::fromUtf8(jour.data(), static_cast<qsizetype>(jour.size()))).toStdString();
}

const std::string& LignesExport::Libelle(const mvdb::DbFile& fichier, std::unordered_map<std::string, std::string>& cache,
                                         const std::string& cle, int attribut) {
  auto trouve = cache.find(cle);
  if (trouve != cache.end()) return trouve->second;
  const auto enreg = LireSiPresent(fichier, cle);
  return cache.emplace(cle, enreg ? enreg->Item(attribut) : std::string()).first->second;
}

void LignesExport::LireAidant(const std::string& code) {
  if (aidantLu_ && code == codeAidant_) return;
  const mvdb::DynArray aidant = LireSiPresent(sources_.civil, code).value_or(mvdb::DynArray());

  // Columns 1 to 9: code, names, address, telephones.
  colonnesAidant_ = TexteCsv(SiBlancUnEspace(code));
  Texte(colonnesAidant_, SiBlancUnEspace(aidant.Item(2)));
  Texte(colonnesAidant_, SiBlancUnEspace(aidant.Item(3)));
  Texte(colonnesAidant_, LigneAdresse(aidant));
  const std::string complement = aidant.Item(9);
  Texte(colonnesAidant_, Blanc(complement) ? std::string() : complement);
  for (int attribut : {10, 11, 12, 14}) Texte(colonnesAidant_, aidant.Item(attribut));

  // Columns 17 to 19: sector, sub-sector, district labels (no leading ';').
  secteurAidant_ = aidant.Item(31);
  colonnesLieux_ = TexteCsv(Libelle(sources_.secteurs, secteurs_, secteurAidant_, 1));
  Texte(colonnesLieux_, Libelle(sources_.sousSecteurs, sousSecteurs_, aidant.Item(32), 1));
  Texte(colonnesLieux_, Libelle(sources_.quartiers, quartiers_, aidant.Item(33), 1));

  // Sex and date of birth (no leading ';').
  const std::string sexe = aidant.Item(17);
  colonnesPersonne_ = Blanc(sexe) ? "" : (sexe.front() == '1' ? "M" : "F");
  Champ(colonnesPersonne_, DateAffichee(aidant.Item(26)));
  // Kept for the next rows of the same carer only once every column is built.
  aidantLu_ = true;
  codeAidant_ = code;
}

const mvdb::DynArray* LignesExport::LireContrat(const std::string& cle) {
  if (!contratLu_ || cle != cleContrat_) {
    contrat_ = LireSiPresent(sources_.contrats, cle);
    contratLu_ = true;
    cleContrat_ = cle;
  }
  return contrat_ ? &*contrat_ : nullptr;
}

std::string LignesExport::LibelleMotif(const mvdb::DynArray& resultat, int ligne, const std::string& cle) {
  if (!tableLue_) {
    tableLue_ = true;
    tableMotifs_ = LireSiPresent(sources_.tables, "ABSENCES").value_or(mvdb::DynArray());
    const int codes = tableMotifs_.DCount(2);
    for (int j = 1; j <= codes; ++j) positionsMotifs_.emplace(tableMotifs_.Item(2, j), j);
  }
  const std::string motif = cle.substr(std::min<std::size_t>(cle.size(), 5), 2);
  // A reason the table does not hold takes the position past its last value.
  const auto trouve = positionsMotifs_.find(motif);
  const int position = trouve == positionsMotifs_.end() ? tableMotifs_.DCount(2) + 1 : trouve->second;
  const auto premierJour = LireEntier(cle.substr(std::min<std::size_t>(cle.size(), 7), 5));
  if (position == kPositionAncienLibelle && premierJour && *premierJour <= kDernierJourAncienLibelle) {
    return kAncienLibelle;
  }
  std::string libelle = tableMotifs_.Item(3, position);
  if (motif == "01") {
    // The absence is read under the key it was selected with, which the
    // contract portions may have rewritten in column 1.
    const auto absence = LireSiPresent(sources_.absences, CleAbsenceOrigine(resultat, ligne));
    const std::string covid = absence ? absence->Item(53) : std::string();
    if (!covid.empty()) libelle += covid == "1" ? "-Covid 19-garde enfant" : "-Covid 19-sans carence";
  }
  return libelle;
}

std::string LignesExport::Categorie(const mvdb::DynArray& contrat) {
  const std::string grille = contrat.Item(20);
  if (grille.empty()) return contrat.Item(108);
  return Libelle(sources_.grilles, grilles_, grille, 7);
}

std::string LignesExport::TauxHoraire(const mvdb::DynArray& contrat, const std::string& cle) {
  if (TauxFixeParContrat(contrat)) {
    const auto taux = TauxDuContrat(contrat);
    return taux ? MonnaieFrancaise(*taux) : std::string();
  }
  auto trouve = tauxCalcules_.find(cle);
  if (trouve != tauxCalcules_.end()) return trouve->second;
  std::string texte;
  if (sources_.base != nullptr) {
    const mvdb::DynArray arguments = ArgumentsTauxHoraire(contrat, cle, parametres_.aujourdhui.year(),
                                                          parametres_.aujourdhui.month());
    std::int32_t statut = 0;  // the routine's status is not examined
    try {
      const auto taux = TauxDeLaReponse(sources_.base->DBCall("CALCCOEFFTXHOR", statut, arguments.Text()));
      if (taux) texte = MonnaieFrancaise(*taux);
    } catch (const mvdb::DbError& e) {
      if (e.code() != mvdb::ErrorCode::kRoutineFailed) throw;  // a refused contract leaves the rate empty
    }
  }
  return tauxCalcules_.emplace(cle, texte).first->second;
}

std::string LignesExport::Ligne(const mvdb::DynArray& resultat, int ligne) {
  const std::string cle = resultat.Item(ligne, kColCle);
  LireAidant(cle.substr(0, 5));

  std::string texte;
  texte.reserve(colonnesAidant_.size() + 256);
  texte = colonnesAidant_;

  // Columns 10 to 16: dates, half days, reason, observation.
  const std::string premierJour = cle.substr(std::min<std::size_t>(cle.size(), 7), 5);
  const std::string dernierJour = resultat.Item(ligne, kColFin);
  const std::string codeDebut = resultat.Item(ligne, kColDemiJourDebut);
  const std::string codeFin = resultat.Item(ligne, kColDemiJourFin);
  Champ(texte, DateAffichee(premierJour));
  Champ(texte, Blanc(codeDebut) ? "" : (SansEspaces(codeDebut) == "1" ? "M" : "A"));
  Champ(texte, DateAffichee(dernierJour));
  Champ(texte, Blanc(codeFin) ? "" : (SansEspaces(codeFin) == "1" ? "M" : "S"));
  const std::string motif = cle.substr(std::min<std::size_t>(cle.size(), 5), 2);
  Texte(texte, motif);
  Texte(texte, LibelleMotif(resultat, ligne, cle));
  Texte(texte, ObservationExportee(resultat.Item(ligne, kColObservation)));
  Champ(texte, colonnesLieux_);

  const std::string cleContrat = resultat.Item(ligne, kColContrat);
  const bool avecContrat = parametres_.formatLong && !cleContrat.empty();
  if (parametres_.formatLong) {
    if (avecContrat) {
      const mvdb::DynArray* contrat = LireContrat(cleContrat);
      AjouterChiffres(texte, resultat, ligne, contrat, DemiJourneesDesCodes(codeDebut, codeFin));
    } else {
      texte.append(";;;;;;;");  // columns 20 to 26 empty
    }
  }

  // Sex, date of birth, activity percentage (reasons 03 and 13 only).
  Champ(texte, colonnesPersonne_);
  std::string activite;
  if (motif == "03" || motif == "13") {
    const auto centiemes = LireNombre(resultat.Item(ligne, kColActivite));
    if (centiemes) activite = NombreFrancais(*centiemes / 100);
  }
  Champ(texte, activite);

  if (avecContrat) {
    const mvdb::DynArray* contrat = LireContrat(cleContrat);
    Champ(texte, contrat ? TauxHoraire(*contrat, cleContrat) : std::string());
  }
  return texte;
}

void LignesExport::AjouterChiffres(std::string& texte, const mvdb::DynArray& resultat, int ligne,
                                   const mvdb::DynArray* contrat, DemiJournees demi) {
  const std::string cle = resultat.Item(ligne, kColCle);
  const auto debut = LireEntier(cle.substr(std::min<std::size_t>(cle.size(), 7), 5));
  const auto fin = LireEntier(resultat.Item(ligne, kColFin));
  const bool jours = debut && fin && *debut >= INT32_MIN && *debut <= INT32_MAX && *fin >= INT32_MIN &&
                     *fin <= INT32_MAX;
  const bool periode = jours && parametres_.debutPeriode && parametres_.finPeriode;

  // 20: days of absence; 21: days inside the reference period.
  Champ(texte, jours ? NombreFrancais(JoursAbsence(static_cast<std::int32_t>(*debut),
                                                   static_cast<std::int32_t>(*fin), demi))
                     : std::string());
  const double joursPeriode =
      periode ? JoursSurPeriode(static_cast<std::int32_t>(*debut), static_cast<std::int32_t>(*fin), demi,
                                *parametres_.debutPeriode, *parametres_.finPeriode)
              : 0;
  Champ(texte, periode ? NombreFrancais(joursPeriode) : std::string());

  // 22: monthly hours; 23: hours inside the period.
  const bool heures = contrat != nullptr && debut && *debut >= INT32_MIN && *debut <= INT32_MAX;
  const double mensuelles = heures ? HeuresMensuelles(*contrat, static_cast<std::int32_t>(*debut)) : 0;
  Champ(texte, heures ? NombreFrancais(mensuelles) : std::string());
  Champ(texte, heures && periode ? NombreFrancais(HeuresSurPeriode(mensuelles, joursDuMois_, joursPeriode))
                                 : std::string());

  // 24 to 26: category, entity code and name.
  Texte(texte, contrat ? Categorie(*contrat) : std::string());
  const std::string entite = contrat ? contrat->Item(2) : std::string();
  Texte(texte, entite);
  Texte(texte, contrat ? Libelle(sources_.associations, associations_, entite, 1) : std::string());
}

// ---- the procedure ----

void Ctr_Morvane::Fichier_Stat() {
  Sablier_On();
  const QDate aujourdhui = Ui().Today();

  ParametresExport parametres;
  parametres.formatLong = Cac_Prest->checkState() == Qt::Checked;
  parametres.txtDebut = Txt_Debut->text();
  parametres.txtFin = Txt_Fin->text();
  parametres.debutPeriode = LireEntier(Dates().DateInterne(parametres.txtDebut).toStdString());
  parametres.finPeriode = LireEntier(Dates().DateInterne(parametres.txtFin).toStdString());
  parametres.aujourdhui = aujourdhui;
  parametres.droits = DroitsAbsences;

  SourcesExport sources;
  sources.base = Variable::TheDatabase;
  sources.civil = Variable::FicCivil;
  sources.tables = Variable::FicTables;
  sources.absences = Variable::FicAbsence;
  sources.secteurs = Variable::FicSecteur2;
  sources.sousSecteurs = Variable::FicSousSecteur;
  sources.quartiers = Variable::FicQuartier;
  sources.contrats = Variable::FicContrat;
  sources.grilles = Variable::FicGrilles;
  sources.associations = Variable::FicAssociation;
  LignesExport lignes(std::move(sources), std::move(parametres), Dates());

  // The lines are gathered in the new record, one attribute each, and the
  // record is written once at the end: nothing reaches STATAIDANT before.
  mvdb::DynArray fichier = Variable::FicStat.DBNew(PremierNomLibre(Variable::FicStat, aujourdhui));
  fichier.SetItem(1, lignes.Entete());
  int ecrites = 0;
  Variable::TheDatabase->ReadSnapshot([&] {  // one state of the database, locks taken once
    for (IndLigne = 1; !LigneVide(ResultatSelection, IndLigne); ++IndLigne) {
      if (!lignes.Visible(ResultatSelection, IndLigne)) continue;
      fichier.SetItem(-1, lignes.Ligne(ResultatSelection, IndLigne));
      if (++ecrites % 1000 == 0) Ui().Progress(QStringLiteral("fichier : %1 lignes").arg(ecrites));
    }
  });
  const std::string nom = EcrireNouveauFichier(Variable::FicStat, aujourdhui, fichier);
  // Directory files live in the database's folder of that file.
  emit fileWritten(QString::fromStdString((Variable::TheDatabase->DirectoryFolder("STATAIDANT") / nom).string()));

  Sablier_Off(false);
  const QString sansExtension = QString::fromStdString(nom.substr(0, nom.size() - 4));
  Message(QStringLiteral("Le fichier ") + sansExtension +
          QStringLiteral(".csv a été généré dans le répertoire STATAIDANT."));
}

}  // namespace morvane::control
