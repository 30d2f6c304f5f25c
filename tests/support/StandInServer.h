// The stand-in account server of server/ behind a loopback server, for tests: they set the
// personal value "url" to base(), set up and read its state, read the raw requests back, and can
// make the next reply of a script fail, come late or never come.
#pragma once

#include <cstdint>
#include <deque>
#include <map>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "server/Archive.h"
#include "server/Options.h"
#include "server/Records.h"
#include "server/Service.h"
#include "tests/support/LoopbackHttpServer.h"

namespace testsupport {

// The shared key of the app's check code and test-mode parameter.
inline constexpr const char* kStandInClientKey = standin::kClientKey;

using StandInMessage = standin::Message;
using StandInAccount = standin::Account;
using StandInNote = standin::Note;
using StandInExcellent = standin::Excellent;
using StandInLesson = standin::Lesson;
using StandInFeedback = standin::Feedback;
using standin::mergeDump;
using standin::unzipEntries;
using standin::zipOneEntry;

// The parameters of one request, in the order they came: a GET query, a url-encoded form or the
// text fields of a multipart form (files apart).
struct StandInForm : standin::Form {
  static StandInForm of(const ServerRequest& request);
};

class StandInServer {
 public:
  static constexpr int kPageSize = 10;

  // `options` turn on the server program's behaviour (notice, counted sign-ins, sample lessons,
  // a welcome message, a data folder) for the cases that try it.
  explicit StandInServer(standin::Options options = {});
  ~StandInServer();
  StandInServer(const StandInServer&) = delete;
  StandInServer& operator=(const StandInServer&) = delete;

  // "http://127.0.0.1:<port>": the personal value "url".
  std::string base() const;

  // ---- State
  void addAccount(const std::string& name, const std::string& password);
  std::optional<StandInAccount> account(const std::string& name) const;
  void sendMessage(const std::string& account, const std::string& text, int64_t time);
  // A shared note (yufa: a grammar note) of `sharer`; returns its id.
  int64_t addNote(bool yufa, int64_t wordId, const std::string& text, const std::string& sharer,
                  int64_t time, int accepts = 0, bool good = false);
  std::vector<StandInNote> notes(bool yufa) const;
  void addExcellent(const StandInExcellent& mnemonic);
  void setLesson(int dayIndex, const StandInLesson& lesson);
  void setVoicePaths(const std::string& basic, const std::string& extended);
  std::vector<StandInFeedback> feedback() const;
  std::vector<std::pair<int64_t, std::string>> luckyWordReports() const;  // (time, account)
  // The server clock (seconds since 1970); the real clock until set.
  void setNow(int64_t seconds);
  int64_t now() const;

  // ---- Faults: each applies to the next request of the script only; replacements queue up.
  void replaceNext(const std::string& script, ServerReply reply);  // any scripted reply
  void failNext(const std::string& script, int status = 500);
  // The connection closes without a reply, `times` requests in a row (the client tries a request
  // again once when a connection it reused closes).
  void dropNext(const std::string& script, int times = 1);
  void delayNext(const std::string& script, double seconds);  // the real reply, late

  // ---- What came in
  std::vector<ServerRequest> requests(const std::string& script = "") const;
  ServerRequest lastRequest(const std::string& script) const;  // empty when none came
  int count(const std::string& script) const;

 private:
  struct Faults {
    std::deque<ServerReply> replace;
    double delay = 0;
  };
  ServerReply handle(const ServerRequest& request);

  mutable standin::Service service_;
  mutable std::mutex mutex_;  // guards faults_
  std::map<std::string, Faults> faults_;
  std::unique_ptr<LoopbackHttpServer> http_;
};

}  // namespace testsupport
