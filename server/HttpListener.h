// The server program's HTTP/1.1 side: it listens on 127.0.0.1, reads each request (its body framed
// by length or chunked), hands it to the handler and writes the reply with its length, keeping the
// connection for the next request unless the client asks to close it. Each connection is served
// on a thread of its own; the handler may run on several threads at once.
#pragma once

#include <cstdint>
#include <functional>
#include <string>

#include "server/Exchange.h"

namespace standin {

class HttpListener {
 public:
  using Handler = std::function<Reply(const Request&)>;

  // Listens on `port` of 127.0.0.1 (0: a free port); error() says why when it cannot.
  HttpListener(uint16_t port, Handler handler);
  ~HttpListener();
  HttpListener(const HttpListener&) = delete;
  HttpListener& operator=(const HttpListener&) = delete;

  const std::string& error() const { return error_; }
  uint16_t port() const { return port_; }

  // Accepts connections for the rest of the process's life.
  void run();

 private:
  Handler handler_;
  int listenFd_ = -1;
  uint16_t port_ = 0;
  std::string error_;
};

}  // namespace standin
