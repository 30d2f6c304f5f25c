#include "platform/http/HeaderMap.h"

#include <algorithm>
#include <cctype>

namespace plat::http {

bool equalsIgnoringCase(const std::string& a, const std::string& b) {
  return a.size() == b.size() && std::equal(a.begin(), a.end(), b.begin(), [](char x, char y) {
           return std::tolower(static_cast<unsigned char>(x)) ==
                  std::tolower(static_cast<unsigned char>(y));
         });
}

std::string lowercased(std::string text) {
  for (char& c : text) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  return text;
}

std::vector<HeaderMap::Field>::iterator HeaderMap::find(const std::string& name) {
  return std::find_if(fields_.begin(), fields_.end(),
                      [&](const Field& f) { return equalsIgnoringCase(f.first, name); });
}

void HeaderMap::set(const std::string& name, const std::string& value) {
  auto it = find(name);
  if (it != fields_.end()) {
    it->second = value;
  } else {
    fields_.emplace_back(name, value);
  }
}

void HeaderMap::append(const std::string& name, const std::string& value) {
  auto it = find(name);
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

std::optional<std::string> HeaderMap::get(const std::string& name) const {
  for (const Field& f : fields_)
    if (equalsIgnoringCase(f.first, name)) return f.second;
  return std::nullopt;
}

}  // namespace plat::http
