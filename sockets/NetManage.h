// A network test client kept beside the socket classes: it fetches a fixed test page in the
// background into the Caches folder, and answers as the delegate of a TCP socket an owner connects
// (it sends a request line and reads a short reply). Nothing in the app calls it.
#pragma once

#include <memory>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "platform/view/AlertView.h"
#include "sockets/TcpSocket.h"
#include "sockets/TcpSocketDelegate.h"

namespace sockets {

class NetManage : public TcpSocketDelegate, public plat::AlertViewDelegate {
 public:
  // The one shared instance, made (and its first fetch started) on first use.
  static NetManage& sharedNet();

  // Where the test page is fetched from: a host on the local network, followed by "/bbs".
  static std::string testPageHost();
  static void setTestPageHost(const std::string& base);

  NetManage();  // starts a fetch
  // Waits for the fetches still running.
  ~NetManage() override;
  NetManage(const NetManage&) = delete;
  NetManage& operator=(const NetManage&) = delete;

  // Starts a thread that fetches the test page; no socket is made here.
  void createSocket();
  // The fetch thread's body: a successful reply of announced length goes to Caches/url.txt.
  void getData();

  void clickedButtonAtIndex(plat::AlertView& alertView, int buttonIndex) override;

  void onSocket_didConnectToHost_port(TcpSocket& sock, const std::string& host,
                                      uint16_t port) override;
  void SendData(const std::string& text);
  void onSocketDidDisconnect(TcpSocket& sock) override;
  void onSocket_willDisconnectWithError(TcpSocket&, const std::optional<TcpError>&) override {}
  void onSocket_didReadData_withTag(TcpSocket&, std::span<const uint8_t>, int64_t) override {}

  const std::shared_ptr<TcpSocket>& clientSock() const { return _clientSock; }
  void setClientSock(std::shared_ptr<TcpSocket> sock) { _clientSock = std::move(sock); }

 private:
  std::shared_ptr<TcpSocket> _clientSock;
  std::mutex fetchesMutex_;
  std::vector<std::thread> fetches_;
};

}  // namespace sockets
