#include "sockets/NetManage.h"

#include <cstdio>

#include "net/HttpRequest.h"
#include "platform/base/AppHome.h"
#include "platform/base/Files.h"

namespace sockets {

namespace {

NetManage* sharedInstance = nullptr;

std::mutex& hostMutex() {
  static std::mutex mutex;
  return mutex;
}

std::string& hostValue() {
  static std::string host = "http://192.168.1.100";
  return host;
}

}  // namespace

NetManage& NetManage::sharedNet() {
  if (!sharedInstance) sharedInstance = new NetManage();
  return *sharedInstance;
}

std::string NetManage::testPageHost() {
  std::lock_guard lock(hostMutex());
  return hostValue();
}

void NetManage::setTestPageHost(const std::string& base) {
  std::lock_guard lock(hostMutex());
  hostValue() = base;
}

NetManage::NetManage() {
  createSocket();
}

NetManage::~NetManage() {
  std::vector<std::thread> running;
  {
    std::lock_guard lock(fetchesMutex_);
    running.swap(fetches_);
  }
  for (std::thread& fetch : running) fetch.join();
  _clientSock.reset();
  if (sharedInstance == this) sharedInstance = nullptr;
}

void NetManage::createSocket() {
  std::lock_guard lock(fetchesMutex_);
  fetches_.emplace_back([this] { getData(); });
}

void NetManage::getData() {
  auto request = HttpRequest::requestWithURL(testPageHost() + "/bbs");
  request->startSynchronous();
  if (request->error()) return;
  std::optional<HttpRequest::Bytes> body = request->responseData();
  // Without an announced length the reply may be cut short: keep no half page.
  if (!body || !request->responseHeaders().contains("Content-Length")) return;
  plat::files::writeFileAtomically(plat::AppHome::cachesDir() + "/url.txt",
                                   std::string(body->begin(), body->end()));
}

void NetManage::clickedButtonAtIndex(plat::AlertView& alertView, int buttonIndex) {
  std::printf("click button %d\n", buttonIndex);
  std::fflush(stdout);
  if ((alertView.tag() == 1 || alertView.tag() == 2) && buttonIndex == 1) createSocket();
}

void NetManage::onSocket_didConnectToHost_port(TcpSocket&, const std::string&, uint16_t) {
  SendData("GET / HTTP/1.1\n\n");
}

void NetManage::SendData(const std::string& text) {
  if (!_clientSock) return;
  _clientSock->writeData(TcpData(text.begin(), text.end()), 3.0, 1);
  _clientSock->readDataToLength(100, 5.0, 1);
}

void NetManage::onSocketDidDisconnect(TcpSocket&) {
  _clientSock.reset();
}

}  // namespace sockets
