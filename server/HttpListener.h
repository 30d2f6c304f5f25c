// The server program's HTTP/1.1 side: it listens on 127.0.0.1, reads each request (its body framed
// by length or chunked), hands it to the handler and writes the reply with its length (to a HEAD
// without its body), keeping the connection for the next request unless the client asks to close
// it. Each connection is served
// on a thread of its own; the handler may run on several threads at once.
#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <string>

#include "server/Exchange.h"

namespace standin {

class HttpListener {
 public:
  // Takes the request: it may let go of a large body once it has read what it needs.
  using Handler = std::function<Reply(Request)>;

  // Listens on `port` of 127.0.0.1 (0: a free port); error() says why when it cannot.
  HttpListener(uint16_t port, Handler handler);
  ~HttpListener();
  HttpListener(const HttpListener&) = delete;
  HttpListener& operator=(const HttpListener&) = delete;

  const std::string& error() const { return error_; }
  uint16_t port() const { return port_; }

  // Accepts connections until stop(); connections already open are served to their end.
  void run();
  // Makes run() return; any thread may call it.
  void stop();

 private:
  std::shared_ptr<const Handler> handler_;  // shared with the connections, which may outlive this
  int listenFd_ = -1;
  uint16_t port_ = 0;
  std::string error_;
};

}  // namespace standin
