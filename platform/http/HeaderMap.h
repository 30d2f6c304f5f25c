// Header fields of an HTTP message: names compared without regard to letter case, the first
// spelling and the order of arrival kept.
#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace plat::http {

class HeaderMap {
 public:
  using Field = std::pair<std::string, std::string>;

  // Replaces the value of a field of the same name in place, or appends a new field.
  void set(const std::string& name, const std::string& value);
  // Joins the value to a present field with ", " (how repeated fields read), else appends.
  void append(const std::string& name, const std::string& value);
  bool remove(const std::string& name);
  void clear() { fields_.clear(); }

  // Lookups take views, so that a name written in place ("Content-Encoding") makes no string.
  std::optional<std::string> get(std::string_view name) const;
  // The value of the field, or nullptr; valid until the map changes.
  const std::string* find(std::string_view name) const;
  std::string value(std::string_view name) const {
    const std::string* found = find(name);
    return found ? *found : std::string();
  }
  bool contains(std::string_view name) const { return find(name) != nullptr; }

  size_t size() const { return fields_.size(); }
  bool empty() const { return fields_.empty(); }
  std::vector<Field>::const_iterator begin() const { return fields_.begin(); }
  std::vector<Field>::const_iterator end() const { return fields_.end(); }

  bool operator==(const HeaderMap& other) const { return fields_ == other.fields_; }

 private:
  std::vector<Field>::iterator locate(const std::string& name);
  std::vector<Field> fields_;
};

bool equalsIgnoringCase(std::string_view a, std::string_view b);
std::string lowercased(std::string text);

}  // namespace plat::http
