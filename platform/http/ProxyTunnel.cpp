#include "platform/http/ProxyTunnel.h"

#include <arpa/inet.h>

#include <vector>

namespace plat::http {

std::unique_ptr<ProxyTunnel> ProxyTunnel::httpConnect(const std::string& hostAndPort,
                                                      const std::string& proxyAuthorization) {
  auto tunnel = std::unique_ptr<ProxyTunnel>(new ProxyTunnel());
  tunnel->kind_ = Kind::HttpConnect;
  tunnel->output_ = "CONNECT " + hostAndPort + " HTTP/1.1\r\nHost: " + hostAndPort + "\r\n";
  if (!proxyAuthorization.empty())
    tunnel->output_ += "Proxy-Authorization: " + proxyAuthorization + "\r\n";
  tunnel->output_ += "\r\n";
  // The answer to CONNECT carries a body only when it refuses.
  tunnel->connectReply_ = std::make_unique<ResponseParser>(false);
  return tunnel;
}

std::unique_ptr<ProxyTunnel> ProxyTunnel::socks5(const std::string& host, int port) {
  auto tunnel = std::unique_ptr<ProxyTunnel>(new ProxyTunnel());
  tunnel->kind_ = Kind::Socks5;
  tunnel->output_ = std::string("\x05\x01\x00", 3);  // version 5, one method: no authentication
  std::string request("\x05\x01\x00", 3);            // connect
  unsigned char v4[4], v6[16];
  if (inet_pton(AF_INET, host.c_str(), v4) == 1) {
    request += '\x01';
    request.append(reinterpret_cast<char*>(v4), 4);
  } else if (inet_pton(AF_INET6, host.c_str(), v6) == 1) {
    request += '\x04';
    request.append(reinterpret_cast<char*>(v6), 16);
  } else {
    request += '\x03';
    request += static_cast<char>(std::min<size_t>(host.size(), 255));
    request += host.substr(0, 255);
  }
  request += static_cast<char>((port >> 8) & 0xff);
  request += static_cast<char>(port & 0xff);
  tunnel->socksConnectRequest_ = request;
  return tunnel;
}

void ProxyTunnel::fail(std::string why) {
  status_ = Status::Failed;
  error_ = StreamError::network(kNetworkProxyFailure, std::move(why));
}

void ProxyTunnel::wrote(size_t count) {
  output_.erase(0, count);
  if (output_.empty() && status_ == Status::Writing) status_ = Status::Reading;
}

size_t ProxyTunnel::consume(const uint8_t* data, size_t length) {
  if (status_ != Status::Reading) return 0;
  if (kind_ == Kind::HttpConnect) {
    size_t used = connectReply_->feed(data, length, refusalBody_);
    if (connectReply_->state() == ResponseParser::State::Failed) {
      fail("bad answer from the proxy: " + connectReply_->failure());
    } else if (connectReply_->headComplete()) {
      int status = connectReply_->head().statusCode;
      if (status >= 200 && status < 300) {
        status_ = Status::Open;
        connectReply_.reset();
        return used;
      }
      status_ = Status::Refused;  // the rest of the refusal is read as the stream's response
    }
    return used;
  }

  // SOCKS5 answers have fixed shapes: collect until one is whole.
  size_t before = input_.size();
  input_.append(reinterpret_cast<const char*>(data), length);
  if (socksStep_ == SocksStep::Greeting) {
    if (input_.size() < 2) return length;
    if (input_[0] != 5 || input_[1] != 0) {
      fail("the SOCKS proxy refused the connection method");
      return 2 - before;
    }
    input_.erase(0, 2);
    socksStep_ = SocksStep::Connect;
    output_ = socksConnectRequest_;
    status_ = Status::Writing;
    return 2 - before;
  }
  if (input_.size() < 5) return length;
  size_t addressLength = input_[3] == 1   ? 4
                         : input_[3] == 4 ? 16
                                          : 1 + static_cast<uint8_t>(input_[4]);
  size_t total = 4 + addressLength + 2;
  if (input_.size() < total) return length;
  if (input_[0] != 5 || input_[1] != 0) {
    fail("the SOCKS proxy could not connect (reply " + std::to_string(input_[1]) + ")");
  } else {
    status_ = Status::Open;
  }
  return total - before;
}

}  // namespace plat::http
