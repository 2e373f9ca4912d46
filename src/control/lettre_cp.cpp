// The body of a paid-leave information letter: the leave acquired and not
// taken, the leave being acquired, the closing formula and the signature of
// the employing legal entity. The figures and their texts come from
// services/lettre_cp.h, the same code the mail merge uses.
#include <QImage>
#include <QLabel>
#include <QPixmap>
#include <stdexcept>

#include "control/ctr_morvane.h"
#include "control/variable.h"
#include "services/lettre_cp.h"
#include "services/lettre_entete.h"
#include "services/printer.h"

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
void Ctr_Morvane::LigneCP() {
  auto& printer = Printer();
  const double unCm = UnCm;
  const double onzeCm = static_cast<std::int16_t>(11 * UnCm);
  const auto conges =
      services::conges::CalculerConges(Variable::EnregContrat, Variable::EnregConvention, Variable::EnregEtablissement);

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
  printer.Print(services::conges::FormuleDePolitesse(QString::fromStdString(Variable::EnregCivil.Item(1))));

  for (int i = 0; i < 3; ++i) printer.Blank();
  printer.SetCurrentX(onzeCm);
  printer.Print(QString::fromUtf8(services::lettre::kNomEtSignature));
  const double ys = printer.CurrentY();

  auto& signature = Signature();
  signature.SetBase(Variable::TheDatabase);
  signature.SetClient(Variable::TheClient);
  CheminImage = signature.CheminSignature(QString::fromUtf8(services::lettre::kTypeLettre), QString(),
                                          QString::fromStdString(Variable::EnregContrat.Item(2)));
  Img_Monimage->clear();
  if (CheminImage.isEmpty()) return;  // no signature for this entity: no picture
  QImage image;
  if (!image.load(CheminImage)) {
    throw std::runtime_error("the signature picture " + CheminImage.toStdString() + " cannot be loaded");
  }
  Img_Monimage->setPixmap(QPixmap::fromImage(image));
  printer.PaintPicture(image, kSignatureX, ys + kSignatureEcart, kSignatureLargeur, kSignatureHauteur);
}

}  // namespace morvane::control
