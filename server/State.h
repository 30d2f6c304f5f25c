// Inside the stand-in server: its state and the scripts that answer from it. Every script runs
// under the server's lock.
#pragma once

#include <cstdint>
#include <functional>
#include <map>
#include <optional>
#include <set>
#include <string>
#include <utility>
#include <vector>

#include "server/Exchange.h"
#include "server/FieldBounds.h"
#include "server/Form.h"
#include "server/Json.h"
#include "server/Options.h"
#include "server/Records.h"
#include "server/SyncArchives.h"

namespace standin {

// Copied whole to answer a HEAD and before every change, which falls back to the copy when the data
// folder cannot keep it: the backups and archives in it are shared by the copies (SharedText), so
// a copy costs what writing the small tables does.
struct State {
  Options options;
  std::string base;                         // "http://127.0.0.1:<port>"
  std::map<std::string, Account> accounts;  // by lower-cased name
  std::vector<Note> mnemonics, yufa;
  std::map<std::string, std::vector<int64_t>>
      adopted;  // account -> adopted note ids (grammar notes negative)
  std::vector<Excellent> excellent;
  std::map<int, Lesson> lessons;
  std::string basicVoices, extVoices;
  std::vector<Feedback> feedback;
  std::vector<std::pair<int64_t, std::string>> luckyReports;  // (time, account)
  SyncArchives archives;  // what sync-down replies name, until fetched
  std::optional<int64_t> now;
  int64_t nextId = 1;
  // Accounts whose backup changed and is not yet in the data folder.
  std::set<std::string> changedBackups;

  int64_t clock() const;  // seconds since 1970: `now` once set, else the real clock
  Account& addAccount(const std::string& name, const std::string& passwordMd5);
  // Gives `account` the backup `dump`, counted as an upload when `uploaded`, else as cleared, to
  // be written with the rest of the change (`changedBackups`).
  void changeBackup(Account& account, std::string dump, bool uploaded);
};

struct Call {
  State& state;
  const Form& form;
};
using Script = std::function<Reply(Call&)>;

// Script name -> its handler.
const std::map<std::string, Script>& scriptTable();

// The pages beside the scripts, by path: the server's own page ("/", the maker's site and the
// daily lesson's first link), the ranking page, the store's version lookup and the analytics
// upload. None changes the state.
inline constexpr const char* kRankingPath = "/top";
using Page = std::function<Reply(const State&, const Request&)>;
const std::map<std::string, Page>& pageTable();

// The sample lesson of a day index, for a server whose store has none.
Lesson sampleLesson(int dayIndex, int64_t now);

// The address of a voice pack that the data folder holds ("/voices/basic.zip" or
// "/voices/extended.zip"), and whether it holds it.
std::string voicePackPath(bool extended);
bool voicePackIn(const State& state, bool extended);

std::string md5Hex(const std::string& text);
std::string sha256Hex(const std::string& text);
// `bytes` in lower-case hex, two digits a byte.
std::string hexOf(const unsigned char* bytes, size_t size);
std::string lowercase(std::string text);

}  // namespace standin
