// Times the DynArray operations the control runs over large result lists:
// parsing, walking every row and column with Item(i, j), deleting half of the
// rows from the last to the first, and rebuilding the text. Prints seconds.
#include <chrono>
#include <ctime>
#include <cstdio>
#include <cstdlib>
#include <string>

#include "mvdb/dynarray.h"

namespace {

std::clock_t cpuStart = 0;

/// Wall-clock seconds since `since`; also prints the processor seconds of this
/// step (the machine may be shared: processor time is the steadier figure).
double Seconds(std::chrono::steady_clock::time_point since) {
  const double cpu = static_cast<double>(std::clock() - cpuStart) / CLOCKS_PER_SEC;
  std::printf("[cpu %.3f s] ", cpu);
  return std::chrono::duration<double>(std::chrono::steady_clock::now() - since).count();
}

/// A result list shaped like the absence selection: key, three short columns,
/// an observation, a contract key and a percentage.
std::string MakeResultList(int rows) {
  std::string text;
  text.reserve(static_cast<std::size_t>(rows) * 64);
  for (int r = 0; r < rows; ++r) {
    if (r > 0) text.push_back(mvdb::kAttributeMark);
    char key[16];
    std::snprintf(key, sizeof key, "%05d01%05d", r % 5000, 16000 + r % 900);
    text += key;
    text += "\xFD" "1\xFD" "16100\xFD" "2\xFD" "Observation \xC3\xA9t\xC3\xA9\xFD" "C";
    text += std::to_string(r % 7000);
    text += "\xFD" "5000";
  }
  return text;
}

}  // namespace

int main(int argc, char** argv) {
  const int rows = argc > 1 ? std::atoi(argv[1]) : 1000000;
  const std::string text = MakeResultList(rows);

  auto start = std::chrono::steady_clock::now();
  cpuStart = std::clock();
  mvdb::DynArray list(text);
  std::printf("parse %d rows (%zu bytes): %.3f s\n", rows, text.size(), Seconds(start));

  start = std::chrono::steady_clock::now();
  cpuStart = std::clock();
  std::size_t bytes = 0;
  for (int i = 1; i <= list.DCount(); ++i)
    for (int j = 1; j <= 7; ++j) bytes += list.Item(i, j).size();
  std::printf("walk Item(i, j) over %d rows x 7 columns: %.3f s (%zu bytes read)\n", rows, Seconds(start), bytes);

  start = std::chrono::steady_clock::now();
  cpuStart = std::clock();
  for (int i = list.DCount(); i >= 1; --i)
    if (i % 2 == 0) list.Delete(i);
  std::printf("delete 50%% of rows from last to first: %.3f s (%d rows left)\n", Seconds(start), list.DCount());

  start = std::chrono::steady_clock::now();
  cpuStart = std::clock();
  for (int i = 1; i <= list.DCount(); ++i) list.SetItem(i, 7, "10000");
  std::printf("rewrite column 7 of every row left: %.3f s\n", Seconds(start));

  start = std::chrono::steady_clock::now();
  cpuStart = std::clock();
  const std::size_t size = list.Text().size();
  std::printf("whole text out: %.3f s (%zu bytes)\n", Seconds(start), size);

  start = std::chrono::steady_clock::now();
  cpuStart = std::clock();
  mvdb::DynArray built;
  for (int i = 1; i <= rows; ++i) {
    built.SetItem(-1, 1, "00001011600" + std::to_string(i % 10));
    for (int j = 2; j <= 7; ++j) built.SetItem(i, j, "x");
  }
  std::printf("build %d rows x 7 columns with SetItem: %.3f s\n", rows, Seconds(start));
  return 0;
}
