// What the server program is asked to do, read from its arguments; a mistake is refused with a
// message that names it, before anything is read or served.
#pragma once

#include <optional>
#include <string>
#include <utility>
#include <vector>

namespace standin {

struct CommandLine {
  std::string dataFolder;
  std::string library;       // the app's learn.db, for sample mnemonics; "" for none
  std::string storeVersion;  // what the store lookup reports as newest; "" for none
  int port = 8080;           // 0 takes a free port
  std::optional<std::pair<std::string, std::string>> newPassword;  // account, password

  // The arguments after the program's name; `error` is empty when they make sense.
  static CommandLine parse(const std::vector<std::string>& arguments);
  std::string error;
};

extern const char* const kUsage;

}  // namespace standin
