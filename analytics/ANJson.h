// The analytics component's own JSON reader and writer, with their own nesting limit, error codes
// and error traces (the component keeps apart from the application's codec). A failure is a
// nullopt result with the reasons in errorTrace(), innermost cause first; nothing throws.
#pragma once

#include <optional>
#include <string>
#include <vector>

#include "platform/base/Value.h"

inline constexpr const char* kANJsonErrorDomain = "AnalyticsJSONErrorDomain";

struct ANJsonError {
  int code = 0;
  std::string message;
};

class ANJsonBase {
 public:
  const std::vector<ANJsonError>& errorTrace() const { return trace_; }
  unsigned maxDepth() const { return maxDepth_; }
  void setMaxDepth(unsigned depth) { maxDepth_ = depth; }  // 0: no limit
  // The trace as the platform prints an array of errors.
  std::string traceDescription() const;

 protected:
  void addError(int code, std::string message) { trace_.push_back({code, std::move(message)}); }
  void resetRun() {
    trace_.clear();
    depth_ = 0;
  }
  bool tooDeep() const { return maxDepth_ != 0 && depth_ > maxDepth_; }

  unsigned depth_ = 0;
  unsigned maxDepth_ = 512;
  std::vector<ANJsonError> trace_;
};

class ANJsonParser : public ANJsonBase {
 public:
  // A dictionary or an array; a null `text` stands for no text at all.
  std::optional<plat::Value> objectWithString(const char* text);
  std::optional<plat::Value> objectWithString(const std::string& text) {
    return objectWithString(text.c_str());
  }
  // Any single value, also a bare string, number, true, false or null.
  std::optional<plat::Value> fragmentWithString(const char* text);
  std::optional<plat::Value> fragmentWithString(const std::string& text) {
    return fragmentWithString(text.c_str());
  }

 private:
  bool scanValue(plat::Value& out);
  bool scanRestOfArray(plat::Value& out);
  bool scanRestOfDictionary(plat::Value& out);
  bool scanRestOfString(std::string& out);
  bool scanEscape(std::string& out);
  bool scanUnicodeChar(char32_t& out);
  bool scanHexQuad(char16_t& out);
  bool scanNumber(plat::Value& out);
  bool scanLiteral(const char* rest, const char* error);
  void skipWhitespace();

  const char* c_ = nullptr;
};

class ANJsonWriter : public ANJsonBase {
 public:
  std::optional<std::string> stringWithObject(const plat::Value& value);  // dictionaries, arrays
  std::optional<std::string> stringWithFragment(const plat::Value& value);

  bool sortKeys() const { return sortKeys_; }
  void setSortKeys(bool on) { sortKeys_ = on; }
  bool humanReadable() const { return humanReadable_; }
  void setHumanReadable(bool on) { humanReadable_ = on; }

 private:
  bool appendValue(const plat::Value& value, std::string& out);
  bool appendDictionary(const plat::Value& value, std::string& out);
  bool appendArray(const plat::Value& value, std::string& out);
  void appendString(const std::string& text, std::string& out);
  void appendIndent(std::string& out) const;

  bool sortKeys_ = false;
  bool humanReadable_ = false;
};
