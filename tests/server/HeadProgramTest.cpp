// The real vocab-standin asked with HEAD, as a client does before it fetches: every script and
// page answers with the head its GET would have and no body, spends no sign-in, makes no account,
// clears and writes nothing; and a HEAD costs what its GET costs however large the backups are.
#include <algorithm>
#include <chrono>
#include <filesystem>
#include <fstream>
#include <map>
#include <string>

#include "server/FieldBounds.h"
#include "server/State.h"
#include "tests/server/StandInProgram.h"

namespace servertest {
namespace {

namespace fs = std::filesystem;
using Params = std::vector<std::pair<std::string, std::string>>;

constexpr const char* kPassword = "secret12";

Params with(Params params, const Params& more) {
  params.insert(params.end(), more.begin(), more.end());
  return params;
}

class HeadProgramTest : public StandInProgramTest {
 protected:
  WireReply send(const standin::Request& request) { return exchange(port(), request); }
  std::string sent(const standin::Request& request) {
    return testsupport::exchangeOnLoopback(port(), wire(request));
  }

  // What a client learns from a reply's head: status, type and length; and the body.
  struct Head {
    std::string head;
    std::string body;
  };
  static Head headOf(const std::string& text) {
    const size_t end = text.find("\r\n\r\n");
    if (text.rfind("HTTP/1.1 ", 0) != 0 || end == std::string::npos) return {"no reply", text};
    auto field = [&](const std::string& name) {
      const size_t at = text.find("\r\n" + name + ": ");
      if (at == std::string::npos || at > end) return std::string("none");
      const size_t start = at + name.size() + 4;
      return text.substr(start, text.find("\r\n", start) - start);
    };
    return {text.substr(9, 3) + " " + field("Content-Type") + " " + field("Content-Length"),
            text.substr(end + 4)};
  }

  // Every file of the data folder with its bytes, after a script that changes nothing has had the
  // server write its state.
  std::map<std::string, std::string> keptFiles() {
    EXPECT_EQ(send(get("daily_lesson.php", {{"day_index", "0"}})).status, 200);
    std::map<std::string, std::string> files;
    for (const auto& entry : fs::recursive_directory_iterator(folder_))
      if (entry.is_regular_file()) files[entry.path().string()] = fileText(entry.path().string());
    return files;
  }

