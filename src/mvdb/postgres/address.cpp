#include "mvdb/postgres/address.h"

#include <cctype>
#include <vector>

#include "mvdb/errors.h"

namespace mvdb::postgres {
namespace {

[[noreturn]] void Bad(const std::string& why) { throw DbError(ErrorCode::kInvalidArgument, why); }

void CheckSchema(const std::string& schema) {
  bool good = !schema.empty() && schema.size() <= 63 && !std::isdigit(static_cast<unsigned char>(schema[0]));
  for (char c : schema) good = good && (std::isalnum(static_cast<unsigned char>(c)) || c == '_');
  if (!good)
    Bad("schema \"" + schema + "\": a schema name is 1 to 63 letters, digits or \"_\", not starting with a digit");
}

std::string PercentDecoded(std::string_view text) {
  std::string out;
  for (std::size_t i = 0; i < text.size(); ++i) {
    if (text[i] == '%' && i + 2 < text.size() && std::isxdigit(static_cast<unsigned char>(text[i + 1])) &&
        std::isxdigit(static_cast<unsigned char>(text[i + 2]))) {
      out.push_back(static_cast<char>(std::stoi(std::string(text.substr(i + 1, 2)), nullptr, 16)));
      i += 2;
    } else {
      out.push_back(text[i]);
    }
  }
  return out;
}

// postgresql://[user[:password]@][hosts][/dbname][?name=value&...]
ServerAddress ParseUri(std::string_view uri) {
  ServerAddress address{std::string(), kDefaultSchema, std::string()};
  const auto query = uri.find('?');
  std::string_view base = uri.substr(0, query);
  std::vector<std::string> kept;  // the parameters libpq gets
  std::vector<std::string> shown;
  bool timeout = false;
  if (query != std::string_view::npos) {
    std::string_view rest = uri.substr(query + 1);
    while (!rest.empty()) {
      const auto amp = rest.find('&');
      const std::string_view pair = rest.substr(0, amp);
      rest = amp == std::string_view::npos ? std::string_view() : rest.substr(amp + 1);
      if (pair.empty()) continue;
      const std::string_view name = pair.substr(0, pair.find('='));
      const std::string value = pair.find('=') == std::string_view::npos ? "" : PercentDecoded(pair.substr(name.size() + 1));
      if (name == "schema") {
        address.schema = value;
        shown.emplace_back(pair);
        continue;
      }
      if (name == "connect_timeout") timeout = true;
      kept.emplace_back(pair);
      if (name != "password") shown.emplace_back(pair);
    }
  }
  if (!timeout) kept.push_back("connect_timeout=" + std::to_string(kConnectTimeoutSeconds));
  auto joined = [](std::string_view head, const std::vector<std::string>& parameters) {
    std::string text(head);
    for (std::size_t i = 0; i < parameters.size(); ++i) text += (i == 0 ? "?" : "&") + parameters[i];
    return text;
  };
  address.conninfo = joined(base, kept);
  // user:password@ loses its password in messages
  std::string visible(base);
  const auto scheme = visible.find("://");
  const auto at = visible.find('@', scheme + 3);
  const auto slash = visible.find('/', scheme + 3);
  if (at != std::string::npos && (slash == std::string::npos || at < slash)) {
    const auto colon = visible.find(':', scheme + 3);
    if (colon != std::string::npos && colon < at) visible.erase(colon, at - colon);
  }
  address.shown = joined(visible, shown);
  return address;
}

// name = value pairs; a value is a word or 'quoted' with \' and \\ escapes.
struct Pair {
  std::string name;
  std::string value;
  std::string text;  // as written
};

std::vector<Pair> Pairs(std::string_view text) {
  std::vector<Pair> pairs;
  std::size_t i = 0;
  auto blank = [&] { return i < text.size() && std::isspace(static_cast<unsigned char>(text[i])); };
  while (true) {
    while (blank()) ++i;
    if (i >= text.size()) return pairs;
    const std::size_t start = i;
    Pair pair;
    while (i < text.size() && text[i] != '=' && !blank()) pair.name.push_back(text[i++]);
    while (blank()) ++i;
    if (i >= text.size() || text[i] != '=') Bad("\"" + pair.name + "\" in the server address has no \"=\" and value");
    ++i;
    while (blank()) ++i;
    if (i < text.size() && text[i] == '\'') {
      ++i;
      bool closed = false;
      while (i < text.size()) {
        if (text[i] == '\\' && i + 1 < text.size()) {
          pair.value.push_back(text[i + 1]);
          i += 2;
        } else if (text[i] == '\'') {
          ++i;
          closed = true;
          break;
        } else {
          pair.value.push_back(text[i++]);
        }
      }
      if (!closed) Bad("the value of \"" + pair.name + "\" in the server address has no closing quote");
    } else {
      while (i < text.size() && !blank()) {
        if (text[i] == '\\' && i + 1 < text.size()) ++i;
        pair.value.push_back(text[i++]);
      }
    }
    pair.text = std::string(text.substr(start, i - start));
    pairs.push_back(std::move(pair));
  }
}

ServerAddress ParseKeywords(std::string_view text) {
  ServerAddress address{std::string(), kDefaultSchema, std::string()};
  bool timeout = false;
  for (const Pair& pair : Pairs(text)) {
    if (pair.name == "schema") {
      address.schema = pair.value;
      address.shown += (address.shown.empty() ? "" : " ") + pair.text;
      continue;
    }
    if (pair.name == "connect_timeout") timeout = true;
    address.conninfo += (address.conninfo.empty() ? "" : " ") + pair.text;
    if (pair.name != "password") address.shown += (address.shown.empty() ? "" : " ") + pair.text;
  }
  if (!timeout) address.conninfo += " connect_timeout=" + std::to_string(kConnectTimeoutSeconds);
  return address;
}

}  // namespace

ServerAddress ParseServerAddress(std::string_view text) {
  ServerAddress address = text.starts_with("postgresql://") || text.starts_with("postgres://") ? ParseUri(text)
                                                                                               : ParseKeywords(text);
  CheckSchema(address.schema);
  return address;
}

}  // namespace mvdb::postgres
