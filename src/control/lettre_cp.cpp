// The body of a paid-leave information letter: the leave acquired and not
// taken, the leave being acquired, the closing formula and the signature of
// the employing legal entity. The figures and their texts come from
// services/lettre_cp.h, the same code the mail merge uses.
#include <QImage>
#include <stdexcept>

#include "control/lettre_type.h"
#include "services/lettre_cp.h"
#include "services/lettre_entete.h"
#include "services/printer.h"
#include "services/sibling_controls.h"

namespace morvane::control {
namespace {

// Where the signature picture is drawn, in twips: its left edge, its gap below
// the "Nom et signature" line, and its size.
constexpr double kSignatureX = 5500;
constexpr double kSignatureEcart = 200;
constexpr double kSignatureLargeur = 3400;
constexpr double kSignatureHauteur = 1000;

}  // namespace

// Any failure (a date that cannot be computed, a signature picture that
// cannot be loaded) ends the letter where it happens; Lettre_Type goes on.
void LettresType::LigneCP() {
  auto& printer = ctx_.printer;
  const double unCm = ctx_.unCm;
  const double onzeCm = static_cast<std::int16_t>(11 * ctx_.unCm);
  const auto conges = services::conges::CalculerConges(*contrat_, convention_, etablissement_);

  for (const QString& ligne : conges.lignesAcquises) {
    printer.SetCurrentX(unCm);
    printer.Print(ligne);
  }

  printer.Blank();
  printer.SetFontBold(true);
  printer.SetCurrentX(unCm);
  printer.Print(QString::fromUtf8(services::lettre::kTitreEnCours));
  printer.SetFontBold(false);
  printer.Blank();
  printer.SetCurrentX(unCm);
  printer.Print(conges.ligneEnCours);

  printer.Blank();
  printer.SetCurrentX(unCm);
  printer.Print(services::conges::FormuleDePolitesse(QString::fromStdString(civil_->Item(1))));

  for (int i = 0; i < 3; ++i) printer.Blank();
  printer.SetCurrentX(onzeCm);
  printer.Print(QString::fromUtf8(services::lettre::kNomEtSignature));
  const double ys = printer.CurrentY();

  auto& signature = ctx_.signature();
  signature.SetBase(ctx_.fichiers.base);
  signature.SetClient(ctx_.fichiers.client);
  const QString CheminImage = signature.CheminSignature(QString::fromUtf8(services::lettre::kTypeLettre), QString(),
                                                        QString::fromStdString(contrat_->Item(2)));
  if (ctx_.montrerSignature) ctx_.montrerSignature(QImage());
  if (CheminImage.isEmpty()) return;  // no signature for this entity: no picture
  QImage image;
  if (!image.load(CheminImage)) {
    throw std::runtime_error("the signature picture " + CheminImage.toStdString() + " cannot be loaded");
  }
  if (ctx_.montrerSignature) ctx_.montrerSignature(image);
  printer.PaintPicture(image, kSignatureX, ys + kSignatureEcart, kSignatureLargeur, kSignatureHauteur);
}

}  // namespace morvane::control
