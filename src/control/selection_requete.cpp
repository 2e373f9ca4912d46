// The absence query: the reason families of the four absence types, the
// sector / period / return-date conditions repeated in every type's block, and
// the sort clauses.
#include "control/selection_requete.h"

#include <algorithm>
#include <stdexcept>
#include <string_view>
#include <vector>

namespace morvane::control {

namespace {

// A value between double quotes, as the query language writes it.
std::string Quoted(std::string_view value) {
  if (const auto syntaxe = SyntaxeDansValeur(value)) {
    throw std::invalid_argument("critère \"" + std::string(value) + "\" refusé : il contient " +
                                syntaxe->toStdString());
  }
  std::string text;
  text.reserve(value.size() + 2);
  text += '"';
  text += value;
  text += '"';
  return text;
}

std::string Quoted(std::int32_t value) { return Quoted(std::to_string(value)); }

// What every type's block repeats after its reason codes: the criteria and
// the period's day numbers.
struct Conditions {
  const Criteres& c;
  std::int32_t debut;
  std::int32_t fin;
};

void AjouterCriteres(std::string& q, const Conditions& conditions) {
  const Criteres& c = conditions.c;
  if (!c.codeSecteur.isEmpty()) {
    if (c.aidants == ModeAidants::Secteur) {
      q += " AND AVEC CodeSectAbs = " + Quoted(c.codeSecteur.toStdString());
    } else if (c.aidants == ModeAidants::Commune) {
      q += " AND AVEC CommuneAbsAidant = " + Quoted(c.nomCommune.toStdString());
    }
  }
  switch (c.periode) {
    case ModePeriode::DansPeriode:  // absences overlapping the period
      q += " AND AVEC DebAbsAidant <= " + Quoted(conditions.fin);
      q += " AND AVEC 2 >= " + Quoted(conditions.debut);
      break;
    case ModePeriode::DebutDansPeriode:
      q += " AND AVEC DebAbsAidant >= " + Quoted(conditions.debut);
      q += " AND AVEC DebAbsAidant <= " + Quoted(conditions.fin);
      break;
    case ModePeriode::FinDansPeriode:
      q += " AND AVEC 2 >= " + Quoted(conditions.debut);
      q += " AND AVEC 2 <= " + Quoted(conditions.fin);
      break;
    case ModePeriode::Aucune:
      break;
  }
  if (c.pasDateReprise) q += " AND AVEC 10 = " + Quoted("");
}

// The first block opens the selection; later blocks are joined with OR.
const char* Ouverture(int blocsEcrits) { return blocsEcrits == 0 ? " AVEC" : " OR AVEC"; }

void BlocArretTravail(std::string& q, const Criteres& c) {
  // Sick leave is the first type checked, so its block always opens the query.
  if (c.motif) {
    q += " AVEC NumMotifAidant = " + Quoted(*c.motif);
  } else {
    q += " AVEC NumMotifAidant <= " + Quoted(6) + " OR = " + Quoted(29) + " OR = " + Quoted(30);
  }
}

void BlocConges(std::string& q, const Criteres& c, int blocsEcrits) {
  q += Ouverture(blocsEcrits);
  if (c.motif) {
    q += " NumMotifAidant = " + Quoted(*c.motif);
    return;
  }
  q += " NumMotifAidant >= " + Quoted(12) + " AND <= " + Quoted(17) + " OR = " + Quoted(23);
  // The opening block writes the test of 25 without blanks, a later one with
  // them; the query reader takes both alike.
  q += blocsEcrits == 0 ? " OR=" : " OR = ";
  q += Quoted(25);
  for (int code : {26, 27, 28, 31}) q += " OR=" + Quoted(code);
}

void BlocAutres(std::string& q, const Criteres& c, int blocsEcrits) {
  q += Ouverture(blocsEcrits);
  if (c.motif) {
    q += " NumMotifAidant = " + Quoted(*c.motif);
    return;
  }
  q += " NumMotifAidant >= " + Quoted(7) + " AND <= " + Quoted(11) + " OR = " + Quoted(24) +
       " OR = " + Quoted(32) + " OR >= " + Quoted(50);
}

void AjouterTri(std::string& q, const Criteres& c) {
  if (c.sortie == Sortie::Lettres) {
    q += " PAR NomAidant PAR PrenomAidant PAR @ID";
    return;
  }
  if (c.aidants == ModeAidants::Secteur) {
    q += " PAR SecteurAbsAidant";
  } else if (c.aidants == ModeAidants::Commune) {
    q += " PAR CommuneAbsAidant";
  }
  if (c.tri == Tri::Debut) {
    q += " PAR DebAbsAidant";
  } else if (c.tri == Tri::Fin) {
    q += " PAR 2";
  }
  q += c.sortie == Sortie::Planning ? " PAR DebAbsAidant" : " PAR NomAidant PAR PrenomAidant PAR DebAbsAidant";
}

}  // namespace

std::optional<QString> SyntaxeDansValeur(std::string_view valeur) {
  for (const char octet : valeur) {
    const auto c = static_cast<unsigned char>(octet);
    if (c == '"') return QStringLiteral("le caractère \" (guillemet)");
    if (c == 0xFE || c == 0xFD || c == 0xFC) return QStringLiteral("une marque d'enregistrement");
    if (c < 0x20 || c == 0x7F) return QStringLiteral("un caractère de contrôle");
  }
  if (!valeur.empty() && valeur.back() == ']') return QStringLiteral("le caractère ] (crochet) en fin de valeur");
  return std::nullopt;
}

QString SansSyntaxe(QString texte) {
  texte.removeIf([](QChar c) { return c == QLatin1Char('"') || c.unicode() < 0x20 || c.unicode() == 0x7F; });
  while (texte.endsWith(QLatin1Char(']'))) texte.chop(1);
  return texte;
}

std::string RequeteAbsences(const Criteres& c, std::int32_t debut, std::int32_t fin) {
  const Conditions conditions{c, debut, fin};
  std::string q = "SSELECT ";
  q += kFichierAbsences;
  int blocsEcrits = 0;
  if (Coche(c.arretTravail)) {
    BlocArretTravail(q, c);
    AjouterCriteres(q, conditions);
    ++blocsEcrits;
  }
  if (Coche(c.conges)) {
    BlocConges(q, c, blocsEcrits);
    AjouterCriteres(q, conditions);
    ++blocsEcrits;
  }
  if (Coche(c.autres)) {
    BlocAutres(q, c, blocsEcrits);
    AjouterCriteres(q, conditions);
    ++blocsEcrits;
  }
  if (Coche(c.aValider)) {
    // "A valider" ignores the chosen reason. Alone, it also takes every
    // absence still to be validated, whatever its reason.
    q += Ouverture(blocsEcrits);
    q += " NumMotifAidant = " + Quoted(22);
    AjouterCriteres(q, conditions);
    if (blocsEcrits == 0) {
      q += " OR AVEC 28 = " + Quoted(1);
      AjouterCriteres(q, conditions);
    }
  }
  AjouterTri(q, c);
  return q;
}

mvdb::DynArray DemandeSelection(const std::string& requete, const std::string& fichier,
                                const std::string& attributs) {
  mvdb::DynArray demande;
  demande.SetItem(1, requete);
  demande.SetItem(2, fichier);
  demande.SetItem(3, attributs);
  return demande;
}

void MemoriserClesAbsences(mvdb::DynArray& resultat) {
  // Each row's text gets its key appended after the empty columns between,
  // and the rows are taken over whole: setting the cell row by row would
  // search each row again. A row already that wide, or empty, is set cell by
  // cell afterwards.
  const std::string texte = resultat.Text();
  if (texte.empty()) return;
  std::vector<std::string> lignes;
  lignes.reserve(static_cast<std::size_t>(resultat.DCount()));
  std::vector<int> aReprendre;
  for (std::size_t debut = 0;;) {
    const std::size_t fin = std::min(texte.find(mvdb::kAttributeMark, debut), texte.size());
    const std::string_view ligne = std::string_view(texte).substr(debut, fin - debut);
    const std::string_view cle = ligne.substr(0, ligne.find(mvdb::kValueMark));
    int colonnes = 1;
    for (std::size_t at = cle.size(); at < ligne.size(); at = ligne.find(mvdb::kValueMark, at + 1)) ++colonnes;
    std::string& reecrite = lignes.emplace_back();
    if (colonnes < kColonneCleAbsence && !ligne.empty()) {
      reecrite.reserve(ligne.size() + static_cast<std::size_t>(kColonneCleAbsence - colonnes) + cle.size());
      reecrite += ligne;
      reecrite.append(static_cast<std::size_t>(kColonneCleAbsence - colonnes), mvdb::kValueMark);
      reecrite += cle;
    } else {
      reecrite = ligne;
      aReprendre.push_back(static_cast<int>(lignes.size()));
    }
    if (fin == texte.size()) break;
    debut = fin + 1;
  }
  if (lignes.size() == static_cast<std::size_t>(resultat.DCount())) {
    resultat = mvdb::DynArray::FromAttributes(std::move(lignes));
  } else {
    aReprendre.clear();  // rows counted otherwise than split: every row cell by cell
    for (int i = 1; i <= resultat.DCount(); ++i) aReprendre.push_back(i);
  }
  for (const int i : aReprendre) resultat.SetItem(i, kColonneCleAbsence, resultat.Item(i, 1));
}

}  // namespace morvane::control
