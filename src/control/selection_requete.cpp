// The absence query: the reason families of the four absence types, the
// sector / period / return-date conditions repeated in every type's block, and
// the sort clauses.
#include "control/selection_requete.h"

#include <QCheckBox>
#include <QComboBox>
#include <QLineEdit>
#include <QRadioButton>
#include <stdexcept>
#include <string_view>

#include "control/a_la_sortie.h"
#include "control/ctr_morvane.h"
#include "control/event_adapter.h"
#include "control/variable.h"

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

// The conditions every type's block repeats after its reason codes.
void AjouterCriteres(std::string& q, const CriteresAbsences& c) {
  if (!c.codeSecteur.empty()) {
    if (c.optSecteur) {
      q += " AND AVEC CodeSectAbs = " + Quoted(c.codeSecteur);
    } else if (c.optCommune) {
      q += " AND AVEC CommuneAbsAidant = " + Quoted(c.nomCommune);
    }
  }
  switch (c.periode) {
    case ModePeriode::DansPeriode:  // absences overlapping the period
      q += " AND AVEC DebAbsAidant <= " + Quoted(c.fin);
      q += " AND AVEC 2 >= " + Quoted(c.debut);
      break;
    case ModePeriode::DebutDansPeriode:
      q += " AND AVEC DebAbsAidant >= " + Quoted(c.debut);
      q += " AND AVEC DebAbsAidant <= " + Quoted(c.fin);
      break;
    case ModePeriode::FinDansPeriode:
      q += " AND AVEC 2 >= " + Quoted(c.debut);
      q += " AND AVEC 2 <= " + Quoted(c.fin);
      break;
    case ModePeriode::Aucune:
      break;
  }
  if (c.pasDateReprise) q += " AND AVEC 10 = " + Quoted("");
}

// The first block opens the selection; later blocks are joined with OR.
const char* Ouverture(int blocsEcrits) { return blocsEcrits == 0 ? " AVEC" : " OR AVEC"; }

void BlocArretTravail(std::string& q, const CriteresAbsences& c) {
  // Sick leave is the first type checked, so its block always opens the query.
  if (c.motif) {
    q += " AVEC NumMotifAidant = " + Quoted(*c.motif);
  } else {
    q += " AVEC NumMotifAidant <= " + Quoted(6) + " OR = " + Quoted(29) + " OR = " + Quoted(30);
  }
}

