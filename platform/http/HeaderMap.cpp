#include "platform/http/HeaderMap.h"

#include <algorithm>

namespace plat::http {
namespace {

// Field names and the values compared here are ASCII tokens: folding only A-Z keeps the
// comparison independent of the process's locale and cheap enough for every header lookup.
char asciiLower(char c) {
  return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c;
}

}  // namespace

bool equalsIgnoringCase(std::string_view a, std::string_view b) {
  return a.size() == b.size() && std::equal(a.begin(), a.end(), b.begin(), [](char x, char y) {
           return asciiLower(x) == asciiLower(y);
         });
}

std::string lowercased(std::string text) {
  for (char& c : text) c = asciiLower(c);
  return text;
}

std::vector<HeaderMap::Field>::iterator HeaderMap::locate(const std::string& name) {
  return std::find_if(fields_.begin(), fields_.end(),
                      [&](const Field& f) { return equalsIgnoringCase(f.first, name); });
}

void HeaderMap::set(const std::string& name, const std::string& value) {
  auto it = locate(name);
  if (it != fields_.end()) {
    it->second = value;
  } else {
    fields_.emplace_back(name, value);
  }
}

void HeaderMap::append(const std::string& name, const std::string& value) {
  auto it = locate(name);
  if (it != fields_.end()) {
    it->second += ", " + value;
  } else {
    fields_.emplace_back(name, value);
  }
}

bool HeaderMap::remove(const std::string& name) {
  return std::erase_if(fields_, [&](const Field& f) { return equalsIgnoringCase(f.first, name); }) >
         0;
}

const std::string* HeaderMap::find(std::string_view name) const {
  for (const Field& f : fields_)
    if (equalsIgnoringCase(f.first, name)) return &f.second;
  return nullptr;
}

std::optional<std::string> HeaderMap::get(std::string_view name) const {
  if (const std::string* found = find(name)) return *found;
  return std::nullopt;
}

}  // namespace plat::http
