// Rights held in memory: one level per file and a set of visible sectors.
#include "services/droits.h"

#include <QHash>
#include <QSet>

#include "services/droits_record.h"

namespace morvane::services {

namespace {

using SectorSet = QSet<QString>;
using LevelMap = QHash<QString, std::int32_t>;  // keys upper-cased

class FileRights : public DroitsFichier {
 public:
  FileRights(std::int32_t level, std::shared_ptr<const SectorSet> sectors)
      : level_(level), sectors_(std::move(sectors)) {}

  std::int32_t NiveauAcces() const override { return level_; }

  // An empty sector code is no sector at all: the answer is Null. An empty
  // sector set means every sector is visible.
  std::optional<bool> SecteurAutorise(const QString& sectorCode, bool /*lookUp*/) const override {
    const QString code = sectorCode.trimmed();
    if (code.isEmpty()) return std::nullopt;
    return sectors_->isEmpty() || sectors_->contains(code);
  }

 private:
  std::int32_t level_;
  std::shared_ptr<const SectorSet> sectors_;
};

class UserRights : public Droits {
 public:
  UserRights(QString user, LevelMap levels,
             std::optional<std::int32_t> everyFileLevel, std::shared_ptr<const SectorSet> sectors)
      : user_(std::move(user)), levels_(std::move(levels)), everyFileLevel_(everyFileLevel),
        sectors_(std::move(sectors)) {}

  std::shared_ptr<services::DroitsFichier> DroitsFichier(const QString& fileName) const override {
    std::int32_t level = 0;
    if (everyFileLevel_) {
      level = *everyFileLevel_;
    } else {
      level = levels_.value(fileName.trimmed().toUpper(), 0);
    }
    return std::make_shared<FileRights>(level, sectors_);
  }

  QString Utilisateur() const override { return user_; }

 private:
  QString user_;
  LevelMap levels_;
  std::optional<std::int32_t> everyFileLevel_;
  std::shared_ptr<const SectorSet> sectors_;
};

std::shared_ptr<const SectorSet> MakeSectorSet(const std::vector<QString>& sectors) {
  auto set = std::make_shared<SectorSet>();
  for (const QString& s : sectors) {
    const QString code = s.trimmed();
    if (!code.isEmpty()) set->insert(code);
  }
  return set;
}

}  // namespace

std::shared_ptr<Droits> MakeDroits(const QString& user, int level, const std::vector<QString>& sectors) {
  return std::make_shared<UserRights>(user, LevelMap{}, level,
                                      MakeSectorSet(sectors));
}

std::shared_ptr<Droits> DroitsFromRecord(const QString& user, const mvdb::DynArray& record) {
  LevelMap levels;
  const int files = record.DCount(1);
  for (int i = 1; i <= files; ++i) {
    const QString file = QString::fromStdString(record.Item(1, i)).trimmed().toUpper();
    if (file.isEmpty()) continue;
    bool ok = false;
    const int level = QString::fromStdString(record.Item(2, i)).trimmed().toInt(&ok);
    if (!levels.contains(file)) levels.insert(file, ok ? level : 0);  // the first listing wins
  }
  std::vector<QString> sectors;
  const int sectorCount = record.DCount(3);
  for (int j = 1; j <= sectorCount; ++j) sectors.push_back(QString::fromStdString(record.Item(3, j)));
  return std::make_shared<UserRights>(user, std::move(levels), std::nullopt, MakeSectorSet(sectors));
}

}  // namespace morvane::services
