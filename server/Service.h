// The stand-in account server without its transport: it answers every server script the app
// calls from its state (accounts with MD5 passwords, backed-up study data, sign-ins, messages,
// shared notes and their adoptions, excellent mnemonics, daily lessons, voice packs, feedback),
// strict about the check code and the password digest like the real server, and refusing as the
// app expects ("result" 0, "msg", and "relogin" 1 for a stale password); beside the scripts it
// serves a few pages (its own, the ranking page, the store lookup, the analytics upload).
// Any thread may call it; one lock guards the state, held while a script runs. With a data folder
// the state is read from it at start and written back after every script; a script whose state
// cannot be written is answered with a server error and its change undone, so the app never
// takes an unsaved change for a kept one, nor finds it kept after all. A HEAD is answered as the
// GET of its address would be, and changes nothing.
#pragma once

#include <memory>
#include <mutex>
#include <string>

#include "server/Exchange.h"
#include "server/Form.h"
#include "server/Options.h"
#include "server/State.h"

namespace standin {

class Service {
 public:
  explicit Service(Options options = {});
  ~Service();
  Service(const Service&) = delete;
  Service& operator=(const Service&) = delete;

  // Reads what the data folder keeps, after removing what writes cut short by a crash left there;
  // "" on success (a new folder included), else what is wrong.
  std::string load();
  // Writes the state to the data folder (scripts do after every call); "" on success.
  std::string save();
  // The address the app reaches this server at, for the download links of its replies.
  void setBase(const std::string& base);

  Reply answer(const Request& request);
  // The same with the request's parameters already read (the program reads them once for the
  // script and its log: a field may be as large as the body).
  Reply answer(const Request& request, const Form& form);

  // Runs `change` on the state under the lock (for the tests' set-up and checks).
  template <class Fn>
  auto withState(Fn change) {
    std::lock_guard<std::mutex> lock(mutex_);
    return change(*state_);
  }

 private:
  std::unique_ptr<State> state_;
  std::mutex mutex_;
};

// The body of the server error that answers a change the data folder could not keep.
inline constexpr const char* kNotKept = "服务器暂时无法保存数据，请稍后再试。";

// "/api/account_login.php" -> "account_login.php"; the path of anything else unchanged.
std::string scriptOf(const Request& request);

}  // namespace standin
