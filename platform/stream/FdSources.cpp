#include "platform/stream/FdSources.h"

namespace plat::stream {

void FdSources::apply(std::pair<std::string, int>& source, int fd) {
  auto& [mode, id] = source;
  if (events_ == 0 || fd < 0) {
    if (id >= 0) loop_->removeFdSource(id);
    id = -1;
  } else if (id >= 0) {
    loop_->updateFdSource(id, events_);
  } else {
    Handler handler = handler_;
    id = loop_->addFdSource(
        fd, events_, [handler](int, unsigned) { handler(); }, mode);
  }
}

void FdSources::schedule(RunLoop& loop, const std::string& mode, int fd) {
  if (loop_ != &loop) clear();
  loop_ = &loop;
  for (auto& source : sources_)
    if (source.first == mode) return;
  sources_.emplace_back(mode, -1);
  apply(sources_.back(), fd);
}

void FdSources::unschedule(const std::string& mode) {
  for (auto it = sources_.begin(); it != sources_.end(); ++it) {
    if (it->first != mode) continue;
    if (it->second >= 0) loop_->removeFdSource(it->second);
    sources_.erase(it);
    return;
  }
}

void FdSources::watch(int fd, unsigned events) {
  events_ = events;
  for (auto& source : sources_) apply(source, fd);
}

void FdSources::clear() {
  for (auto& [mode, id] : sources_)
    if (id >= 0) loop_->removeFdSource(id);
  sources_.clear();
  loop_ = nullptr;
}

}  // namespace plat::stream
