// The request recipe of the server scripts: the address (server base, "/api/", script name), the
// common parameters every script takes a subset of, and the table that fixes, for each script,
// its method and the order of its parameters. Senders add their own values and set the delegate,
// selectors and tags, then start the request.
#pragma once

#include <map>
#include <memory>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "net/HttpFormDataRequest.h"
#include "net/HttpRequest.h"
#include "platform/base/Value.h"

class ApiRequest {
 public:
  // Ordered (name, value) pairs; integers stay numbers until they are written.
  using Params = std::vector<std::pair<std::string, plat::Value>>;
  // Values a sender supplies for its script: its own parameters ("word_id", "page", ...) and
  // overrides of common ones ("account" and "password" as typed at login).
  using Values = std::map<std::string, plat::Value>;

  // "<personal value url>/api/<script>".
  static std::string scriptAddress(const std::string& script);

  // ---- Common parameter values
  static std::string identifie();        // the device identifier
  static std::string account();          // personal value "account"
  static std::string password();         // personal value "password" (an MD5 text)
  static std::string clientVersion();    // the bundle's CFBundleVersion
  static std::string clientCheckCode();  // MD5 of the device identifier and the shared key
  static constexpr const char* kClientType = "ios";

  // The script's parameters in the table's order: common ones from the recipe unless `values`
  // names them, the script's own ones from `values` (left out when it has none, as the
  // referral of a registration), and "is_test" last while test mode is on.
  static Params parameters(const std::string& script, const Values& values = {});

  // "<address>?name=value&..."; a value is percent-escaped where it holds characters outside
  // letters, digits and "-._~" (only typed texts do), so it cannot break into other parameters.
  static std::string queryAddress(const std::string& script, const Params& params);

  // A GET request of the script; the script's time-out where the table sets one.
  static std::shared_ptr<HttpRequest> get(const std::string& script, const Values& values = {});
  // A POST form of the script: text fields in order, then the file part "syn_file" when a path
  // is given (which makes the form multipart).
  static std::shared_ptr<HttpFormDataRequest> post(const std::string& script,
                                                   const Values& values = {},
                                                   const std::string& synFilePath = "");

  // Whether the table sends the script as a POST form.
  static bool isPost(const std::string& script);
};
