#include "server/CommandLine.h"

#include <cctype>

#include "server/Echo.h"

namespace standin {

const char* const kUsage =
    "usage: vocab-standin --data FOLDER [--port PORT] [--library LEARN_DB] [--store-version "
    "VERSION]\n"
    "       vocab-standin --data FOLDER --set-password ACCOUNT PASSWORD\n";

namespace {

// Digits only: an empty or blank port would otherwise read as 0, a free port nobody asked for.
std::optional<int> portNumber(const std::string& text) {
  if (text.empty() || text.size() > 5) return std::nullopt;
  int port = 0;
  for (char c : text) {
    if (!std::isdigit(static_cast<unsigned char>(c))) return std::nullopt;
    port = port * 10 + (c - '0');
  }
  if (port > 65535) return std::nullopt;
  return port;
}

}  // namespace

CommandLine CommandLine::parse(const std::vector<std::string>& arguments) {
  CommandLine line;
  const size_t count = arguments.size();
  for (size_t i = 0; i < count; ++i) {
    const std::string& arg = arguments[i];
    if (arg == "--data" && i + 1 < count) {
      line.dataFolder = arguments[++i];
    } else if (arg == "--library" && i + 1 < count) {
      line.library = arguments[++i];
    } else if (arg == "--store-version" && i + 1 < count) {
      line.storeVersion = arguments[++i];
    } else if (arg == "--set-password" && i + 2 < count) {
      line.newPassword.emplace(arguments[i + 1], arguments[i + 2]);
      i += 2;
      if (line.newPassword->second.empty()) {
        // The login window sends no empty password: the account could never be used again.
        line.error = "vocab-standin: --set-password needs a password that is not empty\n";
        return line;
      }
    } else if (arg == "--port" && i + 1 < count) {
      const std::string& text = arguments[++i];
      std::optional<int> port = portNumber(text);
      if (!port) {
        line.error =
            "vocab-standin: --port takes a number from 0 to 65535 (0 for a free port), "
            "not \"" +
            echoed(text) + "\"\n";
        return line;
      }
      line.port = *port;
    } else {
      line.error = kUsage;
      return line;
    }
  }
  if (line.dataFolder.empty()) line.error = kUsage;
  return line;
}

}  // namespace standin
