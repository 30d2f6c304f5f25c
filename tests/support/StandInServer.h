// A stand-in for the maker's account server on loopback: every server script the app calls, with
// the state behind them (accounts with MD5 passwords, backed-up study data, sign-ins, messages,
// shared notes and their adoptions, excellent mnemonics, daily lessons, voice packs, feedback).
// Tests set the personal value "url" to base(), read the raw requests back, and can make the next
// reply of a script fail, come late or never come. Like the real server it is strict about the
// check code and the password digest, and refuses as the app expects ("result" 0, "msg", and
// "relogin" 1 for a stale password).
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

#include "tests/support/LoopbackHttpServer.h"

namespace testsupport {

// The shared key of the app's check code and test-mode parameter.
inline constexpr const char* kStandInClientKey = "a47f02c9e15d83b6f0e2c7d49b18a3e5";

// The parameters of one request, in the order they came: a GET query, a url-encoded form or the
// text fields of a multipart form (files apart).
struct StandInForm {
  std::vector<std::pair<std::string, std::string>> fields;
  struct File {
    std::string field, fileName, contentType, bytes;
  };
  std::vector<File> files;

  std::string operator[](const std::string& name) const;  // "" when absent
  bool has(const std::string& name) const;
  std::vector<std::string> names() const;
  const File* file(const std::string& field) const;

  static StandInForm of(const ServerRequest& request);
};

struct StandInMessage {
  int64_t time = 0;  // seconds since 1970
  std::string text;
};

struct StandInAccount {
  std::string name;  // lower-cased
  std::string passwordMd5;
  int64_t popularizeId = 0;    // the account's own referral id
  std::string referredBy;      // the referral id given at registration
  int64_t lastSynId = 0;       // counts accepted uploads; 0: no backup
  int64_t lastSynTime = 0;     // seconds since 1970 of the last accepted upload
  std::string lastSynVersion;  // v_lexicon of the last full upload
  std::string dump;            // the backed-up study data as dump text
  int signIns = 0;
  int logins = 0;
  std::vector<StandInMessage> messages;  // newest first
  int newMessages = 0;
};

// A shared mnemonic or grammar note.
struct StandInNote {
  int64_t id = 0;
  int64_t wordId = 0;
  std::string text;
  std::string sharer;
  int64_t time = 0;
  int accepts = 0;
  bool good = false;
};

struct StandInExcellent {
  int64_t emId = 0, wordId = 0, mnemonicId = 0, sortId = 0;
  std::string text, sharer;
};

struct StandInLesson {
  std::string sentence, translate, luckyWords, lottery;
  int64_t time = 0;
};

struct StandInFeedback {
  std::string account;
  int type = 0;
  std::string content, systemInfo, vLexicon, vClient;
};

class StandInServer {
 public:
  static constexpr int kPageSize = 10;

  StandInServer();
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

  struct State;  // inside the server's own files

 private:
  struct Faults {
    std::deque<ServerReply> replace;
    double delay = 0;
  };
  ServerReply handle(const ServerRequest& request);
  ServerReply answer(const std::string& script, const ServerRequest& request);

  std::unique_ptr<State> state_;
  mutable std::mutex mutex_;
  std::map<std::string, Faults> faults_;
  std::unique_ptr<LoopbackHttpServer> http_;
};

// A zip archive of one entry (the app's backup archives), and back: the text of every entry in
// order. Written and read with minizip, independently of the app's own zip code.
std::string zipOneEntry(const std::string& entryName, const std::string& content);
std::vector<std::pair<std::string, std::string>> unzipEntries(const std::string& archive);

// Lays a dump (`changes`, as the app uploads it) over the study data in `base`: rows replace rows
// of the same key (first field; the setting's name for Var_Config), and the word ids of
// "delete_words" remove that word's rows. The result has no "delete_words" section.
std::string mergeDump(const std::string& base, const std::string& changes);

}  // namespace testsupport
