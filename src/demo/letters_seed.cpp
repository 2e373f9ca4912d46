#include "demo/letters_seed.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <numbers>
#include <string_view>
#include <utility>

#include "mvdb/storage.h"

namespace morvane::demo {
namespace {

constexpr int kLargeur = 680;
constexpr int kHauteur = 200;

// The model: paragraph text and style ("G" bold, "D" right-hand block).
const std::vector<std::pair<const char*, const char*>>& ParagraphesDuModele() {
  static const std::vector<std::pair<const char*, const char*>> p = {
      {"{{EMPLOYEUR}}", "G"},
      {"{{EMPLOYEUR_RUE}}", ""},
      {"{{EMPLOYEUR_COMPLEMENT}}", ""},
      {"{{EMPLOYEUR_VILLE}} {{EMPLOYEUR_CEDEX}}", ""},
      {"Tél. : {{EMPLOYEUR_TEL}}", ""},
      {"Courriel : {{EMPLOYEUR_MAIL}}", ""},
      {"", ""},
      {"", ""},
      {"{{DESTINATAIRE}}", "DG"},
      {"{{ADRESSE1}}", "D"},
      {"{{ADRESSE2}}", "D"},
      {"{{ADRESSE3}}", "D"},
      {"", ""},
      {"", ""},
      {"{{LIEU}}, LE {{DATE}}", "D"},
      {"", ""},
      {"Objet : vos droits à congés payés", "G"},
      {"", ""},
      {"{{TITRE}},", ""},
      {"", ""},
      {"En application de l'article L. 3141-19-3 du code du travail, nous vous informons de vos droits "
       "à congés payés ainsi que de la date à laquelle ils pourront être pris.",
       ""},
      {"", ""},
      {"1 - Congés acquis et non pris :", "G"},
      {"{{LIGNES_CP}}", ""},
      {"", ""},
      {"2 - Congés payés en cours d'acquisition :", "G"},
      {"{{LIGNE_EN_COURS}}", ""},
      {"", ""},
      {"{{FORMULE}}", ""},
      {"", ""},
      {"", ""},
      {"Nom et signature", "D"},
      {"{{SIGNATURE}}", "D"},
  };
  return p;
}

std::uint32_t Crc32(const std::uint8_t* data, std::size_t size, std::uint32_t crc = 0) {
  static const std::array<std::uint32_t, 256> table = [] {
    std::array<std::uint32_t, 256> t{};
    for (std::uint32_t n = 0; n < 256; ++n) {
      std::uint32_t c = n;
      for (int k = 0; k < 8; ++k) c = (c & 1) ? 0xEDB88320u ^ (c >> 1) : c >> 1;
      t[n] = c;
    }
    return t;
  }();
  crc = ~crc;
  for (std::size_t i = 0; i < size; ++i) crc = table[(crc ^ data[i]) & 0xFF] ^ (crc >> 8);
  return ~crc;
}

void Ajouter32(std::vector<std::uint8_t>& out, std::uint32_t v) {
  for (int shift = 24; shift >= 0; shift -= 8) out.push_back(static_cast<std::uint8_t>(v >> shift));
}

void Morceau(std::vector<std::uint8_t>& png, const char* type, const std::vector<std::uint8_t>& donnees) {
  Ajouter32(png, static_cast<std::uint32_t>(donnees.size()));
  std::vector<std::uint8_t> corps(type, type + 4);
  corps.insert(corps.end(), donnees.begin(), donnees.end());
  png.insert(png.end(), corps.begin(), corps.end());
  Ajouter32(png, Crc32(corps.data(), corps.size()));
}

// A zlib stream of stored (uncompressed) deflate blocks.
std::vector<std::uint8_t> ZlibSansCompression(const std::vector<std::uint8_t>& brut) {
  std::vector<std::uint8_t> z = {0x78, 0x01};
  std::size_t pos = 0;
  do {
    const std::size_t n = std::min<std::size_t>(65535, brut.size() - pos);
    const bool dernier = pos + n == brut.size();
    z.push_back(dernier ? 1 : 0);
    z.push_back(static_cast<std::uint8_t>(n & 0xFF));
    z.push_back(static_cast<std::uint8_t>(n >> 8));
    z.push_back(static_cast<std::uint8_t>(~n & 0xFF));
    z.push_back(static_cast<std::uint8_t>((~n >> 8) & 0xFF));
    z.insert(z.end(), brut.begin() + static_cast<std::ptrdiff_t>(pos), brut.begin() + static_cast<std::ptrdiff_t>(pos + n));
    pos += n;
  } while (pos < brut.size());
  std::uint32_t a = 1, b = 0;
  for (std::uint8_t octet : brut) {
    a = (a + octet) % 65521;
    b = (b + a) % 65521;
  }
  Ajouter32(z, (b << 16) | a);
  return z;
}

// The ink of a signature: a pen of radius 2.6 pixels following a cursive-like
// curve, then an underline flourish. One bit a pixel, 1 = ink.
std::vector<std::uint8_t> Encre(unsigned graine) {
  std::vector<std::uint8_t> pixels(static_cast<std::size_t>(kLargeur) * kHauteur, 0);
  auto tache = [&](double x, double y) {
    for (int dy = -3; dy <= 3; ++dy) {
      for (int dx = -3; dx <= 3; ++dx) {
        const int px = static_cast<int>(std::lround(x)) + dx;
        const int py = static_cast<int>(std::lround(y)) + dy;
        if (px < 0 || py < 0 || px >= kLargeur || py >= kHauteur || dx * dx + dy * dy > 7) continue;
        pixels[static_cast<std::size_t>(py) * kLargeur + px] = 1;
      }
    }
  };
  const double boucles = 6 + graine % 4;  // loops of the name
  const double phase = 0.7 * (graine % 5);
  const double pente = 0.05 + 0.02 * (graine % 3);
  for (double t = 0; t <= 1; t += 0.0005) {  // the capital: a tall loop
    tache(70 + 22 * std::sin(2 * std::numbers::pi * t), 100 - 70 * std::sin(std::numbers::pi * t));
  }
  for (double t = 0; t <= 1; t += 0.00025) {
    const double hauteur = 26 + 12 * std::sin(2 * std::numbers::pi * 1.7 * t + phase);
    const double x = 80 + 500 * t + 22 * std::sin(2 * std::numbers::pi * boucles * t + phase);
    const double y = 100 - 140 * pente * t + hauteur * std::cos(2 * std::numbers::pi * boucles * t + phase);
    tache(x, y);
  }
  for (double t = 0; t <= 1; t += 0.0005) {  // the flourish under the name
    tache(70 + 560 * t, 160 - 25 * std::sin(std::numbers::pi * t) + 10 * t);
  }
  return pixels;
}

}  // namespace

std::vector<std::uint8_t> SignaturePng(unsigned graine) {
  const std::vector<std::uint8_t> encre = Encre(graine);
  const int octetsParLigne = (kLargeur + 7) / 8;
  std::vector<std::uint8_t> brut;
  brut.reserve(static_cast<std::size_t>(kHauteur) * (octetsParLigne + 1));
  for (int y = 0; y < kHauteur; ++y) {
    brut.push_back(0);  // filter: none
    for (int octet = 0; octet < octetsParLigne; ++octet) {
      std::uint8_t v = 0;
      for (int bit = 0; bit < 8; ++bit) {
        const int x = octet * 8 + bit;
        if (x < kLargeur && encre[static_cast<std::size_t>(y) * kLargeur + x]) v |= static_cast<std::uint8_t>(0x80 >> bit);
      }
      brut.push_back(v);
    }
  }
  std::vector<std::uint8_t> png = {0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n'};
  std::vector<std::uint8_t> entete;
  Ajouter32(entete, kLargeur);
  Ajouter32(entete, kHauteur);
  entete.insert(entete.end(), {1, 3, 0, 0, 0});  // 1 bit, palette, deflate, no filter, no interlace
  Morceau(png, "IHDR", entete);
  Morceau(png, "PLTE", {0xFF, 0xFF, 0xFF, 0x1A, 0x2A, 0x6C});  // paper (transparent), dark blue ink
  Morceau(png, "tRNS", {0x00, 0xFF});
  Morceau(png, "IDAT", ZlibSansCompression(brut));
  Morceau(png, "IEND", {});
  return png;
}

void SeedLetters(mvdb::Database& db) {
  if (!db.FileExists("MODELES")) db.CreateFile("MODELES");
  if (!db.FileExists("SIGNATURES")) db.CreateFile("SIGNATURES", mvdb::FileKind::kDirectory);

  mvdb::DynArray modele = db.DBOpen("MODELES").DBNew("LETTREINFOCP00000000");
  modele.SetItem(1, "Lettre d'information sur les congés payés");
  int k = 1;
  for (const auto& [texte, style] : ParagraphesDuModele()) {
    modele.SetItem(2, k, texte);
    modele.SetItem(3, k, style);
    ++k;
  }
  modele.SetItem(4, "Liberation Serif");
  modele.SetItem(5, "11");
  modele.DBWrite();

  // A picture is binary: it is written as stored (the bytes of its file in
  // the directory file's folder), not as a text record.
  const std::pair<const char*, unsigned> entites[] = {{"010", 1}, {"020", 2}, {"030", 3}};
  for (const auto& [entite, graine] : entites) {
    const std::vector<std::uint8_t> png = SignaturePng(graine);
    db.storage().PutStored("SIGNATURES", std::string("LETTREINFOCP_") + entite + ".png",
                           std::string_view(reinterpret_cast<const char*>(png.data()), png.size()));
  }
}

}  // namespace morvane::demo
