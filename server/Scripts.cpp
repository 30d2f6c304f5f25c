// The server scripts of the stand-in: what each reads from its request and answers from the state.
#include <algorithm>

#include "server/Archive.h"
#include "server/State.h"

namespace standin {
namespace {

using Members = std::vector<std::pair<std::string, Json>>;

constexpr int kPageSize = 10;  // rows of one page of a list
constexpr int64_t kDay = 86400;

Reply json(const Json& body) {
  return Reply::json(body.text());
}

Reply refuse(const std::string& message, Members extra = {}) {
  Members members = {{"result", 0}, {"msg", message}};
  members.insert(members.end(), extra.begin(), extra.end());
  return json(Json::object(members));
}

int64_t integer(const std::string& text) {
  return std::strtoll(text.c_str(), nullptr, 10);
}

// A wrong check code means the request did not come from the app.
bool checkCodeBad(const Call& call) {
  return call.form.has("client_check_code") &&
         call.form["client_check_code"] != md5Hex(call.form["identifie"] + kClientKey);
}

Account* accountOf(Call& call) {
  auto found = call.state.accounts.find(lowercase(call.form["account"]));
  return found == call.state.accounts.end() ? nullptr : &found->second;
}

// A script for a request that carries the account's stored password: a stale password asks the
// app to log in again.
Script signedIn(std::function<Reply(Call&, Account&)> script) {
  return [script](Call& call) {
    if (checkCodeBad(call)) return refuse("客户端校验失败");
    Account* account = accountOf(call);
    if (!account) return refuse("账号不存在");
    if (account->passwordMd5 != call.form["password"])
      return refuse("密码已修改，请重新登录", {{"relogin", 1}});
    return script(call, *account);
  };
}

int sharedBy(const std::vector<Note>& notes, const std::string& name, bool adoptions) {
  int total = 0;
  for (const Note& note : notes)
    if (note.sharer == name) total += adoptions ? note.accepts : 1;
  return total;
}

Json synVar(const Call& call, const Account& account) {
  const auto& state = call.state;
  int referred = static_cast<int>(
      std::count_if(state.accounts.begin(), state.accounts.end(), [&](const auto& other) {
        return other.second.referredBy == std::to_string(account.popularizeId);
      }));
  Members values = {
      {"nLastSynId", account.lastSynId},
      {"nLastSynTime", account.lastSynTime},
      {"sLastSynVersion", account.lastSynVersion},
      {"nNewMsgCount", account.newMessages},
      {"nPopularizeId", std::to_string(account.popularizeId)},
      {"nMnemonicShareCount", sharedBy(state.mnemonics, account.name, false)},
      {"nMnemonicAcceptCount", sharedBy(state.mnemonics, account.name, true)},
      {"nYufaShareCount", sharedBy(state.yufa, account.name, false)},
      {"nYufaAcceptCount", sharedBy(state.yufa, account.name, true)},
      {"nPopularizeCount", referred},
      {"nSignInCount", account.signIns},
      {"nSignInAll", account.signIns},
      {"nSignInCur", account.signInStreak},
      {"nSignInMax", account.signInBest},
  };
  if (state.options.rankingPage) values.emplace_back("sShowTopView", state.base + kRankingPath);
  if (!state.options.notice.html.empty()) {
    values.emplace_back("sNewsTitle", state.options.notice.title);
    values.emplace_back("sNewsContent", state.options.notice.html);
  }
  return Json::object(values);
}

Reply success(const Call& call, const Account& account, Members extra = {}) {
  Members members = {{"result", 1}, {"syn_var", synVar(call, account)}};
  members.insert(members.end(), extra.begin(), extra.end());
  return json(Json::object(members));
}

bool firstPage(const Call& call) {
  return integer(call.form["page"]) <= 0;
}

// The rows of the page the request asks for, and 1 when it is the last page.
template <class T, class Row>
std::pair<Json, int> pageOf(const Call& call, const std::vector<T>& list, Row row) {
  const size_t size = kPageSize;
  const size_t first = size * static_cast<size_t>(std::max<int64_t>(0, integer(call.form["page"])));
  std::vector<Json> rows;
  for (size_t i = first; i < list.size() && i < first + size; ++i) rows.push_back(row(list[i]));
  return {Json::array(rows), first + size >= list.size() ? 1 : 0};
}

Json noteRow(const Note& note) {
  return Json::array({note.id, note.text, note.accepts, note.time, note.sharer, note.good ? 1 : 0});
}

// ---- Account

Reply login(Call& call) {
  if (checkCodeBad(call)) return refuse("客户端校验失败");
  Account* account = accountOf(call);
  if (!account || account->passwordMd5 != call.form["password"]) return refuse("账号或密码错误");
  ++account->logins;
  return success(call, *account, {{"msg", "登录成功"}});
}

Reply registration(Call& call) {
  if (checkCodeBad(call)) return refuse("客户端校验失败");
  std::string name = lowercase(call.form["account"]);
  if (name.empty() || call.form["password"].size() != 32) return refuse("账号或密码无效");
  if (longerThan(name, kLongestAccountName))
    return refuse("账号太长，最多" + std::to_string(kLongestAccountName) + "个字符");
  if (auto refusal = refusalOverBounds(call.form, {kReferralId})) return refuse(*refusal);
  if (call.state.accounts.count(name)) return refuse("该账号已被注册");
  Account& account = call.state.addAccount(name, call.form["password"]);
  account.referredBy = call.form["popularize_id"];
  if (const std::string& welcome = call.state.options.welcomeMessage; !welcome.empty()) {
    account.messages.push_back({call.state.clock(), welcome});
    account.newMessages = 1;
  }
  int64_t sent = call.state.clock();
  for (const std::string& past : call.state.options.pastMessages)
    account.messages.push_back({sent -= kDay, past});
  return success(call, account, {{"msg", "注册成功"}});
}

Reply accountInfo(Call& call, Account& account) {
  return success(call, account, {{"time", call.state.clock()}});
}

// A sign-in extends the learner's run of days when it comes the day after the last one.
void countSignIn(Account& account, int64_t day) {
  account.signInStreak = account.lastSignInDay == day - 1 ? account.signInStreak + 1 : 1;
  account.signInBest = std::max(account.signInBest, account.signInStreak);
  account.lastSignInDay = day;
  ++account.signIns;
}

Reply signIn(Call& call, Account& account) {
  const int64_t day = call.state.clock() / kDay;
  if (!call.state.options.countedSignIns) {
    countSignIn(account, day);
    return success(call, account, {{"msg", "签到成功"}, {"last_signin_id", call.state.nextId++}});
  }
  if (account.lastSignInDay == day) return success(call, account, {{"msg", "今天已经签到过了"}});
  countSignIn(account, day);
  // "@" marks a counted sign-in: the app offers to share it, with the learner's place of the day.
  const auto place =
      std::count_if(call.state.accounts.begin(), call.state.accounts.end(),
                    [&](const auto& other) { return other.second.lastSignInDay == day; });
  return success(
      call, account,
      {{"msg", "@签到成功！您是今天第" + std::to_string(place) + "位签到的学员，已连续签到" +
                   std::to_string(account.signInStreak) + "天。"},
       {"last_signin_id", static_cast<int64_t>(place)}});
}

Reply clearData(Call& call, Account& account) {
  call.state.changeBackup(account, "", false);
  return success(call, account, {{"msg", "服务器上的学习数据已清除"}});
}

// ---- Backup

// The dump text of the uploaded archive, or the refusal of an archive that is no archive of one
// dump or holds more than a backup may.
struct Upload {
  std::string dump;
  std::optional<Reply> refusal;
};

Upload uploadedDump(const Call& call) {
  const Form::File* file = call.form.file("syn_file");
  if (!file) return {"", refuse("备份文件损坏")};
  bool tooLarge = false;
  auto entries = unzipEntries(file->bytes, kLargestBackup, tooLarge);
  if (tooLarge) return {"", refuse(backupTooLargeMessage())};
  if (entries.size() != 1) return {"", refuse("备份文件损坏")};
  return {std::move(entries.front().second), std::nullopt};
}

Reply uploaded(Call& call, Account& account) {
  return success(call, account, {{"msg", "备份成功"}});
}

Reply synchronizeUp(Call& call, Account& account) {
  // Changes only make sense on top of the backup the device last saw.
  if (account.lastSynId == 0 || integer(call.form["nLastSynId"]) != account.lastSynId) {
    return refuse("请上传全部数据", {{"err_type", 2}});
  }
  Upload upload = uploadedDump(call);
  if (upload.refusal) return *upload.refusal;
  std::string merged = mergeDump(account.dump, upload.dump);
  if (merged.size() > kLargestBackup) return refuse(backupTooLargeMessage());
  call.state.changeBackup(account, std::move(merged), true);
  return uploaded(call, account);
}

Reply synchronizeAllUp(Call& call, Account& account) {
  if (auto refusal = refusalOverBounds(call.form, {kLexiconVersion})) return refuse(*refusal);
  Upload upload = uploadedDump(call);
  if (upload.refusal) return *upload.refusal;
  call.state.changeBackup(account, mergeDump("", upload.dump), true);
  account.lastSynVersion = call.form["v_lexicon"];
  return uploaded(call, account);
}

Reply synchronizeAllDown(Call& call, Account& account) {
  if (account.lastSynId == 0) return refuse("服务器上没有您的备份数据");
  const std::string path = call.state.archives.publish(
      account.name, zipOneEntry("backup_alldata.scv", account.dump), call.state.clock());
  if (path.empty()) return refuse("服务器暂时无法提供备份，请稍后再试");
  return success(call, account, {{"syn_file", call.state.base + path}});
}

// ---- Shared notes

std::vector<Note>& notesOf(Call& call, bool yufa) {
  return yufa ? call.state.yufa : call.state.mnemonics;
}

template <bool yufa>
Reply uploadNote(Call& call, Account& account) {
  if (auto refusal = refusalOverBounds(call.form, {yufa ? kGrammarNoteText : kMnemonicText}))
    return refuse(*refusal);
  int64_t word = integer(call.form["word_id"]);
  std::string text = call.form[yufa ? "yufa" : "mnemonic"];
  auto& notes = notesOf(call, yufa);
  auto own = std::find_if(notes.begin(), notes.end(), [&](const Note& n) {
    return n.wordId == word && n.sharer == account.name;
  });
  if (own != notes.end()) {
    own->text = text;
    own->time = call.state.clock();
  } else {
    notes.push_back({call.state.nextId++, word, text, account.name, call.state.clock(), 0, false});
  }
  return success(call, account, {{"msg", "分享成功"}});
}

template <bool yufa>
Reply findNotes(Call& call) {
  int64_t word = integer(call.form["word_id"]);
  const std::string name = lowercase(call.form["account"]);
  // The asker's own notes come apart, on the first page, as [id, text, adoptions, time, flag].
  std::vector<Note> found;
  std::vector<Json> mine;
  for (const Note& note : notesOf(call, yufa)) {
    if (note.wordId != word) continue;
    if (!name.empty() && note.sharer == name)
      mine.push_back(Json::array({note.id, note.text, note.accepts, note.time, note.good ? 1 : 0}));
    else
      found.push_back(note);
  }
  const bool byAdoptions = call.form["order_type"] == "1";
  std::stable_sort(found.begin(), found.end(), [&](const Note& a, const Note& b) {
    return byAdoptions ? a.accepts > b.accepts : a.time > b.time;
  });
  auto [rows, end] = pageOf(call, found, noteRow);
  return json(Json::object({{"result", 1},
                            {yufa ? "my_yufa" : "my_mnemonic",
                             Json::array(firstPage(call) ? mine : std::vector<Json>{})},
                            {yufa ? "yufa_list" : "mnemonic_list", rows},
                            {"is_end", end}}));
}

template <bool yufa>
Reply acceptNote(Call& call, Account& account) {
  int64_t id = integer(call.form[yufa ? "yufa_id" : "mnemonic_id"]);
  auto& notes = notesOf(call, yufa);
  auto note = std::find_if(notes.begin(), notes.end(), [&](const Note& n) { return n.id == id; });
  if (note == notes.end()) return refuse("该条目已被删除");
  auto& adopted = call.state.adopted[account.name];
  int64_t key = yufa ? -id : id;
  if (std::find(adopted.begin(), adopted.end(), key) == adopted.end()) {
    adopted.push_back(key);
    ++note->accepts;
  }
  return success(call, account, {{"msg", "采纳成功"}, {"accept_num", note->accepts}});
}

Reply bestMnemonic(Call& call) {
  int64_t word = integer(call.form["word_id"]);
  const Note* best = nullptr;
  for (const Note& note : call.state.mnemonics)
    if (note.wordId == word && (!best || note.accepts > best->accepts)) best = &note;
  return json(best ? noteRow(*best) : Json::array({}));
}

Reply excellentMnemonics(Call& call) {
  int64_t last = integer(call.form["last_em_id"]);
  int64_t newest = last;
  std::vector<Json> rows;
  for (const Excellent& e : call.state.excellent) {
    if (e.emId <= last) continue;
    rows.push_back(Json::array({e.wordId, e.mnemonicId, e.text, e.sharer, e.sortId}));
    newest = std::max(newest, e.emId);
  }
  return json(Json::object({{"result", 1},
                            {"syn_var", Json::object({})},
                            {"last_em_id", newest},
                            {"em_list", Json::array(rows)}}));
}

// ---- Messages, feedback, lessons, voices

Reply userMessages(Call& call, Account& account) {
  auto [rows, end] = pageOf(call, account.messages, [](const Message& message) {
    return Json::array({message.time, message.text});
  });
  Reply reply = success(call, account, {{"msg_list", rows}, {"is_end", end}});
  if (firstPage(call)) account.newMessages = 0;  // read now
  return reply;
}

Reply advise(Call& call, Account& account) {
  int type = static_cast<int>(integer(call.form["advises_type"]));
  if (type < 1 || type > 3) return refuse("反馈类型无效");
  if (auto refusal = refusalOverBounds(
          call.form, {kFeedbackText, kSystemInfo, kLexiconVersion, kClientVersion}))
    return refuse(*refusal);
  call.state.feedback.push_back({account.name, type, call.form["content"], call.form["system_info"],
                                 call.form["v_lexicon"], call.form["v_client"]});
  return success(call, account, {{"msg", "谢谢您的反馈"}});
}

Reply dailyLesson(Call& call) {
  const int dayIndex = static_cast<int>(integer(call.form["day_index"]));
  auto found = call.state.lessons.find(dayIndex);
  if (found == call.state.lessons.end() && !call.state.options.sampleLessons)
    return refuse("今天没有课程");
  const Lesson lesson = found != call.state.lessons.end()
                            ? found->second
                            : sampleLesson(dayIndex, call.state.clock());
  return json(Json::object({{"result", 1},
                            {"sentence", lesson.sentence},
                            {"translate", lesson.translate},
                            {"lucky_words", lesson.luckyWords},
                            {"time", lesson.time},
                            {"lottery", lesson.lottery}}));
}

Reply luckyWords(Call& call) {
  // Kept for the accounts there are and names that could be one; no other name grows the file.
  const std::string& name = call.form["account"];
  if (!longerThan(name, kLongestAccountName) || call.state.accounts.count(lowercase(name)))
    call.state.luckyReports.emplace_back(integer(call.form["time"]), name);
  return json(Json::object({{"result", 1}}));
}

template <bool extended>
Reply voices(Call& call) {
  if (checkCodeBad(call)) return refuse("客户端校验失败");
  std::string path = extended ? call.state.extVoices : call.state.basicVoices;
  // A pack laid in the data folder is served from there.
  if (path.empty() && voicePackIn(call.state, extended))
    path = call.state.base + voicePackPath(extended);
  if (path.empty()) return refuse("语音包暂不可用");
  return json(Json::object({{"result", 1}, {"path", path}}));
}

}  // namespace

const std::map<std::string, Script>& scriptTable() {
  static const std::map<std::string, Script> table = {
      {"account_login.php", login},
      {"account_register.php", registration},
      {"account_info.php", signedIn(accountInfo)},
      {"sign_in.php", signedIn(signIn)},
      {"clear_data.php", signedIn(clearData)},
      {"synchronize_up.php", signedIn(synchronizeUp)},
      {"synchronize_all_up.php", signedIn(synchronizeAllUp)},
      {"synchronize_all_down.php", signedIn(synchronizeAllDown)},
      {"upload_mnemonic.php", signedIn(uploadNote<false>)},
      {"upload_yufa.php", signedIn(uploadNote<true>)},
      {"find_mnemonic.php", findNotes<false>},
      {"find_yufa.php", findNotes<true>},
      {"accept_mnemonic.php", signedIn(acceptNote<false>)},
      {"accept_yufa.php", signedIn(acceptNote<true>)},
      {"get_best_mnemonic.php", bestMnemonic},
      {"update_excellent_mnemonic.php", excellentMnemonics},
      {"get_user_message.php", signedIn(userMessages)},
      {"advise.php", signedIn(advise)},
      {"daily_lesson.php", dailyLesson},
      {"study_lucky_words.php", luckyWords},
      {"get_basic_voices.php", voices<false>},
      {"get_ext_voices.php", voices<true>},
  };
  return table;
}

}  // namespace standin
