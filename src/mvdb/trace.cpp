#include "mvdb/trace.h"

#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <iostream>
#include <sstream>

#include "mvdb/dynarray.h"

namespace mvdb {

std::unique_ptr<Trace> Trace::FromEnvironment() {
  auto trace = std::make_unique<Trace>();
  const char* value = std::getenv("MVDB_TRACE");
  if (!value || !*value || std::string(value) == "0") return trace;
  trace->on_ = true;
  if (std::string(value) != "1") trace->path_ = value;
  return trace;
}

Trace::~Trace() = default;

void Trace::Log(const std::string& kind, const std::string& text, const std::string& outcome,
                std::chrono::steady_clock::duration elapsed) noexcept {
  if (!on_) return;
  try {
    std::string shown = text;
    for (char& c : shown) {
      if (c == kAttributeMark) c = '^';
      else if (c == kValueMark) c = ']';
      else if (c == kSubValueMark) c = '\\';
    }
    std::ostringstream line;
    line.setf(std::ios::fixed);
    line.precision(3);
    line << "[mvdb] " << kind << " " << shown << " -> " << outcome << " ("
         << std::chrono::duration<double, std::milli>(elapsed).count() << " ms)\n";
    if (path_.empty()) {
      std::cerr << line.str() << std::flush;
    } else {
      std::ofstream out(path_, std::ios::app);
      out << line.str();
    }
  } catch (...) {
  }
}

}  // namespace mvdb
