// The figures of the statistics export (see export_calculs.h).
#include "control/export_calculs.h"

#include <cmath>
#include <cstdio>

#include "mvdb/numbers.h"

namespace morvane::control {
namespace {

// Contract attributes of the working time and the rate.
constexpr int kDatesHoraires = 15;
constexpr int kHistoriqueTaux = 23;
constexpr int kHeuresContrat = 24;
constexpr int kUniteHeures = 25;

// Int(x + 0,5): the largest whole number not above x + 0,5 (half up).
double ArrondiDemiSuperieur(double x) { return std::floor(x + 0.5); }

}  // namespace

DemiJournees DemiJourneesDesCodes(std::string_view codeDebut, std::string_view codeFin) {
  const std::string_view debut = SansEspaces(codeDebut);
  const std::string_view fin = SansEspaces(codeFin);
  DemiJournees demi;
  demi.premierJourEntier = debut.empty() || debut == "1";
  demi.dernierJourEntier = fin != "1";
  return demi;
}

std::string_view SansEspaces(std::string_view texte) {
  const auto debut = texte.find_first_not_of(' ');
  if (debut == std::string_view::npos) return {};
  const auto fin = texte.find_last_not_of(' ');
  return texte.substr(debut, fin - debut + 1);
}

std::optional<double> NombreStocke(std::string_view texte) {
  const auto valeur = mvdb::ParseNumber(SansEspaces(texte));
  if (!valeur || !std::isfinite(*valeur)) return std::nullopt;
  return valeur;
}

double JoursAbsence(std::int32_t debut, std::int32_t fin, DemiJournees demi) {
  const double ecart = static_cast<double>(fin) - static_cast<double>(debut);
  if (demi.premierJourEntier && demi.dernierJourEntier) return ecart + 1;
  if (fin == debut) return 0.5;  // written "0,5"
  if (!demi.premierJourEntier && !demi.dernierJourEntier) return ecart;
  return ecart + 0.5;
}

double JoursSurPeriode(std::int32_t debut, std::int32_t fin, DemiJournees demi, std::int32_t debutPeriode,
                       std::int32_t finPeriode) {
  if (debut < debutPeriode) {
    debut = debutPeriode;
    demi.premierJourEntier = true;
  }
  if (fin > finPeriode) {
    fin = finPeriode;
    demi.dernierJourEntier = true;
  }
  return JoursAbsence(debut, fin, demi);
}

double HeuresMensuelles(const mvdb::DynArray& contrat, std::int32_t debut) {
  int entree = contrat.DCount(kDatesHoraires);
  for (; entree >= 1; --entree) {
    const auto date = mvdb::ParseInteger(SansEspaces(contrat.Item(kDatesHoraires, entree)));
    if (date && *date <= debut) break;
  }
  if (entree == 0) return 0;  // no working time in force at the absence start
  const double heures = NombreStocke(contrat.Item(kHeuresContrat, entree)).value_or(0);
  const std::string unite = contrat.Item(kUniteHeures, entree);
  double centiemes = 0;
  if (unite == "1") {
    centiemes = ArrondiDemiSuperieur(heures * 52 / 12);
  } else if (unite == "2") {
    centiemes = ArrondiDemiSuperieur(heures * 26 / 12);
  } else if (unite == "3") {
    centiemes = heures;
  } else if (unite == "4") {
    centiemes = ArrondiDemiSuperieur(heures / 12);
  }
  return centiemes / 100;
}

int JoursDuMois(const QString& txtDebut, const QString& txtFin) {
  const bool moisEntier = txtDebut.mid(2) == txtFin.mid(2) && txtDebut.left(2) == QLatin1String("01");
  if (!moisEntier) return 30;
  const QString mois = txtDebut.mid(3, 2);
  const QString dernierJour = txtFin.left(2);
  static const char* const kMoisDe31[] = {"01", "03", "05", "07", "08", "10", "12"};
  for (const char* m : kMoisDe31) {
    if (mois == QLatin1String(m)) return dernierJour == QLatin1String("31") ? 31 : 30;
  }
  if (mois == QLatin1String("02")) {
    // Every year divisible by 4 is taken as a leap year, centuries included.
    bool annee = false;
    const int an = txtDebut.mid(6, 4).toInt(&annee);
    if (annee && an % 4 == 0) return dernierJour == QLatin1String("29") ? 29 : 30;
    return dernierJour == QLatin1String("28") ? 28 : 30;
  }
  return 30;
}

double HeuresSurPeriode(double heuresMensuelles, int joursDuMois, double joursSurPeriode) {
  return ArrondiDemiSuperieur(heuresMensuelles / joursDuMois * joursSurPeriode * 100) / 100;
}

bool TauxFixeParContrat(const mvdb::DynArray& contrat) {
  const std::string dernier = contrat.Item(kHistoriqueTaux, contrat.DCount(kHistoriqueTaux));
  return !dernier.empty() && dernier != "0";
}

std::optional<Monnaie> TauxDuContrat(const mvdb::DynArray& contrat) {
  return MonnaieDesMilliemes(contrat.Item(kHistoriqueTaux, contrat.DCount(kHistoriqueTaux)));
}

mvdb::DynArray ArgumentsTauxHoraire(const mvdb::DynArray& contrat, const std::string& cleContrat, int annee,
                                    int mois) {
  char anneeMois[16];
  std::snprintf(anneeMois, sizeof anneeMois, "%04d%02d", annee, mois);
  mvdb::DynArray arguments;
  arguments.SetItem(1, cleContrat);
  arguments.SetItem(2, std::to_string(contrat.DCount(kHistoriqueTaux)));
  arguments.SetItem(3, anneeMois);
  return arguments;
}

std::optional<Monnaie> TauxDeLaReponse(const mvdb::DynArray& reponse) { return MonnaieDesMilliemes(reponse.Item(2)); }

std::optional<Monnaie> MonnaieDesMilliemes(std::string_view milliemes) {
  const auto valeur = NombreStocke(milliemes);
  if (!valeur || std::fabs(*valeur) > 1e14) return std::nullopt;
  // Thousandths to ten-thousandths; the default rounding mode is half to even.
  return static_cast<Monnaie>(std::llrint(*valeur * 10));
}

std::string NombreFrancais(double valeur) {
  if (!std::isfinite(valeur)) return {};
  const double absolu = std::fabs(valeur);
  const int chiffresEntiers = absolu >= 1 ? static_cast<int>(std::floor(std::log10(absolu))) + 1 : 0;
  const int decimales = std::max(0, 15 - chiffresEntiers);
  char tampon[400];
  std::snprintf(tampon, sizeof tampon, "%.*f", decimales, valeur);
  std::string texte = tampon;
  if (texte.find('.') != std::string::npos) {
    texte.erase(texte.find_last_not_of('0') + 1);
    if (texte.back() == '.') texte.pop_back();
  }
  if (texte == "-0") texte = "0";
  for (char& c : texte) {
    if (c == '.') c = ',';
  }
  return texte;
}

std::string MonnaieFrancaise(Monnaie taux) {
  const bool negatif = taux < 0;
  const std::uint64_t absolu = negatif ? 0 - static_cast<std::uint64_t>(taux) : static_cast<std::uint64_t>(taux);
  std::string texte = (negatif ? "-" : "") + std::to_string(absolu / 10000);
  std::string decimales = std::to_string(absolu % 10000);
  decimales.insert(0, 4 - decimales.size(), '0');
  decimales.erase(decimales.find_last_not_of('0') + 1);
  if (!decimales.empty()) texte += ',' + decimales;
  return texte;
}

}  // namespace morvane::control
