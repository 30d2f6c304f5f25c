// A network state described by the test for reachability: installed for the life of the object,
// changed with the setters, each change announced to the scheduled targets.
#pragma once

#include <mutex>
#include <optional>
#include <string>

#include "platform/http/Reachability.h"

namespace testsupport {

class FakeNetwork {
 public:
  // Starts online over a WiFi-like network.
  FakeNetwork() {
    plat::http::setNetworkStateSource(source_);
    online();
  }
  ~FakeNetwork() { plat::http::setNetworkStateSource(nullptr); }
  FakeNetwork(const FakeNetwork&) = delete;
  FakeNetwork& operator=(const FakeNetwork&) = delete;

  // Only the loopback interface: nothing beyond the machine is reachable.
  void offline() { set(plat::http::NetworkState{{loopback()}, "", {}, ""}); }
  // One attached network (10.0.0.5/24) carrying the default route; `cellular` makes it WWAN.
  void online(bool cellular = false) {
    plat::http::NetworkInterface link{"net0", true, false, cellular, 0x0A000005, 0xFFFFFF00};
    set(plat::http::NetworkState{{loopback(), link}, "net0", {}, ""});
  }
  // The state can't be read at all.
  void unreadable() { set(std::nullopt); }
  void set(std::optional<plat::http::NetworkState> state) {
    source_->set(std::move(state));
    plat::http::networkStateChanged();
  }

 private:
  static plat::http::NetworkInterface loopback() {
    return {"lo", true, true, false, 0x7F000001, 0xFF000000};
  }
  struct Source : plat::http::NetworkStateSource {
    std::optional<plat::http::NetworkState> read() override {
      std::lock_guard<std::mutex> lock(mutex);
      return state;
    }
    void set(std::optional<plat::http::NetworkState> next) {
      std::lock_guard<std::mutex> lock(mutex);
      state = std::move(next);
    }
    std::mutex mutex;
    std::optional<plat::http::NetworkState> state;
  };
  std::shared_ptr<Source> source_ = std::make_shared<Source>();
};

}  // namespace testsupport
