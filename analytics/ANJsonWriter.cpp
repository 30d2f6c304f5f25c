#include <algorithm>
#include <charconv>
#include <cmath>

#include "analytics/ANJson.h"
#include "analytics/AnalyticsLog.h"

namespace {

// Characters the writer escapes: the control characters, the quote and the backslash.
struct EscapeSet {
  bool escapes[256] = {};
  EscapeSet() {
    for (int b = 0; b < 0x20; ++b) escapes[b] = true;
    escapes[static_cast<unsigned char>('"')] = true;
    escapes[static_cast<unsigned char>('\\')] = true;
  }
};

const EscapeSet& escapeSet() {
  static const EscapeSet set;
  return set;
}

const char* typeName(const plat::Value& value) {
  return value.isBytes() ? "NSData" : "NSNumber";
}

}  // namespace

std::optional<std::string> ANJsonWriter::stringWithObject(const plat::Value& value) {
  if (value.isDictionary() || value.isArray()) return stringWithFragment(value);
  resetRun();
  addError(4, "Not valid type for JSON");
  return std::nullopt;
}

std::optional<std::string> ANJsonWriter::stringWithFragment(const plat::Value& value) {
  resetRun();
  std::string out;
  out.reserve(128);
  if (!appendValue(value, out)) return std::nullopt;
  return out;
}

bool ANJsonWriter::appendValue(const plat::Value& value, std::string& out) {
  switch (value.type()) {
    case plat::Value::Type::Dictionary:
      return appendDictionary(value, out);
    case plat::Value::Type::Array:
      return appendArray(value, out);
    case plat::Value::Type::String:
      appendString(value.asString(), out);
      return true;
    case plat::Value::Type::Null:
      out += "null";
      return true;
    case plat::Value::Type::Bool:
      out += value.asBool() ? "true" : "false";
      return true;
    case plat::Value::Type::Int:
    case plat::Value::Type::UInt:
    case plat::Value::Type::Double: {
      char buffer[32];
      std::to_chars_result result;
      if (value.type() == plat::Value::Type::Int) {
        result = std::to_chars(buffer, buffer + sizeof buffer, value.asInt());
      } else if (value.type() == plat::Value::Type::UInt) {
        result = std::to_chars(buffer, buffer + sizeof buffer, value.asUInt());
      } else {
        // Not-a-number and the infinities have no JSON form.
        if (!std::isfinite(value.asDouble())) break;
        result = std::to_chars(buffer, buffer + sizeof buffer, value.asDouble());
      }
      out.append(buffer, result.ptr);
      return true;
    }
    case plat::Value::Type::Decimal:
      out += value.decimalText();
      return true;
    case plat::Value::Type::Bytes:
      break;
  }
  addError(1, anFormat("JSON serialisation not supported for %s", typeName(value)));
  return false;
}

void ANJsonWriter::appendIndent(std::string& out) const {
  out.push_back('\n');
  out.append(2 * depth_, ' ');
}

bool ANJsonWriter::appendDictionary(const plat::Value& value, std::string& out) {
  ++depth_;
  if (tooDeep()) {
    addError(7, "Nested too deep");
    return false;
  }
  out.push_back('{');
  std::vector<std::string> keys = value.keys();
  if (sortKeys_) std::sort(keys.begin(), keys.end());
  bool first = true;
  for (const std::string& key : keys) {
    if (!first) out.push_back(',');
    first = false;
    if (humanReadable_) appendIndent(out);
    appendString(key, out);
    out += humanReadable_ ? " : " : ":";
    if (!appendValue(value.get(key), out)) {
      addError(1, anFormat("Unsupported value for key %s in object", key.c_str()));
      return false;
    }
  }
  --depth_;
  if (humanReadable_ && !keys.empty()) appendIndent(out);
  out.push_back('}');
  return true;
}

bool ANJsonWriter::appendArray(const plat::Value& value, std::string& out) {
  ++depth_;
  if (tooDeep()) {
    addError(7, "Nested too deep");
    return false;
  }
  out.push_back('[');
  size_t count = value.size();
  for (size_t i = 0; i < count; ++i) {
    if (i > 0) out.push_back(',');
    if (humanReadable_) appendIndent(out);
    if (!appendValue(value.at(i), out)) return false;
  }
  --depth_;
  if (humanReadable_ && count > 0) appendIndent(out);
  out.push_back(']');
  return true;
}

void ANJsonWriter::appendString(const std::string& text, std::string& out) {
  const EscapeSet& set = escapeSet();
  out.push_back('"');
  size_t runStart = 0;
  for (size_t i = 0; i < text.size(); ++i) {
    unsigned char ch = static_cast<unsigned char>(text[i]);
    if (!set.escapes[ch]) continue;
    out.append(text, runStart, i - runStart);
    runStart = i + 1;
    switch (ch) {
      case '"':
        out += "\\\"";
        break;
      case '\\':
        out += "\\\\";
        break;
      case '\t':
        out += "\\t";
        break;
      case '\n':
        out += "\\n";
        break;
      case '\r':
        out += "\\r";
        break;
      case '\b':
        out += "\\b";
        break;
      case '\f':
        out += "\\f";
        break;
      default:
        out += anFormat("\\u%04x", ch);
    }
  }
  out.append(text, runStart, std::string::npos);
  out.push_back('"');
}
