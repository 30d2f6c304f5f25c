// The opening exchange with a proxy before a stream's own request: an HTTP CONNECT tunnel (for
// https through an HTTP proxy) or a SOCKS5 connect. Works on bytes only; the stream moves them.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "platform/http/ResponseParser.h"
#include "platform/http/StreamError.h"

namespace plat::http {

class ProxyTunnel {
 public:
  enum class Status {
    Writing,  // output() holds bytes to send
    Reading,  // waits for the proxy's answer
    Open,     // the tunnel stands: the request goes through it
    Refused,  // an HTTP proxy answered with a non-2xx response: it is the stream's response
    Failed,   // error() says why
  };

  // CONNECT to `hostAndPort`, carrying a "Proxy-Authorization" value when not empty.
  static std::unique_ptr<ProxyTunnel> httpConnect(const std::string& hostAndPort,
                                                  const std::string& proxyAuthorization);
  static std::unique_ptr<ProxyTunnel> socks5(const std::string& host, int port);

  Status status() const { return status_; }
  const std::string& output() const { return output_; }
  void wrote(size_t count);
  // Takes bytes read from the proxy; returns how many it used (the rest belongs to the stream).
  size_t consume(const uint8_t* data, size_t length);
  const StreamError& error() const { return error_; }
  // The proxy's refusal (after Refused), to be read on as the stream's response, and the body
  // bytes it already gave.
  std::unique_ptr<ResponseParser> takeRefusal() { return std::move(connectReply_); }
  std::vector<uint8_t> takeRefusalBody() { return std::move(refusalBody_); }

 private:
  enum class Kind { HttpConnect, Socks5 };
  enum class SocksStep { Greeting, Connect };

  void fail(std::string why);

  Kind kind_ = Kind::HttpConnect;
  Status status_ = Status::Writing;
  std::string output_;
  std::string input_;
  SocksStep socksStep_ = SocksStep::Greeting;
  std::string socksConnectRequest_;
  std::unique_ptr<ResponseParser> connectReply_;
  std::vector<uint8_t> refusalBody_;
  StreamError error_;
};

}  // namespace plat::http
