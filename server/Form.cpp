// The parameters of a request as the stand-in server reads them: a GET query, a url-encoded form,
// or the parts of a multipart form.
#include <algorithm>
#include <cctype>
#include <string_view>
#include <utility>

#include "server/Form.h"

namespace standin {
namespace {

bool isHex(char c) {
  return std::isxdigit(static_cast<unsigned char>(c)) != 0;
}

int hexValue(char c) {
  return c <= '9' ? c - '0' : (c | 0x20) - 'a' + 10;
}

// Read from the request in place into a string of its final size, the runs between escapes copied
// whole: a field may be as large as the body, and each copy of it costs that much again.
std::string percentDecoded(std::string_view text) {
  std::string out;
  out.reserve(text.size());
  // Where the next of each is, looked for again once passed.
  size_t percent = text.find('%'), plus = text.find('+');
  for (size_t i = 0; i < text.size();) {
    if (percent < i) percent = text.find('%', i);
    if (plus < i) plus = text.find('+', i);
    const size_t special = std::min({percent, plus, text.size()});
    out.append(text.substr(i, special - i));
    i = special;
    if (i == text.size()) break;
    if (text[i] == '+') {
      out += ' ';
      ++i;
    } else if (i + 2 < text.size() && isHex(text[i + 1]) && isHex(text[i + 2])) {
      out += static_cast<char>(hexValue(text[i + 1]) * 16 + hexValue(text[i + 2]));
      i += 3;
    } else {
      out += '%';
      ++i;
    }
  }
  return out;
}

void addPairs(std::string_view text, Form& form) {
  for (size_t start = 0; start < text.size();) {
    size_t end = std::min(text.find('&', start), text.size());
    std::string_view pair = text.substr(start, end - start);
    size_t equals = pair.find('=');
    if (!pair.empty()) {
      form.fields.emplace_back(
          percentDecoded(pair.substr(0, equals)),
          equals == std::string_view::npos ? "" : percentDecoded(pair.substr(equals + 1)));
    }
    start = end + 1;
  }
}

// The value of `key="..."` in a Content-Disposition line.
std::string quotedParameter(const std::string& line, const std::string& key) {
  size_t at = line.find(key + "=\"");
  if (at == std::string::npos) return "";
  at += key.size() + 2;
  size_t end = line.find('"', at);
  return line.substr(at, end == std::string::npos ? std::string::npos : end - at);
}

void addParts(const std::string& body, const std::string& boundary, Form& form) {
  const std::string delimiter = "--" + boundary;
  size_t at = body.find(delimiter);
  while (at != std::string::npos) {
    at += delimiter.size();
    if (body.compare(at, 2, "--") == 0) return;  // the closing delimiter
    if (body.compare(at, 2, "\r\n") == 0) at += 2;
    size_t headEnd = body.find("\r\n\r\n", at);
    if (headEnd == std::string::npos) return;
    std::string head = body.substr(at, headEnd - at);
    size_t next = body.find("\r\n" + delimiter, headEnd + 4);
    if (next == std::string::npos) return;
    std::string content = body.substr(headEnd + 4, next - headEnd - 4);
    std::string name = quotedParameter(head, "name");
    if (head.find("filename=\"") != std::string::npos) {
      std::string type;
      if (size_t t = head.find("Content-Type: "); t != std::string::npos) {
        type = head.substr(t + 14, head.find("\r\n", t) - t - 14);
      }
      // Moved, not copied: a file is most often the whole body, tens of megabytes.
      form.files.push_back({name, quotedParameter(head, "filename"), type, std::move(content)});
    } else {
      form.fields.emplace_back(name, content);
    }
    at = next + 2;
  }
}

}  // namespace

const std::string& Form::operator[](const std::string& name) const {
  static const std::string absent;
  for (const auto& [key, value] : fields)
    if (key == name) return value;
  return absent;
}

bool Form::has(const std::string& name) const {
  return std::any_of(fields.begin(), fields.end(), [&](const auto& f) { return f.first == name; });
}

std::vector<std::string> Form::names() const {
  std::vector<std::string> out;
  for (const auto& field : fields) out.push_back(field.first);
  return out;
}

const Form::File* Form::file(const std::string& field) const {
  for (const File& f : files)
    if (f.field == field) return &f;
  return nullptr;
}

Form Form::of(const Request& request) {
  Form form;
  addPairs(request.query(), form);
  const std::string type = request.header("Content-Type");
  if (type.rfind("application/x-www-form-urlencoded", 0) == 0) {
    addPairs(request.body, form);
  } else if (type.rfind("multipart/form-data", 0) == 0) {
    size_t at = type.find("boundary=");
    if (at != std::string::npos) {
      std::string boundary = type.substr(at + 9);
      boundary = boundary.substr(0, boundary.find(';'));
      if (boundary.size() >= 2 && boundary.front() == '"')
        boundary = boundary.substr(1, boundary.size() - 2);
      addParts(request.body, boundary, form);
    }
  }
  return form;
}

}  // namespace standin
