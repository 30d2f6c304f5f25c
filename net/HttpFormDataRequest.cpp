#include "net/HttpFormDataRequest.h"

#include <cmath>
#include <cstdio>

#include "platform/base/Charset.h"
#include "platform/base/Files.h"
#include "platform/crypto/Uuid.h"

namespace {

std::string describe(const plat::Value& value) {
  switch (value.type()) {
    case plat::Value::Type::String:
      return value.asString();
    case plat::Value::Type::Bool:
      return value.asBool() ? "1" : "0";
    case plat::Value::Type::Int:
      return std::to_string(value.asInt());
    case plat::Value::Type::UInt:
      return std::to_string(value.asUInt());
    case plat::Value::Type::Double: {
      char text[32];
      std::snprintf(text, sizeof text, "%.17g", value.asDouble());
      // The shortest text that reads back as the same number.
      for (int precision = 1; precision <= 17; ++precision) {
        std::snprintf(text, sizeof text, "%.*g", precision, value.asDouble());
        if (std::strtod(text, nullptr) == value.asDouble()) break;
      }
      return text;
    }
    case plat::Value::Type::Null:
      return "<null>";
    default:
      return "";
  }
}

// A name inside a quoted part header: a quote would end it and a line break would end the header.
std::string headerSafe(const std::string& text) {
  std::string safe;
  for (char c : text) {
    if (c == '"') {
      safe += "%22";
    } else if (c != '\r' && c != '\n') {
      safe += c;
    }
  }
  return safe;
}

}  // namespace

HttpFormDataRequest::HttpFormDataRequest(const Url& url) : HttpRequest(url) {
  setRequestMethod("POST");
}

std::shared_ptr<HttpFormDataRequest> HttpFormDataRequest::requestWithURL(const Url& url) {
  return make<HttpFormDataRequest>(url);
}

std::shared_ptr<HttpFormDataRequest> HttpFormDataRequest::requestWithURL(const std::string& url) {
  return requestWithURL(Url::parse(url).value_or(Url()));
}

std::shared_ptr<HttpRequest> HttpFormDataRequest::copy() const {
  auto other = make<HttpFormDataRequest>(url());
  copySettingsInto(*other);
  other->postData_ = postData_;
  other->fileData_ = fileData_;
  other->postFormat_ = postFormat_;
  other->stringEncoding_ = stringEncoding_;
  other->setRequestMethod(requestMethod());
  // This request removes its body file at its end, which may come before the copy's: the copy
  // builds a body of its own from the same fields and parts when it starts.
  if (builtBodyInTemporaryFile()) {
    other->setPostBodyFilePath("");
    other->setHaveBuiltPostBody(false);
    other->setPostLength(0);
  }
  return other;
}

// ---- Fields and parts

void HttpFormDataRequest::addPostValue(const plat::Value& value, const std::string& key) {
  if (!postData_) postData_.emplace();
  postData_->push_back({key, describe(value)});
}

void HttpFormDataRequest::setPostValue(const plat::Value& value, const std::string& key) {
  if (postData_) std::erase_if(*postData_, [&](const Field& f) { return f.key == key; });
  addPostValue(value, key);
}

void HttpFormDataRequest::addFile(const std::string& path, const std::string& key) {
  addFile(path, "", "", key);
}

void HttpFormDataRequest::addFile(const std::string& path, const std::string& fileName,
                                  const std::string& contentType, const std::string& key) {
  // error() tells of it at once; the failure callbacks hear of it when the request starts, so
  // that they reach the owner who sets them after adding the parts.
  if (!plat::files::exists(path) || plat::files::isDirectory(path)) {
    failWhenStarted(HttpError::make(kHttpUnableToSetUpRequest, "No file exists at " + path));
  }
  Part part;
  part.key = key;
  part.fileName = fileName.empty() ? plat::files::lastPathComponent(path) : fileName;
  part.contentType = contentType.empty() ? mimeTypeForFileAtPath(path).value_or("") : contentType;
  if (part.contentType.empty()) part.contentType = "application/octet-stream";
  part.data = path;
  addPart(std::move(part));
}

void HttpFormDataRequest::setFile(const std::string& path, const std::string& key) {
  setFile(path, "", "", key);
}

void HttpFormDataRequest::setFile(const std::string& path, const std::string& fileName,
                                  const std::string& contentType, const std::string& key) {
  removeParts(key);
  addFile(path, fileName, contentType, key);
}

void HttpFormDataRequest::addData(const Bytes& data, const std::string& key) {
  addData(data, "file", "", key);
}