void BlocConges(std::string& q, const CriteresAbsences& c, int blocsEcrits) {
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

void BlocAutres(std::string& q, const CriteresAbsences& c, int blocsEcrits) {
  q += Ouverture(blocsEcrits);
  if (c.motif) {
    q += " NumMotifAidant = " + Quoted(*c.motif);
    return;
  }
  q += " NumMotifAidant >= " + Quoted(7) + " AND <= " + Quoted(11) + " OR = " + Quoted(24) +
       " OR = " + Quoted(32) + " OR >= " + Quoted(50);
}

void AjouterTri(std::string& q, const CriteresAbsences& c) {
  if (c.lettreInfo) {
    q += " PAR NomAidant PAR PrenomAidant PAR @ID";
    return;
  }
  if (c.optSecteur) {
    q += " PAR SecteurAbsAidant";
  } else if (c.optCommune) {
    q += " PAR CommuneAbsAidant";
  }
  if (c.triDebut) {
    q += " PAR DebAbsAidant";
  } else if (c.triFin) {
    q += " PAR 2";
  }
  q += c.graphique ? " PAR DebAbsAidant" : " PAR NomAidant PAR PrenomAidant PAR DebAbsAidant";
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

std::string RequeteAbsences(const CriteresAbsences& c) {
  std::string q = "SSELECT ";
  q += kFichierAbsences;
  int blocsEcrits = 0;
  if (c.arretTravail) {
    BlocArretTravail(q, c);
    AjouterCriteres(q, c);
    ++blocsEcrits;
  }
  if (c.conges) {
    BlocConges(q, c, blocsEcrits);
    AjouterCriteres(q, c);
    ++blocsEcrits;
  }
  if (c.autres) {
    BlocAutres(q, c, blocsEcrits);
    AjouterCriteres(q, c);
    ++blocsEcrits;
  }
  if (c.aValider) {
    // "A valider" ignores the chosen reason. Alone, it also takes every
    // absence still to be validated, whatever its reason.
    q += Ouverture(blocsEcrits);
    q += " NumMotifAidant = " + Quoted(22);
    AjouterCriteres(q, c);
    if (blocsEcrits == 0) {
      q += " OR AVEC 28 = " + Quoted(1);
      AjouterCriteres(q, c);
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
  const int lignes = resultat.DCount();
  for (int i = 1; i <= lignes; ++i) {
    resultat.SetItem(i, kColonneCleAbsence, resultat.Item(i, 1));
  }
}

MotifChoisi LireMotif(const QComboBox& cbo) {
  const QString texte = cbo.currentText();
  if (texte.isEmpty()) return {};
  int index = cbo.currentIndex();
  if (index < 0 || cbo.itemText(index) != texte) index = cbo.findText(texte, Qt::MatchExactly | Qt::MatchCaseSensitive);
  if (index < 0) return {false, std::nullopt};
  return {true, cbo.itemData(index).toInt()};
}

namespace {

bool Coche(const QCheckBox* box) { return box->checkState() == Qt::Checked; }

}  // namespace

// ---- the selection step of a request ----

std::string Ctr_Morvane::Texte_Requete_Absences() {
  CriteresAbsences c;
  c.arretTravail = Coche(Cac_ArretTravail);
  c.conges = Coche(Cac_Conges);
  c.autres = Coche(Cac_EvtFam);
  c.aValider = Coche(Cac_AValider);
  // Cmd_Imprimer_Click refuses an unknown typed reason before selecting.
  c.motif = LireMotif(*Cbo_Motif).code;
  c.optSecteur = Opt_Secteur->isChecked();
  c.optCommune = Opt_Com->isChecked();
  c.codeSecteur = Txt_Secteur->text().toStdString();
  c.nomCommune = Cbo_Secteur->currentText().toStdString();
  if (Opt_PeriodeRef->isChecked()) {
    c.periode = ModePeriode::DansPeriode;
  } else if (Opt_DebutPeriodeRef->isChecked()) {
    c.periode = ModePeriode::DebutDansPeriode;
  } else if (Opt_FinPeriodeRef->isChecked()) {
    c.periode = ModePeriode::FinDansPeriode;
  } else {
    c.periode = ModePeriode::Aucune;
  }
  c.debut = DebutPeriode;
  c.fin = FinPeriode;
  c.pasDateReprise = Coche(Cac_PasDateRep);
  c.triDebut = Opt_DebutAbs->isChecked();
  c.triFin = Opt_FinAbs->isChecked();
  c.lettreInfo = Opt_LettreInfo->isChecked();
  c.graphique = Opt_Graphique->isChecked();
  return RequeteAbsences(c);
}

void Ctr_Morvane::Selection_Absences() {
  // Cmd_Imprimer_Click has set the hourglass and disabled the surface; this
  // step gives both back, on every way out.
  bool occupe = true;
  ALaSortie restaurer([&] {
    if (occupe) Sablier_Off(false);
  });
  const std::string requete = Texte_Requete_Absences();
  // The query and the filters read one state of the database, even while
  // another office imports, and take its locks once for their many reads.
  Variable::TheDatabase->ReadSnapshot([&] {
    long count = 0;
    ResultatSelection = Variable::TheDatabase->DBSelect(
        DemandeSelection(requete, kFichierAbsences, kAttributsAbsences).Text(), "", count);
    Ui().Progress(QStringLiteral("%1 absences sélectionnées").arg(count));
    MemoriserClesAbsences(ResultatSelection);
    occupe = false;
    Sablier_Off();

    // A legal entity narrows the request when several entities are offered, or
    // when its only entry offers both activity types and just one is ticked.
    const int entites = Cbo_Entite->count();
    const bool unSeulType = classic::Enabled(Cac_Prest) && classic::Enabled(Cac_Mandat) &&
                            (Coche(Cac_Prest) != Coche(Cac_Mandat));
    if (!Txt_Entite->text().isEmpty() && (entites >= 2 || (entites == 1 && unSeulType))) {
      Sablier_On();
      occupe = true;
      Requete_Contrat();
      Exception_Absences();
      occupe = false;
      Sablier_Off();
    } else {
      Completer_Selection();
    }
  });
}

void Ctr_Morvane::Completer_Selection() {
  const int lignes = ResultatSelection.DCount();
  for (int i = 1; i <= lignes; ++i) {
    Variable::EnregAbsence = Variable::FicAbsence.DBRead(ResultatSelection.Item(i, 1));
    const mvdb::DynArray& absence = Variable::EnregAbsence;
    if (absence.DCount(17) == 1) ResultatSelection.SetItem(i, 6, absence.Item(17));
    const std::string activite = absence.Item(47);
    if (!activite.empty()) ResultatSelection.SetItem(i, 7, activite);
  }
}

}  // namespace morvane::control
