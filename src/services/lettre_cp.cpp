#include "services/lettre_cp.h"

#include <QDate>
#include <cctype>
#include <cmath>

#include "services/outils_date.h"

namespace morvane::services::conges {
namespace {

QString Texte(const std::string& s) { return QString::fromStdString(s); }

// A year written as text (Y), plus `ecart`, written back as digits.
QString Annee(const QString& annee, int ecart) {
  return QString::number(static_cast<long long>(Valeur(annee.toStdString())) + ecart);
}

// The first day of month `mois` of `annee` as a day number; ErreurConges when
// there is no such month.
std::int32_t PremierJour(long long annee, long long mois, const char* quoi) {
  const QDate date(static_cast<int>(annee), static_cast<int>(mois), 1);
  if (annee < 1 || annee > 9999 || mois < 1 || mois > 12 || !date.isValid()) {
    throw ErreurConges(std::string(quoi) + " : le mois " + std::to_string(mois) + " de l'année " +
                       std::to_string(annee) + " n'existe pas");
  }
  return DayNumber(date);
}

// The month after a "yyyymm" number: month 13 becomes January of the next year.
long long MoisSuivant(long long aaaamm) {
  ++aaaamm;
  if (aaaamm % 100 == 13) aaaamm = (aaaamm / 100 + 1) * 100 + 1;
  return aaaamm;
}

bool Renseigne(const std::string& figure) { return !figure.empty() && figure != "0"; }

struct GenreLigne {
  int attribut;           // figure in CONTRAT
  int drapeauUnite;       // CONVENTIONCOL attribute of its unit
  const char* libelle;
};

}  // namespace

QString Unite(const std::string& drapeauOuvre) {
  return drapeauOuvre == "1" ? QStringLiteral("ouvré") : QStringLiteral("ouvrable");
}

double Valeur(const std::string& texte) {
  std::size_t i = 0;
  while (i < texte.size() && (texte[i] == ' ' || texte[i] == '\t')) ++i;
  double signe = 1;
  if (i < texte.size() && (texte[i] == '-' || texte[i] == '+')) signe = texte[i++] == '-' ? -1 : 1;
  double valeur = 0;
  while (i < texte.size() && std::isdigit(static_cast<unsigned char>(texte[i]))) valeur = valeur * 10 + (texte[i++] - '0');
  if (i < texte.size() && texte[i] == '.') {
    double poids = 0.1;
    for (++i; i < texte.size() && std::isdigit(static_cast<unsigned char>(texte[i])); ++i, poids /= 10) {
      valeur += (texte[i] - '0') * poids;
    }
  }
  return signe * valeur;
}

QString Montant(const std::string& centiemes) {
  QString texte = QString::number(Valeur(centiemes) / 100.0, 'f', 4);
  while (texte.endsWith(QLatin1Char('0'))) texte.chop(1);
  if (texte.endsWith(QLatin1Char('.'))) texte.chop(1);
  if (texte == QLatin1String("-0")) texte = QStringLiteral("0");
  return texte.replace(QLatin1Char('.'), QLatin1Char(','));
}

QString TexteDate(std::int32_t jour) { return DateOfDay(jour).toString(QStringLiteral("dd/MM/yyyy")); }

QString TexteDate(const std::string& jour) {
  bool ok = false;
  const qlonglong nombre = QString::fromStdString(jour).trimmed().toLongLong(&ok);
  if (!ok || nombre < INT32_MIN || nombre > INT32_MAX) return {};
  return TexteDate(static_cast<std::int32_t>(nombre));
}

QString MoisReference(const mvdb::DynArray& contrat) {
  const std::string attribut63 = contrat.Item(63);
  if (!attribut63.empty()) return Texte(attribut63);
  const QString debut = TexteDate(contrat.Item(7));  // dd/mm/yyyy
  if (debut.isEmpty()) return {};
  return debut.mid(6, 4) + debut.mid(3, 2);
}

PeriodeConges Periode(const QString& moisReference, bool anneeJuinMai) {
  PeriodeConges p;
  p.moisReference = moisReference;
  p.annee = moisReference.left(4);
  p.mois = moisReference.mid(4, 2);
  if (anneeJuinMai) {
    if (p.mois >= QLatin1String("05")) {
      p.debut = QStringLiteral("01/06/") + p.annee;
      p.echeance = QStringLiteral("31/05/") + Annee(p.annee, 1);
    } else {
      p.debut = QStringLiteral("01/06/") + Annee(p.annee, -1);
      p.echeance = QStringLiteral("31/05/") + p.annee;
    }
  } else if (p.mois == QLatin1String("12")) {
    p.debut = QStringLiteral("01/01/") + Annee(p.annee, 1);
    p.echeance = QStringLiteral("31/12/") + Annee(p.annee, 1);
  } else {
    p.debut = QStringLiteral("01/01/") + p.annee;
    p.echeance = QStringLiteral("31/12/") + p.annee;
  }
  return p;
}

std::int32_t FinAcquisition(const PeriodeConges& periode) {
  bool ok = false;
  const long long x = periode.moisReference.trimmed().toLongLong(&ok);
  if (!ok) {
    throw ErreurConges("fin d'acquisition : le mois de référence \"" + periode.moisReference.toStdString() +
                       "\" n'est pas un mois aaaamm");
  }
  long long suivant = MoisSuivant(x);
  if (suivant % 100 == periode.debut.mid(3, 2).toLongLong()) suivant = MoisSuivant(suivant);
  return PremierJour(suivant / 100, suivant % 100, "fin d'acquisition") - 1;
}

QString EcheanceAnciennete(const PeriodeConges& p, const mvdb::DynArray& contrat,
                           const mvdb::DynArray& convention) {
  const bool juinMai = convention.Item(28) == "0";
  if (convention.Item(13) == "1") {
    const bool anneeSuivante =
        (juinMai && p.mois >= QLatin1String("05")) || (!juinMai && p.mois == QLatin1String("12"));
    return QStringLiteral("31/12/") + (anneeSuivante ? Annee(p.annee, 1) : p.annee);
  }
  const std::string dateAnciennete = contrat.Item(97).empty() ? contrat.Item(7) : contrat.Item(97);
  const double jours = std::trunc(Valeur(dateAnciennete) + std::floor(Valeur(contrat.Item(144)) / 100.0));
  const QDate anniversaire = DateOfDay(static_cast<std::int32_t>(jours));
  const std::int32_t veille =
      PremierJour(anniversaire.year(), anniversaire.month(), "échéance d'ancienneté") - 1;
  const QString moisAnniversaire = anniversaire.toString(QStringLiteral("MM"));
  return TexteDate(veille).left(6) + (p.mois >= moisAnniversaire ? Annee(p.annee, 1) : p.annee);
}

std::int32_t EcheancePrevenance(const PeriodeConges& p, const QString& moisEtablissement) {
  bool ok = false;
  const int mois = moisEtablissement.trimmed().toInt(&ok);
  if (!ok || mois < 1 || mois > 12) {
    throw ErreurConges("échéance du délai de prévenance : le mois \"" + moisEtablissement.toStdString() +
                       "\" de l'établissement n'est pas un mois");
  }
  const long long annee = static_cast<long long>(Valeur(p.annee.toStdString())) + (p.mois < moisEtablissement ? 0 : 1);
  const long long suivant = MoisSuivant(annee * 100 + mois);
  return PremierJour(suivant / 100, suivant % 100, "échéance du délai de prévenance") - 1;
}

QString JoursEnCours(const std::string& attribut44, bool ouvre) {
  QString b = ouvre ? QString::number(static_cast<long long>(std::floor(Valeur(attribut44) * 5 / 6)))
                    : Texte(attribut44);
  if (b.isEmpty() || b == QLatin1String("0")) return b;
  const double centiemes = Valeur(b.toStdString());
  if (b.right(2) == QLatin1String("00")) return QString::number(static_cast<long long>(centiemes / 100));
  return QString::number(static_cast<long long>(std::floor(centiemes / 100 + 1)));
}

QString LigneAcquise(const std::string& centiemes, const QString& unite, const QString& libelle,
                     const QString& echeance) {
  const bool pluriel = Valeur(centiemes) >= 200;
  return Montant(centiemes) + (pluriel ? QStringLiteral(" jours ") : QStringLiteral(" jour ")) + unite +
         (pluriel ? QStringLiteral("s ") : QStringLiteral(" ")) + libelle + QStringLiteral(" à prendre avant ") +
         echeance + QLatin1Char('.');
}

QString LigneEnCours(const QString& joursEnCours, const QString& unite, const QString& debut,
                     std::int32_t finAcquisition) {
  if (joursEnCours.isEmpty() || joursEnCours == QLatin1String("0")) {
    return QStringLiteral("Aucun jour ") + unite + QStringLiteral(" acquis.");
  }
  const bool pluriel = Valeur(joursEnCours.toStdString()) >= 2;
  return joursEnCours + (pluriel ? QStringLiteral(" jours ") : QStringLiteral(" jour ")) + unite +
         (pluriel ? QStringLiteral("s") : QString()) + QStringLiteral(" acquis sur la période du ") + debut +
         QStringLiteral(" au ") + TexteDate(finAcquisition);
}

QString FormuleDePolitesse(const QString& titre) {
  return QStringLiteral("Veuillez agréer, ") + titre + QStringLiteral(", nos salutations distinguées.");
}

LettreConges CalculerConges(const mvdb::DynArray& contrat, const mvdb::DynArray& convention,
                            const mvdb::DynArray& etablissement) {
  LettreConges l;
  l.periode = Periode(MoisReference(contrat), convention.Item(28) == "0");
  l.finAcquisition = FinAcquisition(l.periode);
  l.echeanceAnciennete = EcheanceAnciennete(l.periode, contrat, convention);
  l.echeancePrevenance = EcheancePrevenance(l.periode, Texte(etablissement.Item(24)));
  l.joursEnCours = JoursEnCours(contrat.Item(44), convention.Item(2) == "1");
  l.uniteConges = Unite(convention.Item(2));

  const QString echeances[] = {l.periode.echeance, l.periode.echeance, l.echeanceAnciennete,
                               TexteDate(l.echeancePrevenance)};
  static const GenreLigne genres[] = {
      {39, 2, "de congés payés"},
      {41, 42, "de congés pour fractionnement"},
      {48, 12, "de congés d'ancienneté"},
      {110, 76, "de congé delai prévenance"},
  };
  for (std::size_t g = 0; g < std::size(genres); ++g) {
    const std::string figure = contrat.Item(genres[g].attribut);
    if (!Renseigne(figure)) continue;
    l.lignesAcquises << LigneAcquise(figure, Unite(convention.Item(genres[g].drapeauUnite)),
                                     QString::fromUtf8(genres[g].libelle), echeances[g]);
  }
  const int reports = contrat.DCount(162);
  for (int k = 1; k <= reports; ++k) {
    const std::string figure = contrat.Item(162, k);
    if (!Renseigne(figure)) continue;
    l.lignesAcquises << LigneAcquise(figure, l.uniteConges, QStringLiteral("de congés reportés suite arrêt"),
                                     TexteDate(contrat.Item(161, k)));
  }
  l.ligneEnCours = LigneEnCours(l.joursEnCours, l.uniteConges, l.periode.debut, l.finAcquisition);
  return l;
}

}  // namespace morvane::services::conges