void HttpFormDataRequest::addData(const Bytes& data, const std::string& fileName,
                                  const std::string& contentType, const std::string& key) {
  addPart({key, fileName, contentType.empty() ? "application/octet-stream" : contentType, data});
}

void HttpFormDataRequest::setData(const Bytes& data, const std::string& key) {
  setData(data, "file", "", key);
}

void HttpFormDataRequest::setData(const Bytes& data, const std::string& fileName,
                                  const std::string& contentType, const std::string& key) {
  removeParts(key);
  addData(data, fileName, contentType, key);
}

void HttpFormDataRequest::addPart(Part part) {
  if (!fileData_) fileData_.emplace();
  fileData_->push_back(std::move(part));
}

void HttpFormDataRequest::removeParts(const std::string& key) {
  if (fileData_) std::erase_if(*fileData_, [&](const Part& p) { return p.key == key; });
}

// ---- The body

void HttpFormDataRequest::buildPostBody() {
  if (haveBuiltPostBody()) return;
  if (!postData_ && !fileData_) {
    HttpRequest::buildPostBody();
    return;
  }
  if (fileData_ && !fileData_->empty()) setShouldStreamPostDataFromDisk(true);
  if (postFormat_ == kUrlEncodedPostFormat) {
    buildURLEncodedPostBody();
  } else {
    buildMultipartFormDataPostBody();
  }
  HttpRequest::buildPostBody();
}

void HttpFormDataRequest::buildURLEncodedPostBody() {
  if (fileData_ && !fileData_->empty()) {
    postFormat_ = kMultipartFormDataPostFormat;
    buildMultipartFormDataPostBody();
    return;
  }
  addRequestHeader("Content-Type", "application/x-www-form-urlencoded; charset=" + stringEncoding_);
  std::string body;
  const std::vector<Field>& fields = *postData_;
  for (size_t i = 0; i < fields.size(); ++i) {
    body += encodeURL(fields[i].key) + "=" + encodeURL(fields[i].value);
    if (i + 1 < fields.size()) body += "&";
  }
  appendPostString(body);
}

void HttpFormDataRequest::buildMultipartFormDataPostBody() {
  const std::string boundary = "0xKhTmLbOuNdArY-" + plat::crypto::randomUuidString();
  addRequestHeader("Content-Type",
                   "multipart/form-data; charset=" + stringEncoding_ + "; boundary=" + boundary);
  const std::string separator = "\r\n--" + boundary + "\r\n";
  appendPostString("--" + boundary + "\r\n");

  const std::vector<Field> fields = postData_.value_or(std::vector<Field>());
  const std::vector<Part> parts = fileData_.value_or(std::vector<Part>());
  for (size_t i = 0; i < fields.size(); ++i) {
    appendPostString("Content-Disposition: form-data; name=\"" + headerSafe(fields[i].key) +
                     "\"\r\n\r\n");
    appendPostString(fields[i].value);
    if (i + 1 < fields.size() || !parts.empty()) appendPostString(separator);
  }
  for (size_t i = 0; i < parts.size(); ++i) {
    const Part& part = parts[i];
    appendPostString("Content-Disposition: form-data; name=\"" + headerSafe(part.key) +
                     "\"; filename=\"" + headerSafe(part.fileName) + "\"\r\n");
    appendPostString("Content-Type: " + part.contentType + "\r\n\r\n");
    if (const auto* path = std::get_if<std::string>(&part.data)) {
      appendPostDataFromFile(*path);
    } else {
      appendPostData(std::get<Bytes>(part.data));
    }
    if (i + 1 < parts.size()) appendPostString(separator);
  }
  appendPostString("\r\n--" + boundary + "--\r\n");
}

void HttpFormDataRequest::appendPostString(const std::string& text) {
  auto converted = plat::charset::fromUtf8(text, stringEncoding_);
  if (converted) appendPostData(*converted);
}

std::string HttpFormDataRequest::encodeURL(const std::string& text) const {
  auto converted = plat::charset::fromUtf8(text, stringEncoding_);
  if (!converted) return "";
  static const char* kHex = "0123456789ABCDEF";
  std::string escaped;
  for (unsigned char c : *converted) {
    if (std::isalnum(c) && c < 0x80) {
      escaped += static_cast<char>(c);
    } else if (c == '-' || c == '.' || c == '_') {
      escaped += static_cast<char>(c);
    } else {
      escaped += '%';
      escaped += kHex[c >> 4];
      escaped += kHex[c & 15];
    }
  }
  return escaped;
}
