// One HTTP exchange as the stand-in account server sees it: the request that came in and the reply
// it answers with. Kept free of any transport, so that the server program and the tests' loopback
// server can both carry it.
#pragma once

#include <string>
#include <utility>
#include <vector>

namespace standin {

using Headers = std::vector<std::pair<std::string, std::string>>;

struct Request {
  std::string method;
  std::string target;  // as in the request line: "/path?query"
  Headers headers;     // in the order received
  std::string body;

  std::string header(const std::string& name) const;  // letter case ignored; "" when absent
  std::string path() const;                           // target before "?"
  std::string query() const;                          // target after "?", "" when none
};

struct Reply {
  int status = 200;
  std::string contentType = "text/plain; charset=utf-8";
  std::string body;
  // Lines for the server's log beside the exchange's own (what an upload carried).
  std::vector<std::string> log;

  static Reply text(std::string body, int status = 200);
  static Reply json(std::string body);
  static Reply file(std::string bytes, std::string contentType);
};

}  // namespace standin
