#include "account/AcceptUIWindow.h"

#include "platform/view/Animation.h"
#include "platform/view/Application.h"
#include "platform/view/Screen.h"

namespace {

// The one shown window, and the window that was key before it opened.
std::shared_ptr<AcceptUIWindow>& acceptInist() {
  static std::shared_ptr<AcceptUIWindow> window;
  return window;
}

std::weak_ptr<plat::View>& mainWindow() {
  static std::weak_ptr<plat::View> window;
  return window;
}

}  // namespace

void AcceptUIWindow::show(std::weak_ptr<AcceptUIWindowDeleage> deleage, const std::string& wordName,
                          const plat::Value& helpInfo) {
  if (!acceptInist()) {
    acceptInist() = std::make_shared<AcceptUIWindow>();
    acceptInist()->deleage_ = std::move(deleage);
  }
  plat::Window* key = plat::Application::shared().keyWindow();
  if (key && key != acceptInist().get()) mainWindow() = key->shared_from_this();
  acceptInist()->makeKeyAndVisible();
  showHelpInfo(wordName, helpInfo);
}

void AcceptUIWindow::showHelpInfo(const std::string& wordName, const plat::Value& helpInfo) {
  if (acceptInist()) acceptInist()->content().showHelpInfo(wordName, helpInfo);
}

AcceptUIWindow* AcceptUIWindow::shown() {
  return acceptInist().get();
}

AcceptUIWindow::AcceptUIWindow() : plat::Window(plat::Screen::main().bounds()) {
  setWindowLevel(plat::kWindowLevelStatusBar);
  setBackgroundColor(plat::Color::rgb(0, 0, 0, 0.4));
  content_ = std::make_shared<AcceptViewController>();
  content_->setDeleage(this);
  setRootViewController(content_);
}

AcceptUIWindow::~AcceptUIWindow() {
  content_->setDeleage(nullptr);
}

void AcceptUIWindow::close_callback() {
  if (closing_) return;
  closing_ = true;
  std::weak_ptr<plat::View> self = shared_from_this();
  plat::Animation::begin("begin");
  plat::Animation::setDuration(kFadeSeconds);
  plat::Animation::setDidStop([self](const std::string&, bool) {
    if (auto window = self.lock()) static_cast<AcceptUIWindow&>(*window).dialogIsRemoved();
  });
  setAlpha(0);
  plat::Animation::commit();
}

void AcceptUIWindow::dialogIsRemoved() {
  if (isHidden()) return;
  // Keeps this window alive to the end of the call, though it is no longer the shown one.
  std::shared_ptr<AcceptUIWindow> keep = acceptInist().get() == this ? acceptInist() : nullptr;
  if (auto previous = mainWindow().lock()) static_cast<plat::Window&>(*previous).makeKey();
  mainWindow().reset();
  setHidden(true);
  if (auto deleage = deleage_.lock()) deleage->closeAcceptUIWindow_callback();
  if (acceptInist().get() == this) acceptInist().reset();
}
