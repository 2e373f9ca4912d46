// Letter-type letters: one letter per contract, the heading, the addressee
// block, the paid-leave lines and the signature, on a recording printer.
#include "lettre_fixture.h"

namespace morvane::testing {
namespace {

using Kind = services::PrintOp::Kind;

TEST_F(LettreTest, OneLetterPerContractOnItsOwnPage) {
  Imprimer({kA1});  // one absence on two contracts
  EXPECT_EQ(Recorder().PagesOfJob(1), 2);
  ASSERT_NE(Texte("ADOM LOIRE", 1), nullptr);
  ASSERT_NE(Texte("AIDE FOREZ", 2), nullptr);
  EXPECT_EQ(Texte("AIDE FOREZ", 1), nullptr);
  for (const auto& op : Recorder().Ops()) {
    if (op.kind != Kind::Text) continue;
    EXPECT_EQ(op.fontName, "Courier New");
    EXPECT_EQ(op.fontSize, 11);
  }
}

TEST_F(LettreTest, OnlyTheLastContractKeptIsCompared) {
  Imprimer({kA2, kA2});  // consecutive absences on one contract
  EXPECT_EQ(Recorder().PagesOfJob(1), 1);
  Recorder().EndDoc();
  Imprimer({kA1, kA2});  // contracts 001, 002, then 001 again
  EXPECT_EQ(Recorder().PagesOfJob(2), 3);
  EXPECT_NE(Texte("ADOM LOIRE", 3), nullptr);
}

TEST_F(LettreTest, AgentModeAndMissingContractsGetNoLetterNorPage) {
  Imprimer({kAgent, kManquant});
  EXPECT_TRUE(Recorder().Ops().empty());
  Imprimer({kAgent, kManquant, kA2});
  EXPECT_EQ(Recorder().PagesOfJob(1), 1);  // the first letter printed needs no new page
  EXPECT_NE(Texte("ADOM LOIRE", 1), nullptr);
}

TEST_F(LettreTest, EmployerHeadingKeepsItsLinesWithOrWithoutCedex) {
  Imprimer({kA1});
  const auto* nom = Texte("ADOM LOIRE", 1);
  ASSERT_NE(nom, nullptr);
  EXPECT_TRUE(nom->bold);
  EXPECT_EQ(nom->x, kUnCm);
  ASSERT_NE(Texte("12 AVENUE DE LA LIBÉRATION", 1), nullptr);
  ASSERT_NE(Texte("42000 SAINT-ÉTIENNE", 1), nullptr);
  ASSERT_NE(Texte("CEDEX 2", 2), nullptr);
  const auto* telSansCedex = Texte("Tel : 04 77 00 00 00", 1);
  const auto* telCedex = Texte("Tel : 04 77 11 11 11", 2);
  ASSERT_NE(telSansCedex, nullptr);
  ASSERT_NE(telCedex, nullptr);
  // Name, street, complement, town, CEDEX or its blank, then the telephone.
  EXPECT_EQ(telSansCedex->y, nom->y + 5 * kLigne);
  EXPECT_EQ(telCedex->y, telSansCedex->y);
  EXPECT_EQ(Texte("CEDEX 2", 2)->y, nom->y + 4 * kLigne);
  EXPECT_NE(Texte("Mail: contact@adom.fr", 1), nullptr);
}

TEST_F(LettreTest, AddresseeBlockTitleDateAndSalutation) {
  Imprimer({kA2, kB1});
  const auto* nom = Texte("MADAME MARTIN CLAIRE", 1);
  ASSERT_NE(nom, nullptr);
  EXPECT_TRUE(nom->bold);
  EXPECT_EQ(nom->x, 11 * kUnCm);
  // No address complement: postcode and town move up to the second line.
  const auto* rue = Texte("3  RUE HAUTE", 1);
  const auto* ville = Texte("42300 ROANNE", 1);
  ASSERT_NE(rue, nullptr);
  ASSERT_NE(ville, nullptr);
  EXPECT_EQ(rue->y, nom->y + 2 * kLigne);
  EXPECT_EQ(ville->y, rue->y + kLigne);
  const auto* date = Texte("SAINT-ÉTIENNE, LE 15 MARS 2024", 1);
  ASSERT_NE(date, nullptr);
  EXPECT_EQ(date->x, 11 * kUnCm);
  EXPECT_EQ(date->y, ville->y + 6 * kLigne);  // the empty third line, then four blanks
  const auto* salutation = Texte("MADAME,", 1);
  ASSERT_NE(salutation, nullptr);
  EXPECT_EQ(salutation->x, 4 * kUnCm);

  // A title code missing from "TITRES" prints as the code itself.
  EXPECT_NE(Texte("9 DURAND PAUL", 2), nullptr);
  EXPECT_NE(Texte("9,", 2), nullptr);
  EXPECT_NE(Texte("LE BOURG", 2), nullptr);
  EXPECT_NE(Texte("42600 MONTBRISON", 2), nullptr);
}

TEST_F(LettreTest, PaidLeaveLinesClosingAndSignature) {
  Signature(QStringLiteral("010"));
  Imprimer({kA2});
  const QString lignes[] = {
      QStringLiteral("1 - Congés acquis et non pris :"),
      QStringLiteral("25 jours ouvrés de congés payés à prendre avant 31/05/2025."),
      QStringLiteral("2 - Congés payés en cours d'acquisition :"),
      QStringLiteral("18 jours ouvrés acquis sur la période du 01/06/2024 au 30/06/2024"),
      QStringLiteral("Veuillez agréer, MADAME, nos salutations distinguées."),
  };
  double y = 0;
  for (const QString& texte : lignes) {
    const auto* op = Texte(texte, 1);
    ASSERT_NE(op, nullptr) << texte.toStdString();
    EXPECT_EQ(op->x, kUnCm) << texte.toStdString();
    EXPECT_GT(op->y, y) << texte.toStdString();
    y = op->y;
  }
  EXPECT_TRUE(Texte(lignes[2], 1)->bold);
  const auto* signer = Texte("Nom et signature", 1);
  ASSERT_NE(signer, nullptr);
  EXPECT_EQ(signer->x, 11 * kUnCm);
  EXPECT_EQ(signer->y, y + 4 * kLigne);

  const auto images = Images();
  ASSERT_EQ(images.size(), 1u);
  EXPECT_EQ(images[0].x, 5500);
  EXPECT_EQ(images[0].y, signer->y + kLigne + 200);  // Ys is the line after "Nom et signature"
  EXPECT_EQ(images[0].width, 3400);
  EXPECT_EQ(images[0].height, 1000);
  EXPECT_EQ(signature().appels,
            (std::vector<std::string>{"Base", "Client", "CheminSignature(LETTREINFOCP,,010)"}));
  EXPECT_EQ(signature().base, &db());
}

// A long town and month would cross the paper's right edge: the line ends at
// the printable area's edge instead, whole.
TEST_F(LettreTest, APlaceAndDateLineTooLongForItsPlaceEndsAtTheRightEdge) {
  Write("ASSOCIATION", "010", {{1, {"ADOM LOIRE"}}, {9, {"SAINT-PRIEST-EN-JAREZ-LES-BAINS"}}});
  Imprimer({kA2});
  const QString ligne = QStringLiteral("SAINT-PRIEST-EN-JAREZ-LES-BAINS, LE 15 MARS 2024");
  const auto* date = Texte(ligne, 1);
  ASSERT_NE(date, nullptr);
  EXPECT_EQ(date->x + Recorder().TextWidth(ligne), Recorder().ScaleWidth());
}

// A sector manager's letters, printed or merged, leave out the carers of the
// sectors they may not see, as the printed list does.
TEST_F(LettreTest, LettersLeaveOutCarersOfSectorsTheUserMayNotSee) {
  control().setDroitsUtilisateur(services::MakeDroits("secteur", 2, {"001"}));
  Imprimer({kA2, kB1, kC1});
  EXPECT_EQ(Recorder().PagesOfJob(1), 2);
  EXPECT_NE(Texte("MADAME MARTIN CLAIRE", 1), nullptr);
  EXPECT_NE(Texte("MONSIEUR PETIT JEAN", 2), nullptr);
  EXPECT_EQ(Texte("9 DURAND PAUL"), nullptr);
  EXPECT_EQ(Publier({kB1, kA2, kB1}), "00001001");
  control().setDroitsUtilisateur(services::MakeDroits("secteur", 2, {"003"}));
  EXPECT_EQ(Publier({kA2, kB1}), "");
}

TEST_F(LettreTest, ALetterWithoutSignatureOrWithABadPictureIsComplete) {
  signature().chemins[QStringLiteral("020")] = QStringLiteral("/nonexistent/signature.png");
  Imprimer({kA1, kB1});  // 010 has no picture, 020 a picture that cannot be loaded
  EXPECT_TRUE(Images().empty());
  EXPECT_EQ(Recorder().PagesOfJob(1), 3);
  for (int page = 1; page <= 3; ++page) EXPECT_NE(Texte("Nom et signature", page), nullptr) << page;
}

TEST_F(LettreTest, AFailureEndsThatLetterAndTheRunGoesOn) {
  Imprimer({kC1, kA2});  // the first contract's reference month is no month
  EXPECT_NE(Texte("1 - Congés acquis et non pris :", 1), nullptr);
  EXPECT_EQ(Texte("2 - Congés payés en cours d'acquisition :", 1), nullptr);
  EXPECT_NE(Texte("MADAME MARTIN CLAIRE", 2), nullptr);
  EXPECT_NE(Texte("Nom et signature", 2), nullptr);
}

}  // namespace
}  // namespace morvane::testing
