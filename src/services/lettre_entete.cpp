#include "services/lettre_entete.h"

#include <QLocale>

namespace morvane::services::lettre {
namespace {

QString Attribut(const mvdb::DynArray& record, int attribut) { return QString::fromStdString(record.Item(attribut)); }

}  // namespace

QString SansBlancs(const QString& texte) {
  qsizetype debut = 0;
  qsizetype fin = texte.size();
  while (debut < fin && texte[debut] == QLatin1Char(' ')) ++debut;
  while (fin > debut && texte[fin - 1] == QLatin1Char(' ')) --fin;
  return texte.mid(debut, fin - debut);
}

void RemplacerCode(mvdb::DynArray& record, int attribut, const mvdb::DynArray& table) {
  const std::string code = record.Item(attribut);
  for (int k = 1;; ++k) {
    const std::string codeTable = table.Item(2, k);
    if (codeTable.empty()) return;
    if (codeTable == code) {
      record.SetItem(attribut, QString::fromStdString(table.Item(3, k)).toUpper().toStdString());
      return;
    }
  }
}

EnteteEmployeur Employeur(const mvdb::DynArray& a) {
  EnteteEmployeur e;
  e.nom = Attribut(a, 1);
  e.rue = SansBlancs(SansBlancs(SansBlancs(Attribut(a, 3) + QLatin1Char(' ') + Attribut(a, 4)) + QLatin1Char(' ') +
                                Attribut(a, 5)) +
                     QLatin1Char(' ') + Attribut(a, 6));
  e.complement = SansBlancs(Attribut(a, 7));
  e.ville = SansBlancs(Attribut(a, 8) + QLatin1Char(' ') + Attribut(a, 9));
  if (a.Item(10) == "1") e.cedex = QStringLiteral("CEDEX ") + Attribut(a, 11);
  e.telephone = QStringLiteral("Tel : ") + Attribut(a, 12);
  e.courriel = QStringLiteral("Mail: ") + Attribut(a, 35);
  return e;
}

Destinataire DestinataireDe(const mvdb::DynArray& c) {
  Destinataire d;
  d.titre = Attribut(c, 1);
  d.nom = SansBlancs(Attribut(c, 1) + QLatin1Char(' ') + Attribut(c, 2) + QLatin1Char(' ') + Attribut(c, 3)).toUpper();
  auto& [ligne1, ligne2, ligne3] = d.adresse;
  ligne1 = SansBlancs(Attribut(c, 5) + QLatin1Char(' ') + Attribut(c, 6) + QLatin1Char(' ') + Attribut(c, 7) +
                      QLatin1Char(' ') + Attribut(c, 8));
  ligne2 = SansBlancs(Attribut(c, 9));
  ligne3 = SansBlancs(Attribut(c, 10) + QLatin1Char(' ') + Attribut(c, 11));
  // Empty lines move up; a place left behind becomes empty.
  if (ligne1.isEmpty()) {
    ligne1 = ligne2;
    ligne2 = ligne3;
    ligne3.clear();
  }
  if (ligne2.isEmpty()) {
    ligne2 = ligne3;
    ligne3.clear();
  }
  return d;
}

QString DateEnLettres(const QDate& date) {
  return QLocale(QLocale::French, QLocale::France).toString(date, QStringLiteral("dd MMMM yyyy")).toUpper();
}

QString LieuEtDate(const mvdb::DynArray& association, const QDate& date) {
  return Attribut(association, 9) + QStringLiteral(", LE ") + DateEnLettres(date);
}

const std::array<QString, 3>& TexteOuverture() {
  static const std::array<QString, 3> lignes = {
      QStringLiteral("En application de l'article L. 3141-19-3 du code du travail, nous vous"),
      QStringLiteral("informons de vos droits à congés payés ainsi que de la date à laquelle"),
      QStringLiteral("ils pourront être pris."),
  };
  return lignes;
}

}  // namespace morvane::services::lettre
