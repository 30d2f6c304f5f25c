#include "server/Service.h"

#include <fstream>
#include <iterator>
#include <utility>

#include "server/DataFolder.h"
#include "server/Echo.h"

namespace standin {

std::string scriptOf(const Request& request) {
  std::string path = request.path();
  return path.rfind("/api/", 0) == 0 ? path.substr(5) : path;
}

Service::Service(Options options) : state_(std::make_unique<State>()) {
  state_->options = std::move(options);
}

Service::~Service() = default;

std::string Service::load() {
  std::lock_guard<std::mutex> lock(mutex_);
  if (state_->options.dataFolder.empty()) return "";
  removeLeftovers(state_->options.dataFolder);
  return loadState(state_->options.dataFolder, *state_);
}

std::string Service::save() {
  std::lock_guard<std::mutex> lock(mutex_);
  if (state_->options.dataFolder.empty()) return "";
  return saveState(state_->options.dataFolder, *state_);
}

void Service::setBase(const std::string& base) {
  std::lock_guard<std::mutex> lock(mutex_);
  state_->base = base;
}

Reply Service::answer(const Request& request) {
  return answer(request, Form::of(request));
}

Reply Service::answer(const Request& request, const Form& form) {
  std::lock_guard<std::mutex> lock(mutex_);
  if (auto archive = state_->archives.take(request.path(), state_->clock()))
    return Reply::file(std::move(*archive), "application/zip");
  for (bool extended : {false, true}) {
    if (request.path() == voicePackPath(extended) && voicePackIn(*state_, extended)) {
      std::ifstream in(state_->options.dataFolder + voicePackPath(extended), std::ios::binary);
      return Reply::file(std::string(std::istreambuf_iterator<char>(in), {}), "application/zip");
    }
  }
  if (auto page = pageTable().find(request.path()); page != pageTable().end())
    return page->second(*state_, request);
  const auto& table = scriptTable();
  auto found = table.find(scriptOf(request));
  if (found == table.end()) return Reply::text("no such script", 404);
  Call call{*state_, form};
  Reply reply = found->second(call);
  if (state_->options.dataFolder.empty()) {
    state_->changedDumps.clear();  // kept in memory only
  } else if (std::string error = saveState(state_->options.dataFolder, *state_); !error.empty()) {
    // The client hears that its change was not kept; which file and why are for the log: the
    // data folder's paths are none of a client's business.
    Reply failed = Reply::text(kNotKept, 500);
    failed.log = std::move(reply.log);
    failed.log.push_back("could not keep the data: " + shortened(error, kLongestEchoedPath));
    return failed;
  }
  return reply;
}

}  // namespace standin