  void signUp(const std::string& name) {
    ASSERT_TRUE(
        has(send(get("account_register.php", signedParams(name, kPassword))).body, "\"result\":1"));
  }
  // The id of the first note of the list a find script answers with.
  std::string firstNoteId(const std::string& script, const std::string& list) {
    const std::string body = send(get(script, {{"word_id", "458"}})).body;
    const size_t at = body.find("\"" + list + "\":[[");
    if (at == std::string::npos) return "";
    const size_t start = at + list.size() + 5;
    return body.substr(start, body.find(',', start) - start);
  }
};

TEST_F(HeadProgramTest, EveryScriptsHeadIsItsGetsHeadAndChangesNothing) {
  ASSERT_GT(serve(), 0) << printed();
  const std::string dump = "Study_List\t1\n457\t818317400\n";
  signUp("ann");
  signUp("ben");
  ASSERT_TRUE(has(send(fullUpload("ann", kPassword, dump)).body, "备份成功"));
  ASSERT_TRUE(has(send(fullUpload("ben", kPassword, dump)).body, "备份成功"));
  const Params ann = signedParams("ann", kPassword), ben = signedParams("ben", kPassword);
  send(get("upload_mnemonic.php", with(ben, {{"word_id", "458"}, {"mnemonic", "m"}})));
  send(get("upload_yufa.php", with(ben, {{"word_id", "458"}, {"yufa", "y"}})));
  const std::string mnemonic = firstNoteId("find_mnemonic.php", "mnemonic_list");
  const std::string yufa = firstNoteId("find_yufa.php", "yufa_list");
  ASSERT_FALSE(mnemonic.empty() || yufa.empty());
  std::string archive = archivePath(send(get("synchronize_all_down.php", ann)).body);
  ASSERT_FALSE(archive.empty());

  const std::string changed = "Study_List\t1\n459\t818317400\n";
  const std::map<std::string, standin::Request> scripts = {
      {"account_login.php", get("account_login.php", ann)},
      {"account_register.php", get("account_register.php", signedParams("cat", kPassword))},
      {"account_info.php", get("account_info.php", ann)},
      {"sign_in.php", get("sign_in.php", ann)},
      {"clear_data.php", get("clear_data.php", ben)},
      {"synchronize_up.php", uploadOf("synchronize_up.php", "ann", kPassword,
                                      standin::zipOneEntry("backup_alldata.scv", changed), 1)},
      {"synchronize_all_up.php", fullUpload("ann", kPassword, changed)},
      {"synchronize_all_down.php", get("synchronize_all_down.php", ann)},
      {"upload_mnemonic.php",
       get("upload_mnemonic.php", with(ann, {{"word_id", "457"}, {"mnemonic", "m"}}))},
      {"upload_yufa.php", get("upload_yufa.php", with(ann, {{"word_id", "457"}, {"yufa", "y"}}))},
      {"find_mnemonic.php", get("find_mnemonic.php", with(ann, {{"word_id", "458"}}))},
      {"find_yufa.php", get("find_yufa.php", with(ann, {{"word_id", "458"}}))},
      {"accept_mnemonic.php", get("accept_mnemonic.php", with(ann, {{"mnemonic_id", mnemonic}}))},
      {"accept_yufa.php", get("accept_yufa.php", with(ann, {{"yufa_id", yufa}}))},
      {"get_best_mnemonic.php", get("get_best_mnemonic.php", {{"word_id", "458"}})},
      {"update_excellent_mnemonic.php",
       get("update_excellent_mnemonic.php", {{"last_em_id", "0"}})},
      {"get_user_message.php", get("get_user_message.php", with(ann, {{"page", "0"}}))},
      {"advise.php", get("advise.php", with(ann, {{"advises_type", "1"}, {"content", "c"}}))},
      {"daily_lesson.php", get("daily_lesson.php", {{"day_index", "3"}})},
      {"study_lucky_words.php",
       get("study_lucky_words.php", {{"account", "ann"}, {"time", "1700000000"}})},
      {"get_basic_voices.php", get("get_basic_voices.php", ann)},
      {"get_ext_voices.php", get("get_ext_voices.php", ann)},
  };
  for (const auto& [name, script] : standin::scriptTable())
    EXPECT_EQ(scripts.count(name), 1u) << name << " is asked with HEAD here too";

  std::vector<standin::Request> asked;
  for (const auto& [name, request] : scripts) asked.push_back(request);
  for (const char* page : {"/", "/top", "/top?by=run", "/lookup"})
    asked.push_back({"GET", page, {}, ""});
  for (standin::Request request : asked) {
    SCOPED_TRACE(request.target);
    const auto before = keptFiles();
    request.method = "HEAD";
    const Head head = headOf(sent(request));
    EXPECT_EQ(head.body, "");
    EXPECT_TRUE(keptFiles() == before) << "the HEAD changed what the server keeps";
    EXPECT_EQ(headOf(sent({"HEAD", archive, {}, ""})).head.substr(0, 3), "200")
        << "the HEAD took the archive waiting for its fetch away";

    request.method = "GET";
    const Head got = headOf(sent(request));
    EXPECT_EQ(head.head, got.head) << got.body;
    if (const std::string path = archivePath(got.body); !path.empty()) archive = path;
  }
}

// A study dump of `bytes` exactly, a word a row.
std::string dumpOf(size_t bytes) {
  std::string dump = "Study_List\t1\n";
  while (dump.size() < bytes) dump += "457\t818317400\n";
  dump.resize(bytes);
  return dump;
}

// An anonymous HEAD copied every backup the server keeps, under the lock that every request
// waits for: hundreds of megabytes, and a second where its GET takes milliseconds.
TEST_F(HeadProgramTest, AHeadCostsWhatItsGetCostsHoweverLargeTheBackups) {
  constexpr int kAccounts = 6;
  const size_t kept = kAccounts * standin::kLargestBackup;
  {
    fs::create_directories(folder_ + "/backups");
    std::ofstream accounts(folder_ + "/accounts.tsv");
    const std::string dump = dumpOf(standin::kLargestBackup);
    for (int i = 0; i < kAccounts; ++i) {
      const std::string name = "learner" + std::to_string(i);
      accounts << name << "\t" << standin::md5Hex(kPassword) << "\t" << 1000 + i
               << "\t\t1\t1700000000\t1.0\t0\t0\t0\t-1\t0\t0\n";
      std::ofstream(folder_ + "/backups/" + name + ".dump", std::ios::binary) << dump;
    }
  }
  ASSERT_GT(serve(), 0) << printed();
  const size_t peak = peakMemory();
  ASSERT_GT(peak, kept) << "the backups are held in memory";

  using Clock = std::chrono::steady_clock;
  auto seconds = [&](const char* method, const std::string& target) {
    const auto start = Clock::now();
    EXPECT_FALSE(sent({method, target, {}, ""}).empty());
    return std::chrono::duration<double>(Clock::now() - start).count();
  };
  // The quickest of a few rounds of each, taken in turn: a busy machine slows some of them.
  const std::string signedIn = get("account_info.php", signedParams("learner3", kPassword)).target;
  double get = 1e9, head = 1e9;
  for (int round = 0; round < 5; ++round) {
    for (const std::string& target : {std::string("/api/account_login.php"), signedIn}) {
      get = std::min(get, seconds("GET", target));
      head = std::min(head, seconds("HEAD", target));
    }
  }
  EXPECT_LT(peakMemory() - peak, kept / 4)
      << "MB of peak memory grew: " << (peakMemory() - peak) / kMiB;
  EXPECT_LT(head, get + 0.05) << "s for a HEAD, where its GET took " << get << " s";
}

}  // namespace
}  // namespace servertest
