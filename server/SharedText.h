// A text too large to copy with the record that holds it (an account's backup, a sync-down
// archive: up to tens of megabytes each). Copies share one buffer that nobody changes; a new text
// is a new buffer. So a copy of the whole server state, which a HEAD answers from and a refused
// change falls back to, costs its small records, not its backups.
// Like any value, one SharedText is for one thread at a time; copies may go to other threads.
#pragma once

#include <cstddef>
#include <memory>
#include <ostream>
#include <string>
#include <string_view>
#include <utility>

namespace standin {

class SharedText {
 public:
  SharedText() = default;
  SharedText(std::string text) : text_(std::make_shared<std::string>(std::move(text))) {}
  SharedText(const char* text) : SharedText(std::string(text)) {}

  const std::string& str() const { return text_ ? *text_ : emptyText(); }
  operator const std::string&() const { return str(); }
  size_t size() const { return str().size(); }
  bool empty() const { return str().empty(); }

  // The text, moved out when no copy shares it, else copied; this one is empty after.
  std::string release() {
    std::shared_ptr<std::string> text = std::move(text_);
    if (!text) return "";
    if (text.use_count() == 1) return std::move(*text);
    return *text;
  }

  friend bool operator==(const SharedText& a, std::string_view b) { return a.str() == b; }
  friend std::ostream& operator<<(std::ostream& out, const SharedText& text) {
    return out << text.str();
  }

 private:
  // Never destroyed: a thread may still read an empty text while the process exits.
  static const std::string& emptyText() {
    static const std::string* const empty = new std::string();
    return *empty;
  }

  // Not const, so that release() may move it out once it is the only owner; until then nobody
  // changes it.
  std::shared_ptr<std::string> text_;
};

}  // namespace standin
