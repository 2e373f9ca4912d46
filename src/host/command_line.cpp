#include "host/command_line.h"

#include <map>

namespace morvane::host {

namespace {

constexpr std::size_t kShownWhole = 32;   // a value up to this length is shown whole
constexpr std::size_t kShownPrefix = 20;  // else its first characters

bool LooksLikeOption(const std::string& arg) { return arg.size() > 1 && arg[0] == '-'; }

const OptionRule* Find(const std::vector<OptionRule>& rules, const std::string& name) {
  for (const OptionRule& rule : rules) {
    for (const std::string& spelling : rule.names) {
      if (spelling == name) return &rule;
    }
  }
  return nullptr;
}

}  // namespace

OptionSetter SetFlag(bool& target) {
  return [&target](const std::string&) {
    target = true;
    return std::string();
  };
}

std::size_t CharacterCount(const std::string& text) {
  std::size_t count = 0;
  for (const char c : text) count += (static_cast<unsigned char>(c) & 0xC0) != 0x80;
  return count;
}

std::string Shown(const std::string& text) {
  const std::size_t length = CharacterCount(text);
  if (length <= kShownWhole) return '"' + text + '"';
  std::size_t end = 0;
  for (std::size_t characters = 0; end < text.size(); ++end) {
    if ((static_cast<unsigned char>(text[end]) & 0xC0) != 0x80 && characters++ == kShownPrefix) break;
  }
  return '"' + text.substr(0, end) + "…\" (" + std::to_string(length) + " characters)";
}

std::string ReadOptions(const std::vector<std::string>& args, const std::vector<OptionRule>& rules) {
  // What each option or choice was given as so far: its spelling and value.
  std::map<std::string, std::pair<std::string, std::string>> given;
  for (std::size_t i = 0; i < args.size(); ++i) {
    std::string name = args[i];
    std::string value;
    bool hasValue = false;
    if (const auto eq = name.find('='); name.rfind("--", 0) == 0 && eq != std::string::npos) {
      value = name.substr(eq + 1);
      name.resize(eq);
      hasValue = true;
    }
    const OptionRule* rule = Find(rules, name);
    if (rule == nullptr) {
      return LooksLikeOption(name) ? "unknown option " + Shown(name) : "unexpected argument " + Shown(args[i]);
    }
    const bool flag = rule->maxLength == 0;
    if (flag && hasValue) return name + " takes no value";
    if (!flag && !hasValue) {
      const bool next = i + 1 < args.size();
      if (next && !LooksLikeOption(args[i + 1])) {
        value = args[++i];
      } else if (!rule->valueOptional) {
        if (!next) return name + " needs a value";
        return name + " needs a value, not the option " + Shown(args[i + 1]) + " (write " + name +
               "=VALUE for a value that begins with \"-\")";
      }
    }
    if (CharacterCount(value) > rule->maxLength && !flag) {
      return name + " takes at most " + std::to_string(rule->maxLength) + " characters, not " + Shown(value);
    }

    const std::string what = rule->chooses.empty() ? rule->names.front() : "choice " + rule->chooses;
    if (const auto earlier = given.find(what); earlier != given.end()) {
      const auto& [earlierName, earlierValue] = earlier->second;
      if (Find(rules, earlierName) != rule) {
        return earlierName + " and " + name + " both choose " + rule->chooses + ": give one of them";
      }
      if (!flag) {
        return name + " is given twice (" + Shown(earlierValue) + ", then " + Shown(value) + "): give it once";
      }
    }
    given[what] = {name, value};

    if (const std::string accepted = rule->set(value); !accepted.empty()) {
      return name + ": " + Shown(value) + " is not accepted (" + accepted + ")";
    }
  }
  return {};
}

}  // namespace morvane::host
