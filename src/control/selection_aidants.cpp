// The carers' contract selections answered by one selection: the condition
// on the carer is tested afterwards on each contract, through the engine's
// parser, resolver, field reader and test of a value, so that it selects what
// the engine would.
#include "control/selection_aidants.h"

#include <algorithm>

#include "control/selection_requete.h"
#include "mvdb/errors.h"
#include "mvdb/query/field_reader.h"
#include "mvdb/query/parser.h"
#include "mvdb/query/resolver.h"
#include "mvdb/storage.h"

namespace morvane::control {
namespace {

using mvdb::query::Condition;

// Two conditions as written, their positions aside.
bool MemeCondition(const Condition& a, const Condition& b) {
  if (a.field.name != b.field.name || a.tests.size() != b.tests.size()) return false;
  for (std::size_t t = 0; t < a.tests.size(); ++t) {
    const mvdb::query::FieldTest& x = a.tests[t];
    const mvdb::query::FieldTest& y = b.tests[t];
    if (x.join != y.join || x.op != y.op || x.value != y.value || x.prefix != y.prefix) return false;
  }
  return true;
}

// Whether a text holds a byte that marks use (0xF8 and above): a key with one
// would not read back whole from a result list, nor a query text from its
// request.
bool SansMarque(std::string_view texte) {
  return std::none_of(texte.begin(), texte.end(), [](char c) { return static_cast<unsigned char>(c) >= 0xF8; });
}

}  // namespace

std::optional<ContratsGroupes> ContratsGroupes::Selectionner(mvdb::Database& base, const std::string& commune) {
  if (!SansMarque(commune)) return std::nullopt;
  try {
    mvdb::query::Query requete = mvdb::query::Parse(commune);
    if (requete.groups.size() != 1 || !requete.sorts.empty()) return std::nullopt;
    long compte = 0;
    const mvdb::DynArray liste = base.DBSelect(DemandeSelection(commune, requete.file, "0").Text(), "", compte);
    if (compte != liste.DCount()) return std::nullopt;
    std::vector<std::string> cles;
    cles.reserve(static_cast<std::size_t>(compte));
    for (int r = 1; r <= liste.DCount(); ++r) {
      cles.push_back(liste.Item(r, 1));
      if (!SansMarque(cles.back()) || (r > 1 && !(cles[cles.size() - 2] < cles.back()))) return std::nullopt;
    }
    std::vector<std::string> textes(cles.size());
    std::size_t k = 0;
    base.storage().GetMany(requete.file, cles, [&](const std::string& cle, const std::string& texte) {
      while (k < cles.size() && cles[k] < cle) ++k;
      if (k < cles.size()) textes[k] = texte;
      return true;
    });
    return ContratsGroupes(base, std::move(requete), std::move(cles), std::move(textes));
  } catch (const mvdb::DbError&) {
    return std::nullopt;
  }
}

ContratsGroupes::ContratsGroupes(mvdb::Database& base, mvdb::query::Query commune, std::vector<std::string> cles,
                                 std::vector<std::string> textes)
    : base_(&base), commune_(std::move(commune)), cles_(std::move(cles)), textes_(std::move(textes)) {}

const ContratsGroupes::ValeursChamp& ContratsGroupes::Valeurs(const mvdb::query::FieldDef& champ) {
  if (const auto connu = champs_.find(champ.name); connu != champs_.end()) return connu->second;
  ValeursChamp v;  // kept only once whole: reading a translated field may throw
  mvdb::query::FieldReader lecteur(base_->storage());
  mvdb::query::RecordView vue;
  std::vector<std::string_view> valeurs;
  v.parContrat.resize(cles_.size());
  for (std::size_t c = 0; c < cles_.size(); ++c) {
    vue.Reset(cles_[c], textes_[c]);
    lecteur.Values(champ, vue, valeurs);
    for (const std::string_view valeur : valeurs) {
      v.parContrat[c].emplace_back(valeur);
      v.parTexte[std::string(valeur)].push_back(c);
      // -0 and 0 are one number, as the test compares them.
      if (const auto nombre = mvdb::ParseNumber(valeur)) v.parNombre[*nombre == 0 ? 0.0 : *nombre].push_back(c);
    }
  }
  return champs_.emplace(champ.name, std::move(v)).first->second;
}

std::optional<std::vector<std::string>> ContratsGroupes::Cles(const std::string& requete) {
  if (!SansMarque(requete)) return std::nullopt;
  try {
    mvdb::query::Query q = mvdb::query::Parse(requete);
    const auto& communes = commune_.groups.front();
    if (q.file != commune_.file || !q.sorts.empty() || q.groups.size() != 1 ||
        q.groups.front().size() != communes.size() + 1) {
      return std::nullopt;
    }
    for (std::size_t i = 0; i < communes.size(); ++i) {
      if (!MemeCondition(q.groups.front()[i + 1], communes[i])) return std::nullopt;
    }
    // The condition in front, resolved as the engine resolves it.
    q.groups.front().resize(1);
    const mvdb::query::Plan plan = mvdb::query::Resolve(base_->storage(), q);
    const mvdb::query::ResolvedCondition& condition = plan.groups.front().front();
    const ValeursChamp& valeurs = Valeurs(condition.field);

    // Which contracts may hold: for a plain "=", those with a value equal as
    // text or as a number; otherwise every one.
    std::vector<std::size_t> candidats;
    const mvdb::query::Comparison& test = condition.tests.front();
    if (condition.tests.size() == 1 && test.op == mvdb::query::CompareOp::kEq && !test.prefix) {
      if (auto t = valeurs.parTexte.find(test.text); t != valeurs.parTexte.end()) candidats = t->second;
      if (test.number) {
        if (auto n = valeurs.parNombre.find(*test.number == 0 ? 0.0 : *test.number); n != valeurs.parNombre.end())
          candidats.insert(candidats.end(), n->second.begin(), n->second.end());
      }
      std::sort(candidats.begin(), candidats.end());
      candidats.erase(std::unique(candidats.begin(), candidats.end()), candidats.end());
    } else {
      candidats.resize(cles_.size());
      for (std::size_t c = 0; c < cles_.size(); ++c) candidats[c] = c;
    }
    std::vector<std::string> cles;
    for (const std::size_t c : candidats) {
      const auto& v = valeurs.parContrat[c];
      if (std::any_of(v.begin(), v.end(), [&](const std::string& valeur) { return condition.HoldsFor(valeur); }))
        cles.push_back(cles_[c]);
    }
    return cles;
  } catch (const mvdb::DbError&) {
    return std::nullopt;
  }
}

}  // namespace morvane::control
