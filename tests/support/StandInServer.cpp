#include "tests/support/StandInServer.h"

#include <openssl/evp.h>

#include <algorithm>
#include <ctime>

#include "tests/support/StandInServerState.h"

namespace testsupport {

int64_t StandInServer::State::clock() const {
  return now ? *now : static_cast<int64_t>(std::time(nullptr));
}

namespace standin {

std::string md5Hex(const std::string& text) {
  unsigned char digest[EVP_MAX_MD_SIZE];
  unsigned int size = 0;
  EVP_Digest(text.data(), text.size(), digest, &size, EVP_md5(), nullptr);
  static const char* hex = "0123456789abcdef";
  std::string out;
  for (unsigned int i = 0; i < size; ++i) {
    out += hex[digest[i] >> 4];
    out += hex[digest[i] & 15];
  }
  return out;
}

std::string lowercase(std::string text) {
  for (char& c : text) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  return text;
}

ServerReply json(const Json& body) {
  ServerReply reply = ServerReply::text(body.text());
  reply.headers = {{"Content-Type", "application/json; charset=utf-8"}};
  return reply;
}

}  // namespace standin

StandInServer::StandInServer() : state_(std::make_unique<State>()) {
  http_ = std::make_unique<LoopbackHttpServer>(
      [this](const ServerRequest& request) { return handle(request); });
  state_->base = http_->url("");
}

StandInServer::~StandInServer() {
  http_->stop();
}

std::string StandInServer::base() const {
  return state_->base;
}

// ---- State

void StandInServer::addAccount(const std::string& name, const std::string& password) {
  std::lock_guard<std::mutex> lock(mutex_);
  StandInAccount account;
  account.name = standin::lowercase(name);
  account.passwordMd5 = standin::md5Hex(password);
  account.popularizeId = 1000 + state_->nextId++;
  state_->accounts[account.name] = account;
}

std::optional<StandInAccount> StandInServer::account(const std::string& name) const {
  std::lock_guard<std::mutex> lock(mutex_);
  auto found = state_->accounts.find(standin::lowercase(name));
  if (found == state_->accounts.end()) return std::nullopt;
  return found->second;
}

void StandInServer::sendMessage(const std::string& name, const std::string& text, int64_t time) {
  std::lock_guard<std::mutex> lock(mutex_);
  auto& account = state_->accounts.at(standin::lowercase(name));
  account.messages.insert(account.messages.begin(), StandInMessage{time, text});
  ++account.newMessages;
}

int64_t StandInServer::addNote(bool yufa, int64_t wordId, const std::string& text,
                               const std::string& sharer, int64_t time, int accepts, bool good) {
  std::lock_guard<std::mutex> lock(mutex_);
  StandInNote note{state_->nextId++, wordId, text, sharer, time, accepts, good};
  (yufa ? state_->yufa : state_->mnemonics).push_back(note);
  return note.id;
}

std::vector<StandInNote> StandInServer::notes(bool yufa) const {
  std::lock_guard<std::mutex> lock(mutex_);
  return yufa ? state_->yufa : state_->mnemonics;
}

void StandInServer::addExcellent(const StandInExcellent& mnemonic) {
  std::lock_guard<std::mutex> lock(mutex_);
  state_->excellent.push_back(mnemonic);
}

void StandInServer::setLesson(int dayIndex, const StandInLesson& lesson) {
  std::lock_guard<std::mutex> lock(mutex_);
  state_->lessons[dayIndex] = lesson;
}

void StandInServer::setVoicePaths(const std::string& basic, const std::string& extended) {
  std::lock_guard<std::mutex> lock(mutex_);
  state_->basicVoices = basic;
  state_->extVoices = extended;
}

std::vector<StandInFeedback> StandInServer::feedback() const {
  std::lock_guard<std::mutex> lock(mutex_);
  return state_->feedback;
}

std::vector<std::pair<int64_t, std::string>> StandInServer::luckyWordReports() const {
  std::lock_guard<std::mutex> lock(mutex_);
  return state_->luckyReports;
}

void StandInServer::setNow(int64_t seconds) {
  std::lock_guard<std::mutex> lock(mutex_);
  state_->now = seconds;
}

int64_t StandInServer::now() const {
  std::lock_guard<std::mutex> lock(mutex_);
  return state_->clock();
}

// ---- Faults

void StandInServer::replaceNext(const std::string& script, ServerReply reply) {
  std::lock_guard<std::mutex> lock(mutex_);
  faults_[script].replace.push_back(std::move(reply));
}

void StandInServer::failNext(const std::string& script, int status) {
  replaceNext(script, ServerReply::text("<html>server error</html>", status));
}

void StandInServer::dropNext(const std::string& script, int times) {
  ServerReply reply;
  reply.dropRequest = true;
  for (int i = 0; i < times; ++i) replaceNext(script, reply);
}

void StandInServer::delayNext(const std::string& script, double seconds) {
  std::lock_guard<std::mutex> lock(mutex_);
  faults_[script].delay = seconds;
}

// ---- Requests

namespace {

// "/api/account_login.php" -> "account_login.php"; the path of anything else unchanged.
std::string scriptOf(const ServerRequest& request) {
  std::string path = request.path();
  return path.rfind("/api/", 0) == 0 ? path.substr(5) : path;
}

}  // namespace

ServerReply StandInServer::handle(const ServerRequest& request) {
  const std::string script = scriptOf(request);
  std::lock_guard<std::mutex> lock(mutex_);
  auto found = faults_.find(script);
  if (found != faults_.end() && !found->second.replace.empty()) {
    ServerReply reply = found->second.replace.front();
    found->second.replace.pop_front();
    return reply;
  }
  ServerReply reply = answer(script, request);
  if (found != faults_.end()) {
    reply.delayBeforeHeaders = found->second.delay;
    faults_.erase(found);
  }
  return reply;
}

ServerReply StandInServer::answer(const std::string& script, const ServerRequest& request) {
  if (auto file = state_->files.find(request.path()); file != state_->files.end()) {
    ServerReply reply = ServerReply::text(file->second);
    reply.headers = {{"Content-Type", "application/zip"}};
    return reply;
  }
  const auto& table = standin::scriptTable();
  auto found = table.find(script);
  if (found == table.end()) return ServerReply::text("no such script", 404);
  StandInForm form = StandInForm::of(request);
  standin::Call call{*state_, form};
  return found->second(call);
}

std::vector<ServerRequest> StandInServer::requests(const std::string& script) const {
  std::vector<ServerRequest> all = http_->requests();
  if (script.empty()) return all;
  std::erase_if(all, [&](const ServerRequest& r) { return scriptOf(r) != script; });
  return all;
}

ServerRequest StandInServer::lastRequest(const std::string& script) const {
  auto list = requests(script);
  return list.empty() ? ServerRequest() : list.back();
}

int StandInServer::count(const std::string& script) const {
  return static_cast<int>(requests(script).size());
}

}  // namespace testsupport
