#include "server/Exchange.h"

#include <strings.h>

namespace standin {

std::string Request::header(const std::string& name) const {
  for (const auto& [key, value] : headers)
    if (::strcasecmp(key.c_str(), name.c_str()) == 0) return value;
  return "";
}

std::string Request::path() const {
  return target.substr(0, target.find('?'));
}

std::string Request::query() const {
  size_t at = target.find('?');
  return at == std::string::npos ? "" : target.substr(at + 1);
}

Reply Reply::text(std::string body, int status) {
  Reply reply;
  reply.status = status;
  reply.body = std::move(body);
  return reply;
}

Reply Reply::json(std::string body) {
  Reply reply;
  reply.contentType = "application/json; charset=utf-8";
  reply.body = std::move(body);
  return reply;
}

Reply Reply::file(std::string bytes, std::string contentType) {
  Reply reply;
  reply.contentType = std::move(contentType);
  reply.body = std::move(bytes);
  return reply;
}

}  // namespace standin
