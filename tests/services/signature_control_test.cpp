// Ctr_Dorsany: signature pictures found in the directory file SIGNATURES.

#include <QImage>

#include "mvdb/engine_test_support.h"
#include "services/signature_control.h"

namespace morvane::services {
namespace {

class SignatureTest : public ::testing::Test {
 protected:
  std::filesystem::path Folder() const { return DossierFichierRepertoire(*db_, kFichierSignatures); }

  mvdb::testing_support::ScratchDir dir_;  // outlives the database
  std::unique_ptr<mvdb::Database> db_ = mvdb::Database::Create(dir_ / "letters.mvdb");
};

// The picture of a type and an entity, or none: no database, no file, no such
// picture, or a name that would leave the folder.
TEST_F(SignatureTest, FindsThePictureOfTheTypeAndEntityOnlyInsideTheFolder) {
  SignatureFinder finder;
  const auto Chemin = [&](const char* type, const char* entite) {
    return finder.CheminSignature(QString::fromLatin1(type), QString(), QString::fromLatin1(entite));
  };
  EXPECT_EQ(Chemin("LETTREINFOCP", "010"), "");
  finder.SetBase(db_.get());
  EXPECT_EQ(Chemin("LETTREINFOCP", "010"), "");
  db_->CreateFile(kFichierSignatures, mvdb::FileKind::kDirectory);
  std::filesystem::create_directories(Folder());
  QImage picture(34, 10, QImage::Format_ARGB32);
  picture.fill(Qt::blue);
  ASSERT_TRUE(picture.save(QString::fromStdString((Folder() / "LETTREINFOCP_010.png").string())));
  std::ofstream(dir_ / "LETTREINFOCP_x.png") << "outside";
  EXPECT_EQ(Chemin("LETTREINFOCP", "010").toStdString(), (Folder() / "LETTREINFOCP_010.png").string());
  for (const auto& [type, entite] : {std::pair{"LETTREINFOCP", "020"}, {"AUTRE", "010"}, {"LETTREINFOCP", ""},
                                     {"..", "x"}, {"LETTREINFOCP", "../x"}}) {
    EXPECT_EQ(Chemin(type, entite), "") << type << " " << entite;
  }
}

}  // namespace
}  // namespace morvane::services
