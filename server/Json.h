// A small JSON writer for the stand-in server's replies, kept apart from the app's own codec so
// that the app's decoder is tried against text it did not write.
#pragma once

#include <cstdint>
#include <string>
#include <utility>
#include <vector>

namespace standin {

class Json {
 public:
  Json() : text_("null") {}
  Json(int64_t number) : text_(std::to_string(number)) {}  // NOLINT: implicit on purpose
  Json(int number) : text_(std::to_string(number)) {}      // NOLINT
  Json(const std::string& text) : text_(quote(text)) {}    // NOLINT
  Json(const char* text) : text_(quote(text)) {}           // NOLINT

  static Json object(const std::vector<std::pair<std::string, Json>>& members) {
    std::string out = "{";
    for (size_t i = 0; i < members.size(); ++i) {
      if (i) out += ",";
      out += quote(members[i].first) + ":" + members[i].second.text_;
    }
    return raw(out + "}");
  }
  static Json array(const std::vector<Json>& items) {
    std::string out = "[";
    for (size_t i = 0; i < items.size(); ++i) out += (i ? "," : "") + items[i].text_;
    return raw(out + "]");
  }
  const std::string& text() const { return text_; }

 private:
  static Json raw(std::string text) {
    Json json;
    json.text_ = std::move(text);
    return json;
  }
  static std::string quote(const std::string& text) {
    static const char* hex = "0123456789abcdef";
    std::string out = "\"";
    for (unsigned char c : text) {
      if (c == '"' || c == '\\') {
        out += '\\';
        out += static_cast<char>(c);
      } else if (c < 0x20) {
        out += "\\u00";
        out += hex[c >> 4];
        out += hex[c & 15];
      } else {
        out += static_cast<char>(c);
      }
    }
    return out + "\"";
  }
  std::string text_;
};

}  // namespace standin
