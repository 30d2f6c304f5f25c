// The server scripts of the stand-in: what each reads from its request and answers from the state.
#include <algorithm>

#include "tests/support/StandInServerState.h"

namespace testsupport::standin {
namespace {

using Members = std::vector<std::pair<std::string, Json>>;

ServerReply refuse(const std::string& message, Members extra = {}) {
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
         call.form["client_check_code"] != md5Hex(call.form["identifie"] + kStandInClientKey);
}

StandInAccount* accountOf(Call& call) {
  auto found = call.state.accounts.find(lowercase(call.form["account"]));
  return found == call.state.accounts.end() ? nullptr : &found->second;
}

// A script for a request that carries the account's stored password: a stale password asks the
// app to log in again.
Script signedIn(std::function<ServerReply(Call&, StandInAccount&)> script) {
  return [script](Call& call) {
    if (checkCodeBad(call)) return refuse("客户端校验失败");
    StandInAccount* account = accountOf(call);
    if (!account) return refuse("帐号不存在");
    if (account->passwordMd5 != call.form["password"])
      return refuse("密码已修改，请重新登录", {{"relogin", 1}});
    return script(call, *account);
  };
}

int sharedBy(const std::vector<StandInNote>& notes, const std::string& name, bool adoptions) {
  int total = 0;
  for (const StandInNote& note : notes)
    if (note.sharer == name) total += adoptions ? note.accepts : 1;
  return total;
}

Json synVar(const Call& call, const StandInAccount& account) {
  const auto& state = call.state;
  int referred = static_cast<int>(
      std::count_if(state.accounts.begin(), state.accounts.end(), [&](const auto& other) {
        return other.second.referredBy == std::to_string(account.popularizeId);
      }));
  return Json::object({
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
  });
}

ServerReply success(const Call& call, const StandInAccount& account, Members extra = {}) {
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
  const size_t size = StandInServer::kPageSize;
  const size_t first = size * static_cast<size_t>(std::max<int64_t>(0, integer(call.form["page"])));
  std::vector<Json> rows;
  for (size_t i = first; i < list.size() && i < first + size; ++i) rows.push_back(row(list[i]));
  return {Json::array(rows), first + size >= list.size() ? 1 : 0};
}

Json noteRow(const StandInNote& note) {
  return Json::array({note.id, note.text, note.accepts, note.time, note.sharer, note.good ? 1 : 0});
}

// ---- Account

ServerReply login(Call& call) {
  if (checkCodeBad(call)) return refuse("客户端校验失败");
  StandInAccount* account = accountOf(call);
  if (!account || account->passwordMd5 != call.form["password"]) return refuse("帐号或密码错误");
  ++account->logins;
  return success(call, *account, {{"msg", "登录成功"}});
}

ServerReply registration(Call& call) {
  if (checkCodeBad(call)) return refuse("客户端校验失败");
  std::string name = lowercase(call.form["account"]);
  if (name.empty() || call.form["password"].size() != 32) return refuse("帐号或密码无效");
  if (call.state.accounts.count(name)) return refuse("该帐号已被注册");
  StandInAccount& account = call.state.accounts[name];
  account.name = name;
  account.passwordMd5 = call.form["password"];
  account.popularizeId = 1000 + call.state.nextId++;
  account.referredBy = call.form["popularize_id"];
  return success(call, account, {{"msg", "注册成功"}});
}

ServerReply accountInfo(Call& call, StandInAccount& account) {
  return success(call, account, {{"time", call.state.clock()}});
}

ServerReply signIn(Call& call, StandInAccount& account) {
  ++account.signIns;
  return success(call, account, {{"msg", "签到成功"}, {"last_signin_id", call.state.nextId++}});
}

ServerReply clearData(Call& call, StandInAccount& account) {
  account.dump.clear();
  account.lastSynId = 0;
  account.lastSynTime = 0;
  return success(call, account, {{"msg", "服务器上的学习数据已清除"}});
}

// ---- Backup

// The dump text of the uploaded archive; nothing when it is no archive of one dump.
std::optional<std::string> uploadedDump(const Call& call) {
  const StandInForm::File* file = call.form.file("syn_file");
  if (!file) return std::nullopt;
  auto entries = unzipEntries(file->bytes);
  if (entries.size() != 1) return std::nullopt;
  return entries.front().second;
}

ServerReply acceptUpload(Call& call, StandInAccount& account, const std::string& dump) {
  account.dump = dump;
  ++account.lastSynId;
  account.lastSynTime = call.state.clock();
  return success(call, account, {{"msg", "备份成功"}});
}

ServerReply synchronizeUp(Call& call, StandInAccount& account) {
  // Changes only make sense on top of the backup the device last saw.
  if (account.lastSynId == 0 || integer(call.form["nLastSynId"]) != account.lastSynId) {
    return refuse("请上传全部数据", {{"err_type", 2}});
  }
  auto dump = uploadedDump(call);
  if (!dump) return refuse("备份文件损坏");
  return acceptUpload(call, account, mergeDump(account.dump, *dump));
}

ServerReply synchronizeAllUp(Call& call, StandInAccount& account) {
  auto dump = uploadedDump(call);
  if (!dump) return refuse("备份文件损坏");
  account.lastSynVersion = call.form["v_lexicon"];
  return acceptUpload(call, account, mergeDump("", *dump));
}

ServerReply synchronizeAllDown(Call& call, StandInAccount& account) {
  if (account.lastSynId == 0) return refuse("服务器上没有您的备份数据");
  std::string path = "/files/" + std::to_string(call.state.nextId++) + "/backup_alldata.zip";
  call.state.files[path] = zipOneEntry("backup_alldata.scv", account.dump);
  return success(call, account, {{"syn_file", call.state.base + path}});
}

// ---- Shared notes

std::vector<StandInNote>& notesOf(Call& call, bool yufa) {
  return yufa ? call.state.yufa : call.state.mnemonics;
}

template <bool yufa>
ServerReply uploadNote(Call& call, StandInAccount& account) {
  int64_t word = integer(call.form["word_id"]);
  std::string text = call.form[yufa ? "yufa" : "mnemonic"];
  auto& notes = notesOf(call, yufa);
  auto own = std::find_if(notes.begin(), notes.end(), [&](const StandInNote& n) {
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
ServerReply findNotes(Call& call) {
  int64_t word = integer(call.form["word_id"]);
  const std::string name = lowercase(call.form["account"]);
  // The asker's own notes come apart, on the first page, as [id, text, adoptions, time, flag].
  std::vector<StandInNote> found;
  std::vector<Json> mine;
  for (const StandInNote& note : notesOf(call, yufa)) {
    if (note.wordId != word) continue;
    if (!name.empty() && note.sharer == name)
      mine.push_back(Json::array({note.id, note.text, note.accepts, note.time, note.good ? 1 : 0}));
    else
      found.push_back(note);
  }
  const bool byAdoptions = call.form["order_type"] == "1";
  std::stable_sort(found.begin(), found.end(), [&](const StandInNote& a, const StandInNote& b) {
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
ServerReply acceptNote(Call& call, StandInAccount& account) {
  int64_t id = integer(call.form[yufa ? "yufa_id" : "mnemonic_id"]);
  auto& notes = notesOf(call, yufa);
  auto note =
      std::find_if(notes.begin(), notes.end(), [&](const StandInNote& n) { return n.id == id; });
  if (note == notes.end()) return refuse("该条目已被删除");
  auto& adopted = call.state.adopted[account.name];
  int64_t key = yufa ? -id : id;
  if (std::find(adopted.begin(), adopted.end(), key) == adopted.end()) {
    adopted.push_back(key);
    ++note->accepts;
  }
  return success(call, account, {{"msg", "采纳成功"}, {"accept_num", note->accepts}});
}

ServerReply bestMnemonic(Call& call) {
  int64_t word = integer(call.form["word_id"]);
  const StandInNote* best = nullptr;
  for (const StandInNote& note : call.state.mnemonics)
    if (note.wordId == word && (!best || note.accepts > best->accepts)) best = &note;
  return json(best ? noteRow(*best) : Json::array({}));
}

ServerReply excellentMnemonics(Call& call) {
  int64_t last = integer(call.form["last_em_id"]);
  int64_t newest = last;
  std::vector<Json> rows;
  for (const StandInExcellent& e : call.state.excellent) {
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

ServerReply userMessages(Call& call, StandInAccount& account) {
  auto [rows, end] = pageOf(call, account.messages, [](const StandInMessage& message) {
    return Json::array({message.time, message.text});
  });
  ServerReply reply = success(call, account, {{"msg_list", rows}, {"is_end", end}});
  if (firstPage(call)) account.newMessages = 0;  // read now
  return reply;
}

ServerReply advise(Call& call, StandInAccount& account) {
  int type = static_cast<int>(integer(call.form["advises_type"]));
  if (type < 1 || type > 3) return refuse("反馈类型无效");
  call.state.feedback.push_back({account.name, type, call.form["content"], call.form["system_info"],
                                 call.form["v_lexicon"], call.form["v_client"]});
  return success(call, account, {{"msg", "谢谢您的反馈"}});
}

ServerReply dailyLesson(Call& call) {
  auto found = call.state.lessons.find(static_cast<int>(integer(call.form["day_index"])));
  if (found == call.state.lessons.end()) return refuse("今天没有课程");
  const StandInLesson& lesson = found->second;
  return json(Json::object({{"result", 1},
                            {"sentence", lesson.sentence},
                            {"translate", lesson.translate},
                            {"lucky_words", lesson.luckyWords},
                            {"time", lesson.time},
                            {"lottery", lesson.lottery}}));
}

ServerReply luckyWords(Call& call) {
  call.state.luckyReports.emplace_back(integer(call.form["time"]), call.form["account"]);
  return json(Json::object({{"result", 1}}));
}

template <bool extended>
ServerReply voices(Call& call) {
  if (checkCodeBad(call)) return refuse("客户端校验失败");
  const std::string& path = extended ? call.state.extVoices : call.state.basicVoices;
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

}  // namespace testsupport::standin
