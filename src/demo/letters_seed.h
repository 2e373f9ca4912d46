// The letters' part of the demo database: the French model of the paid-leave
// information letter (file MODELES) and the signature pictures of the legal
// entities (directory file SIGNATURES).
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "mvdb/database.h"

namespace morvane::demo {

/// Creates MODELES (hashed) and SIGNATURES (directory) when missing, writes
/// the model "LETTREINFOCP00000000" and a signature picture
/// "LETTREINFOCP_<entity>.png" for the entities 010, 020 and 030 (040 and 090
/// have none, so their letters end without a picture). The pictures are
/// written as stored: the binary files of SIGNATURES's folder. Throws
/// mvdb::DbError from the engine (kIo when the picture cannot be written, or
/// the database has no folder for directory files).
void SeedLetters(mvdb::Database& db);

/// A PNG file of a handwritten-looking signature, different for each `graine`:
/// 680 x 200 pixels, dark blue ink on a transparent background (two-colour
/// palette, uncompressed). Deterministic.
std::vector<std::uint8_t> SignaturePng(unsigned graine);

}  // namespace morvane::demo
