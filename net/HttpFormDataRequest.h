// A POST request that sends an HTML form: named text fields, url-encoded, or, as soon as one file
// or data part is added, multipart/form-data written to a temporary file and streamed from it.
// The body is built when the request starts (or when an accurate-progress queue takes it).
#pragma once

#include <optional>
#include <string>
#include <variant>
#include <vector>

#include "net/HttpRequest.h"
#include "platform/base/Value.h"

class HttpFormDataRequest : public HttpRequest {
 public:
  enum PostFormat { kMultipartFormDataPostFormat = 0, kUrlEncodedPostFormat = 1 };

  struct Field {
    std::string key;
    std::string value;
  };
  struct Part {
    std::string key;
    std::string fileName;
    std::string contentType;
    std::variant<std::string, Bytes> data;  // a file's path, or the bytes themselves
  };

  static std::shared_ptr<HttpFormDataRequest> requestWithURL(const Url& url);
  static std::shared_ptr<HttpFormDataRequest> requestWithURL(const std::string& url);

  // The value's text form: a string as it is, a number in decimal ("5"), a boolean as 1 or 0.
  void addPostValue(const plat::Value& value, const std::string& key);
  // Removes every field of that key first, so the new one comes last.
  void setPostValue(const plat::Value& value, const std::string& key);

  // A file part: a missing file fails the request ("No file exists at ..."); a missing file name
  // is the path's last component, a missing type the one of its extension.
  void addFile(const std::string& path, const std::string& key);
  void addFile(const std::string& path, const std::string& fileName, const std::string& contentType,
               const std::string& key);
  void setFile(const std::string& path, const std::string& key);
  void setFile(const std::string& path, const std::string& fileName, const std::string& contentType,
               const std::string& key);
  // A data part: file name "file" and type "application/octet-stream" unless given.
  void addData(const Bytes& data, const std::string& key);
  void addData(const Bytes& data, const std::string& fileName, const std::string& contentType,
               const std::string& key);
  void setData(const Bytes& data, const std::string& key);
  void setData(const Bytes& data, const std::string& fileName, const std::string& contentType,
               const std::string& key);

  void buildPostBody() override;
  std::shared_ptr<HttpRequest> copy() const override;

  const std::optional<std::vector<Field>>& postData() const { return postData_; }
  const std::optional<std::vector<Part>>& fileData() const { return fileData_; }
  int postFormat() const { return postFormat_; }
  void setPostFormat(int format) { postFormat_ = format; }
  // The IANA name of the character set of every text in the body ("utf-8").
  const std::string& stringEncoding() const { return stringEncoding_; }
  void setStringEncoding(std::string encoding) { stringEncoding_ = std::move(encoding); }

  // Every byte of the text in stringEncoding() escaped as %XX but ASCII letters, digits, "-", "."
  // and "_"; "" when the text can't be written in that character set.
  std::string encodeURL(const std::string& text) const;

 protected:
  explicit HttpFormDataRequest(const Url& url);
  friend class HttpRequest;

 private:
  void buildURLEncodedPostBody();
  void buildMultipartFormDataPostBody();
  void appendPostString(const std::string& text);
  void addPart(Part part);
  void removeParts(const std::string& key);

  std::optional<std::vector<Field>> postData_;
  std::optional<std::vector<Part>> fileData_;
  int postFormat_ = kUrlEncodedPostFormat;
  std::string stringEncoding_ = "utf-8";
};
