// Inside the stand-in server: its state and the scripts that answer from it. Every script runs
// under the server's lock.
#pragma once

#include <functional>
#include <map>
#include <string>
#include <vector>

#include "tests/support/StandInJson.h"
#include "tests/support/StandInServer.h"

namespace testsupport {

struct StandInServer::State {
  std::string base;
  std::map<std::string, StandInAccount> accounts;  // by lower-cased name
  std::vector<StandInNote> mnemonics, yufa;
  std::map<std::string, std::vector<int64_t>> adopted;  // account -> adopted note ids ("m12", "y3")
  std::vector<StandInExcellent> excellent;
  std::map<int, StandInLesson> lessons;
  std::string basicVoices, extVoices;
  std::vector<StandInFeedback> feedback;
  std::vector<std::pair<int64_t, std::string>> luckyReports;
  std::map<std::string, std::string> files;  // served path -> bytes
  std::optional<int64_t> now;
  int64_t nextId = 1;

  int64_t clock() const;
};

namespace standin {

struct Call {
  StandInServer::State& state;
  const StandInForm& form;
};
using Script = std::function<ServerReply(Call&)>;

// Script name -> its handler.
const std::map<std::string, Script>& scriptTable();

std::string md5Hex(const std::string& text);
std::string lowercase(std::string text);
ServerReply json(const Json& body);

}  // namespace standin
}  // namespace testsupport
