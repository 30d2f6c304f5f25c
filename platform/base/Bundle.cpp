#include "platform/base/Bundle.h"

#include <unistd.h>

#include <cstdlib>
#include <mutex>
#include <vector>

#include "platform/base/Files.h"

namespace plat {
namespace {

std::mutex& bundleMutex() {
  static std::mutex m;
  return m;
}

// Never destroyed, like the bundles it replaced: the network thread (the default User-Agent) and
// workers read it until they stop, which may be after the exit handlers have begun.
std::unique_ptr<Bundle>& mainBundle() {
  static auto* bundle = new std::unique_ptr<Bundle>;
  return *bundle;
}

// $VOCAB_BUNDLE, else the nearest folder named "bundle" beside the program or above it.
std::string defaultBundlePath() {
  if (const char* env = std::getenv("VOCAB_BUNDLE"); env && *env) return env;
  std::string dir = files::programPath();
  if (dir.empty()) return "bundle";
  for (int up = 0; up < 4; ++up) {
    auto slash = dir.rfind('/');
    if (slash == std::string::npos) break;
    dir.resize(slash);
    if (files::isDirectory(dir + "/bundle")) return dir + "/bundle";
  }
  return "bundle";
}

// Reads one quoted string starting at text[i] == '"'; false if unterminated.
bool readQuoted(const std::string& text, size_t& i, std::string& out) {
  ++i;
  out.clear();
  while (i < text.size()) {
    char c = text[i++];
    if (c == '"') return true;
    if (c == '\n') return false;
    if (c == '\\' && i < text.size()) {
      char e = text[i++];
      switch (e) {
        case 'n':
          out += '\n';
          break;
        case 't':
          out += '\t';
          break;
        case 'r':
          out += '\r';
          break;
        default:
          out += e;
      }
    } else {
      out += c;
    }
  }
  return false;
}

void skipSpaceAndComments(const std::string& text, size_t& i) {
  while (i < text.size()) {
    if (isspace(static_cast<unsigned char>(text[i]))) {
      ++i;
    } else if (text.compare(i, 2, "//") == 0) {
      i = text.find('\n', i);
      if (i == std::string::npos) i = text.size();
    } else if (text.compare(i, 2, "/*") == 0) {
      size_t end = text.find("*/", i + 2);
      i = end == std::string::npos ? text.size() : end + 2;
    } else {
      return;
    }
  }
}

void skipLine(const std::string& text, size_t& i) {
  size_t end = text.find('\n', i);
  i = end == std::string::npos ? text.size() : end + 1;
}

}  // namespace

std::map<std::string, std::string> parseStringsTable(const std::string& text) {
  std::map<std::string, std::string> table;
  size_t i = 0;
  while (true) {
    skipSpaceAndComments(text, i);
    if (i >= text.size()) break;
    size_t lineStart = i;
    std::string key, value;
    bool ok = text[i] == '"' && readQuoted(text, i, key);
    if (ok) {
      skipSpaceAndComments(text, i);
      ok = i < text.size() && text[i] == '=';
      ++i;
    }
    if (ok) {
      skipSpaceAndComments(text, i);
      ok = i < text.size() && text[i] == '"' && readQuoted(text, i, value);
    }
    if (ok) {
      skipSpaceAndComments(text, i);
      ok = i < text.size() && text[i] == ';';
      ++i;
    }
    if (ok) {
      table[key] = value;
    } else {
      i = lineStart;
      skipLine(text, i);
    }
  }
  return table;
}

Bundle::Bundle(std::string path) : path_(std::move(path)) {}

Bundle& Bundle::main() {
  std::lock_guard lock(bundleMutex());
  if (!mainBundle()) mainBundle() = std::make_unique<Bundle>(defaultBundlePath());
  return *mainBundle();
}

void Bundle::setMainPath(const std::string& path) {
  // The bundle being replaced stays alive: callers may still hold the reference main() gave.
  static auto* retired = new std::vector<std::unique_ptr<Bundle>>;
  std::lock_guard lock(bundleMutex());
  if (mainBundle()) retired->push_back(std::move(mainBundle()));
  mainBundle() = std::make_unique<Bundle>(path.empty() ? defaultBundlePath() : path);
}

std::string Bundle::pathForResource(const std::string& name, const std::string& type,
                                    const std::string& subdir) const {
  std::string file = type.empty() ? name : name + "." + type;
  std::string full =
      subdir.empty() ? files::join(path_, file) : files::join(files::join(path_, subdir), file);
  return files::exists(full) ? full : "";
}

const std::map<std::string, std::string>& Bundle::table(const std::string& name) const {
  std::lock_guard lock(bundleMutex());
  auto it = tables_.find(name);
  if (it == tables_.end()) {
    auto text = files::readFile(files::join(path_, name + ".strings"));
    it = tables_
             .emplace(name, text ? parseStringsTable(*text) : std::map<std::string, std::string>{})
             .first;
  }
  return it->second;
}

std::string Bundle::infoValue(const std::string& key) const {
  const auto& info = table("info");
  auto it = info.find(key);
  return it == info.end() ? "" : it->second;
}

std::string Bundle::localizedString(const std::string& key, const std::string& tableName) const {
  const auto& t = table(tableName);
  auto it = t.find(key);
  return it == t.end() ? key : it->second;
}

std::string localized(const std::string& key, const std::string& table) {
  return Bundle::main().localizedString(key, table);
}

}  // namespace plat
