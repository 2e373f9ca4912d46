// The sibling controls placed on the control's form: the planning printer,
// the signature-picture finder and the mail-merge editor.
#pragma once

#include <QString>
#include <cstdint>
#include <memory>

#include "mvdb/database.h"
#include "mvdb/dynarray.h"

namespace morvane::services {

class Droits;
class Printer;
class PrinterList;

/// Everything the planning printer is handed, in the order it is handed.
struct PlanningRequest {
  mvdb::Database* database = nullptr;         ///< 1, not owned
  const mvdb::Client* client = nullptr;       ///< 2, not owned
  std::shared_ptr<const Droits> droits;       ///< 3
  mvdb::DynArray resultat;                    ///< 4 ResultatSelection
  bool flag5 = false;                         ///< 5 always False
  bool graphique = true;                      ///< 6
  bool secteur = false;                       ///< 7 Opt_Secteur selected
  bool commune = false;                       ///< 8 Opt_Com selected
  bool arretTravail = false, conges = false, autres = false, aValider = false;  ///< 9-12
  std::int32_t finPeriode = 0;                ///< 13
  std::int32_t debutPeriode = 0;              ///< 14
  std::int32_t printerIndex = 0;              ///< 15
  /// Not handed by the form: a preview's surface to draw on instead of the
  /// printer of printerIndex (not owned; null for the print itself).
  Printer* surface = nullptr;
};

/// Ctr_Vellaro1: prints the planning chart of the rows between the two days on
/// the printer of that index. Throws on a database or printer failure.
class PlanningControl {
 public:
  virtual ~PlanningControl() = default;
  virtual void Imprimer(const PlanningRequest& request) = 0;
};

/// Ctr_Dorsany: finds the signature picture of a legal entity for a letter type.
class SignatureControl {
 public:
  virtual ~SignatureControl() = default;
  virtual void SetBase(mvdb::Database* db) = 0;
  virtual void SetClient(const mvdb::Client* client) = 0;
  /// Path of the picture file, or "" when the entity has none for that type.
  virtual QString CheminSignature(const QString& letterType, const QString& unused, const QString& entity) = 0;
};

/// Ctr_Brinel: merges a stored letter model with a list of keys.
class EditorControl {
 public:
  virtual ~EditorControl() = default;
  virtual void SetBase(mvdb::Database* db) = 0;
  virtual void SetClient(const mvdb::Client* client) = 0;
  virtual void SetDroits(std::shared_ptr<const Droits> droits) = 0;
  virtual void SetCleModele(const QString& key) = 0;
  virtual void SetParametre(const QString& value) = 0;
  virtual void SetListeCles(QString& keys) = 0;
  virtual void SetRetour(QString& retour) = 0;
  virtual void Executer() = 0;
};

}  // namespace morvane::services
