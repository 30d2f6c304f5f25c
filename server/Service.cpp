#include "server/Service.h"

#include <optional>
#include <utility>

#include "server/DataFolder.h"
#include "server/Echo.h"
#include "server/WholeFile.h"

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
  // A HEAD is answered as a GET of the same address would be and changes nothing: an archive
  // stays for the fetch that follows, and a script runs on a copy of the state that is thrown
  // away, which shares the backups and archives and so costs what the GET's write of the tables
  // does, however large they are. The listener leaves the body out.
  const bool head = request.method == "HEAD";
  const int64_t now = state_->clock();
  if (auto archive = head ? state_->archives.peek(request.path(), now)
                          : state_->archives.take(request.path(), now))
    return Reply::file(std::move(*archive), "application/zip");
  for (bool extended : {false, true}) {
    if (request.path() == voicePackPath(extended) && voicePackIn(*state_, extended)) {
      WholeFile pack = readWholeFile(state_->options.dataFolder + voicePackPath(extended));
      if (pack.bytes) return Reply::file(std::move(*pack.bytes), "application/zip");
      Reply failed = Reply::text("voice pack unavailable", 500);
      failed.log.push_back("cannot read the voice pack: " + pack.error);
      return failed;
    }
  }
  if (auto page = pageTable().find(request.path()); page != pageTable().end())
    return page->second(*state_, request);
  const auto& table = scriptTable();
  auto found = table.find(scriptOf(request));
  if (found == table.end()) return Reply::text("no such script", 404);
  if (head) {
    State scratch = *state_;
    Call call{scratch, form};
    return found->second(call);
  }
  // The state as the data folder keeps it, which a change the folder cannot keep falls back to:
  // the client is told that its change was not kept, and its retry finds the state as it was.
  std::optional<State> kept;
  if (!state_->options.dataFolder.empty()) kept = *state_;
  Call call{*state_, form};
  Reply reply = found->second(call);
  if (!kept) {
    state_->changedBackups.clear();  // kept in memory only
    return reply;
  }
  if (std::string error = saveState(state_->options.dataFolder, *state_); !error.empty()) {
    *state_ = std::move(*kept);
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
