#include "platform/http/HttpMessage.h"

namespace plat::http {
namespace {

// A field may not end the line early: a CR or LF inside would let text become a field of its own.
std::string withoutLineBreaks(const std::string& text) {
  std::string clean;
  for (char c : text)
    if (c != '\r' && c != '\n') clean += c;
  return clean;
}

}  // namespace

std::string RequestMessage::serializeHead(bool absoluteTarget) const {
  std::string target = url.requestTarget();
  if (absoluteTarget) {
    target = url.scheme() + "://" + url.hostHeader() + target;
  }
  std::string head = method + " " + target + (http10 ? " HTTP/1.0\r\n" : " HTTP/1.1\r\n");
  if (!headers.contains("Host")) head += "Host: " + url.hostHeader() + "\r\n";
  for (const auto& [name, value] : headers)
    head += withoutLineBreaks(name) + ": " + withoutLineBreaks(value) + "\r\n";
  head += "\r\n";
  return head;
}

}  // namespace plat::http
