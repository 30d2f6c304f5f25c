// The common JSON reply of the server scripts and the fixed order in which every sender handles
// it: status 200-299 or drop, a JSON object or drop, "syn_var" into the personal values, then
// "result"; a failure opens the login window again where "relogin" asks and the sender honours
// it, and shows "msg". Network failures show the error's description.
#pragma once

#include <cstdint>
#include <functional>
#include <optional>
#include <string>

#include "net/HttpRequest.h"
#include "platform/base/Value.h"

// What a sender shows and does around the reply. A default-made set shows through the shared
// message view and standard alerts and has no progress panel and no login window.
struct ApiReplyHooks {
  std::function<void()> hidePanel;  // the sender's progress panel, when it shows one
  // Set by senders that honour "relogin": the login window in its wrong-password state.
  std::function<void()> relogin;
  std::function<void(const std::string&)> showMessage = defaultShowMessage;
  std::function<void(const std::string& title, const std::string& message,
                     const std::string& button)>
      showAlert = defaultShowAlert;
  // The daily account refresh and the clear-data call show nothing for a bad body or a failure.
  bool quiet = false;

  static void defaultShowMessage(const std::string& text);
  // The login window, opened in its wrong-password state: what honouring "relogin" means.
  static void openLoginAgain();
  static void defaultShowAlert(const std::string& title, const std::string& message,
                               const std::string& button);
};

class ApiReply {
 public:
  // When "syn_var" is stored: before "result" (most senders), only on failure (login and
  // registration store it with the account), or by the sender itself (backup upload, restore).
  enum class SynVarStep { BeforeResult, OnFailureOnly, BySender };

  // The body as a JSON object; nothing for any other body.
  static std::optional<ApiReply> decode(const std::string& body);
  // A server integer, from a JSON number or a numeric text (the server sends either, in the
  // envelope and in the rows of its lists alike); 0 for anything else.
  static int64_t integerOf(const plat::Value& value);
  explicit ApiReply(plat::Value object) : object_(std::move(object)) {}

  const plat::Value& object() const { return object_; }
  int64_t result() const;  // 0 when missing
  bool succeeded() const { return result() == 1; }
  std::string msg() const;  // "" when missing
  bool relogin() const;
  bool hasSynVar() const;
  const plat::Value& synVar() const { return object_["syn_var"]; }
  std::optional<int64_t> time() const;

  // Stores "syn_var" as personal values in one transaction; false (rolled back, and the reason
  // logged) when storing failed, or false when there was none.
  bool saveSynVar() const;
  // The same for a caller that reports the failure: it is rolled back and raised again; no
  // "syn_var" stores nothing.
  void saveSynVarOrRaise() const;

  // The common handling of a finished request; the reply when "result" is 1, so that the sender
  // does its own work, else nothing (what had to be shown is shown).
  static std::optional<ApiReply> handleFinished(HttpRequest& request, const ApiReplyHooks& hooks,
                                                SynVarStep step = SynVarStep::BeforeResult);
  // The common handling of a failed request (network failure, time-out).
  static void handleFailed(HttpRequest& request, const ApiReplyHooks& hooks);

  // After an accepted "account_info.php": warns when the device clock is two days or more off the
  // server's "time"; true when it warned.
  static bool checkClock(int64_t serverTime, const ApiReplyHooks& hooks);

 private:
  plat::Value object_;
};
