#include "tests/support/StandInServer.h"

#include <algorithm>

namespace testsupport {
namespace {

standin::Request requestOf(const ServerRequest& request) {
  return {request.method, request.target, request.headers, request.body};
}

ServerReply replyOf(const standin::Reply& reply) {
  ServerReply out = ServerReply::text(reply.body, reply.status);
  out.headers = {{"Content-Type", reply.contentType}};
  return out;
}

std::string scriptOf(const ServerRequest& request) {
  return standin::scriptOf(requestOf(request));
}

}  // namespace

StandInForm StandInForm::of(const ServerRequest& request) {
  StandInForm form;
  static_cast<standin::Form&>(form) = standin::Form::of(requestOf(request));
  return form;
}

StandInServer::StandInServer(standin::Options options) : service_(std::move(options)) {
  http_ = std::make_unique<LoopbackHttpServer>(
      [this](const ServerRequest& request) { return handle(request); });
  service_.setBase(http_->url(""));
}

StandInServer::~StandInServer() {
  http_->stop();
}

std::string StandInServer::base() const {
  return http_->url("");
}

// ---- State

void StandInServer::addAccount(const std::string& name, const std::string& password) {
  service_.withState(
      [&](standin::State& state) { state.addAccount(name, standin::md5Hex(password)); });
}

std::optional<StandInAccount> StandInServer::account(const std::string& name) const {
  return service_.withState([&](standin::State& state) -> std::optional<StandInAccount> {
    auto found = state.accounts.find(standin::lowercase(name));
    if (found == state.accounts.end()) return std::nullopt;
    return found->second;
  });
}

void StandInServer::sendMessage(const std::string& name, const std::string& text, int64_t time) {
  service_.withState([&](standin::State& state) {
    auto& account = state.accounts.at(standin::lowercase(name));
    account.messages.insert(account.messages.begin(), StandInMessage{time, text});
    ++account.newMessages;
  });
}

int64_t StandInServer::addNote(bool yufa, int64_t wordId, const std::string& text,
                               const std::string& sharer, int64_t time, int accepts, bool good) {
  return service_.withState([&](standin::State& state) {
    StandInNote note{state.nextId++, wordId, text, sharer, time, accepts, good};
    (yufa ? state.yufa : state.mnemonics).push_back(note);
    return note.id;
  });
}

std::vector<StandInNote> StandInServer::notes(bool yufa) const {
  return service_.withState(
      [&](standin::State& state) { return yufa ? state.yufa : state.mnemonics; });
}

void StandInServer::addExcellent(const StandInExcellent& mnemonic) {
  service_.withState([&](standin::State& state) { state.excellent.push_back(mnemonic); });
}

void StandInServer::setLesson(int dayIndex, const StandInLesson& lesson) {
  service_.withState([&](standin::State& state) { state.lessons[dayIndex] = lesson; });
}

void StandInServer::setVoicePaths(const std::string& basic, const std::string& extended) {
  service_.withState([&](standin::State& state) {
    state.basicVoices = basic;
    state.extVoices = extended;
  });
}

std::vector<StandInFeedback> StandInServer::feedback() const {
  return service_.withState([](standin::State& state) { return state.feedback; });
}

std::vector<std::pair<int64_t, std::string>> StandInServer::luckyWordReports() const {
  return service_.withState([](standin::State& state) { return state.luckyReports; });
}

void StandInServer::setNow(int64_t seconds) {
  service_.withState([&](standin::State& state) { state.now = seconds; });
}

int64_t StandInServer::now() const {
  return service_.withState([](standin::State& state) { return state.clock(); });
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

ServerReply StandInServer::handle(const ServerRequest& request) {
  const std::string script = scriptOf(request);
  double delay = 0;
  {
    std::lock_guard<std::mutex> lock(mutex_);
    auto found = faults_.find(script);
    if (found != faults_.end() && !found->second.replace.empty()) {
      ServerReply reply = found->second.replace.front();
      found->second.replace.pop_front();
      return reply;
    }
    if (found != faults_.end()) {
      delay = found->second.delay;
      faults_.erase(found);
    }
  }
  ServerReply reply = replyOf(service_.answer(requestOf(request)));
  reply.delayBeforeHeaders = delay;
  return reply;
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
