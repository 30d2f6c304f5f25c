// The two halves of one HTTP exchange as a stream sees them: the request message it sends and the
// head (status line and header fields) of the response it reads.
#pragma once

#include <string>
#include <vector>

#include "platform/http/HeaderMap.h"
#include "platform/http/Url.h"

namespace plat::http {

struct RequestMessage {
  std::string method = "GET";
  Url url;
  bool http10 = false;  // HTTP/1.0 instead of HTTP/1.1
  HeaderMap headers;

  // The request line and header fields as sent, ending with the empty line. `absoluteTarget`
  // writes the whole URL in the request line (through an HTTP proxy). A "Host" field is added
  // when the headers have none.
  std::string serializeHead(bool absoluteTarget) const;
};

struct ResponseHead {
  int statusCode = 0;
  std::string statusLine;                    // "HTTP/1.1 200 OK"
  std::string httpVersion;                   // "HTTP/1.1"
  HeaderMap headers;                         // repeated fields joined with ", "
  std::vector<std::string> setCookieValues;  // each "Set-Cookie" field on its own
};

}  // namespace plat::http
