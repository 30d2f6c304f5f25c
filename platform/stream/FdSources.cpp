#include "platform/stream/FdSources.h"

namespace plat::stream {

void FdSources::remove(std::pair<std::string, int>& source) {
  if (source.second >= 0) loop_->removeFdSource(source.second);
  source.second = -1;
}

void FdSources::apply(std::pair<std::string, int>& source) {
  auto& [mode, id] = source;
  if (events_ == 0 || fd_ < 0) {
    remove(source);
  } else if (id >= 0) {
    loop_->updateFdSource(id, events_);
  } else {
    Handler handler = handler_;
    id = loop_->addFdSource(
        fd_, events_, [handler](int, unsigned) { handler(); }, mode);
  }
}

void FdSources::schedule(RunLoop& loop, const std::string& mode) {
  if (loop_ != &loop) clear();
  loop_ = &loop;
  for (auto& source : sources_)
    if (source.first == mode) return;
  sources_.emplace_back(mode, -1);
  apply(sources_.back());
}

void FdSources::unschedule(const std::string& mode) {
  for (auto it = sources_.begin(); it != sources_.end(); ++it) {
    if (it->first != mode) continue;
    remove(*it);
    sources_.erase(it);
    return;
  }
}

void FdSources::watch(int fd, unsigned events) {
  if (fd != fd_)
    for (auto& source : sources_) remove(source);  // a source belongs to one descriptor
  fd_ = fd;
  events_ = events;
  for (auto& source : sources_) apply(source);
}

void FdSources::clear() {
  for (auto& source : sources_) remove(source);
  sources_.clear();
  loop_ = nullptr;
}

}  // namespace plat::stream
