#include "platform/http/HttpMessage.h"

namespace plat::http {
namespace {

// A field may not end the line early: a CR or LF inside would let text become a field of its own.
void appendWithoutLineBreaks(std::string& head, const std::string& text) {
  if (text.find('\r') == std::string::npos && text.find('\n') == std::string::npos) {
    head += text;
    return;
  }
  for (char c : text)
    if (c != '\r' && c != '\n') head += c;
}

}  // namespace

std::string RequestMessage::serializeHead(bool absoluteTarget) const {
  const std::string hostHeader = url.hostHeader();
  std::string head;
  head.reserve(256);
  head += method;
  head += ' ';
  if (absoluteTarget) {
    head += url.scheme();
    head += "://";
    head += hostHeader;
  }
  head += url.requestTarget();
  head += http10 ? " HTTP/1.0\r\n" : " HTTP/1.1\r\n";
  if (!headers.contains("Host")) {
    head += "Host: ";
    head += hostHeader;
    head += "\r\n";
  }
  for (const auto& [name, value] : headers) {
    appendWithoutLineBreaks(head, name);
    head += ": ";
    appendWithoutLineBreaks(head, value);
    head += "\r\n";
  }
  head += "\r\n";
  return head;
}

}  // namespace plat::http
