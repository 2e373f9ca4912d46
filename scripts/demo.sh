#!/usr/bin/env bash
# The main job on the embedded demo database: builds the project, creates the
# demo database and produces the outputs into out/ (or the folder given).
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/setup.sh
BUILD=build
OUT="${1:-out}"
cmake -S . -B "$BUILD" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
cmake --build "$BUILD" -j2 --target mvdb
mkdir -p "$OUT"
DB="$OUT/demo.mvdb"
rm -rf "$DB" "$DB"-* "$DB".d
"$BUILD"/src/mvdb demo "$DB"
echo "Sample query: sick leave overlapping 2025, by sector and name"
"$BUILD"/src/mvdb select "$DB" 'SSELECT ABSENCESAIDANT AVEC NumMotifAidant <= "6" OR = "29" OR = "30" AND AVEC DebAbsAidant <= "21185" AND AVEC 2 >= "20821" PAR SecteurAbsAidant PAR NomAidant PAR PrenomAidant PAR DebAbsAidant' "0 1 2 3 29" | tail -n 15
echo "Demo database: $DB"
