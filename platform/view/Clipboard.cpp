#include "platform/view/Clipboard.h"

namespace plat {
namespace {

class RecordingClipboard : public Clipboard {
 public:
  void setText(const std::string& text) override { text_ = text; }
  std::string text() const override { return text_; }

 private:
  std::string text_;
};

std::shared_ptr<Clipboard>& installed() {
  static std::shared_ptr<Clipboard> clipboard = std::make_shared<RecordingClipboard>();
  return clipboard;
}

}  // namespace

Clipboard& Clipboard::general() {
  return *installed();
}

void Clipboard::install(std::shared_ptr<Clipboard> clipboard) {
  installed() = clipboard ? std::move(clipboard) : std::make_shared<RecordingClipboard>();
}

}  // namespace plat
