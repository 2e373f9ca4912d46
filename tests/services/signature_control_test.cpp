// Ctr_Dorsany: signature pictures found in the directory file SIGNATURES.
#include <gtest/gtest.h>

#include <QImage>
#include <filesystem>
#include <fstream>

#include <unistd.h>

#include "mvdb/database.h"
#include "services/signature_control.h"

namespace morvane::services {
namespace {

class SignatureTest : public ::testing::Test {
 protected:
  void SetUp() override {
    dir_ = std::filesystem::temp_directory_path() / ("morvane-signature-" + std::to_string(::getpid()));
    std::filesystem::remove_all(dir_);
    std::filesystem::create_directories(dir_);
    db_ = mvdb::Database::Create(dir_ / "letters.mvdb");
  }
  void TearDown() override {
    db_.reset();
    std::filesystem::remove_all(dir_);
  }
  std::filesystem::path Folder() const { return DossierFichierRepertoire(*db_, kFichierSignatures); }

  std::filesystem::path dir_;
  std::unique_ptr<mvdb::Database> db_;
};

TEST_F(SignatureTest, FindsThePictureOfTheTypeAndEntity) {
  db_->CreateFile(kFichierSignatures, mvdb::FileKind::kDirectory);
  std::filesystem::create_directories(Folder());
  QImage picture(34, 10, QImage::Format_ARGB32);
  picture.fill(Qt::blue);
  ASSERT_TRUE(picture.save(QString::fromStdString((Folder() / "LETTREINFOCP_010.png").string())));

  SignatureFinder finder;
  finder.SetBase(db_.get());
  const QString path = finder.CheminSignature(QStringLiteral("LETTREINFOCP"), QString(), QStringLiteral("010"));
  ASSERT_FALSE(path.isEmpty());
  EXPECT_TRUE(std::filesystem::path(path.toStdString()).is_absolute());
  EXPECT_EQ(QImage(path).size(), QSize(34, 10));

  EXPECT_EQ(finder.CheminSignature(QStringLiteral("LETTREINFOCP"), QString(), QStringLiteral("020")), "");
  EXPECT_EQ(finder.CheminSignature(QStringLiteral("AUTRE"), QString(), QStringLiteral("010")), "");
  EXPECT_EQ(finder.CheminSignature(QStringLiteral("LETTREINFOCP"), QString(), QString()), "");
}

TEST_F(SignatureTest, NoPictureWithoutDatabaseOrFileAndNoEscapeFromTheFolder) {
  SignatureFinder finder;
  EXPECT_EQ(finder.CheminSignature(QStringLiteral("LETTREINFOCP"), QString(), QStringLiteral("010")), "");
  finder.SetBase(db_.get());
  EXPECT_EQ(finder.CheminSignature(QStringLiteral("LETTREINFOCP"), QString(), QStringLiteral("010")), "");

  db_->CreateFile(kFichierSignatures, mvdb::FileKind::kDirectory);
  std::ofstream(dir_ / "LETTREINFOCP_x.png") << "outside";
  EXPECT_EQ(finder.CheminSignature(QStringLiteral("..") , QString(), QStringLiteral("x")), "");
  EXPECT_EQ(finder.CheminSignature(QStringLiteral("LETTREINFOCP"), QString(), QStringLiteral("../x")), "");
}

}  // namespace
}  // namespace morvane::services
