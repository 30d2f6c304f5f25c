#include "platform/host/WindowHost.h"

#include <SDL.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <string>

#include "platform/base/Bundle.h"
#include "platform/base/Clock.h"
#include "platform/base/RunLoop.h"
#include "platform/host/DesktopURLOpener.h"
#include "platform/host/FramePresenter.h"
#include "platform/host/MemoryPressure.h"
#include "platform/host/NotificationDelivery.h"
#include "platform/host/PointerInput.h"
#include "platform/host/WindowTitle.h"
#include "platform/host/ReminderHandover.h"
#include "platform/host/TabletScreen.h"
#include "platform/view/Clipboard.h"
#include "platform/view/Keyboard.h"
#include "platform/view/Screen.h"

namespace plat {
namespace {

constexpr double kTickSeconds = 1.0 / 60;
// While the learner acts (and a little after, for animations) the picture is checked at up to 30
// frames a second; otherwise four times a second, enough for replies and timers.
constexpr double kBusySeconds = 1.0;
constexpr double kBusyFrame = 1.0 / 30;
constexpr double kIdleFrame = 0.25;
// How much of the display the window may cover, and points the wheel moves per notch.
constexpr double kDisplayShare = 0.9;
constexpr double kWheelPoints = 40;

// The desktop's clipboard, while the window is open.
class SdlClipboard : public Clipboard {
 public:
  void setText(const std::string& text) override { SDL_SetClipboardText(text.c_str()); }
  std::string text() const override {
    char* text = SDL_GetClipboardText();
    std::string copy = text ? text : "";
    SDL_free(text);
    return copy;
  }
};

}  // namespace

struct WindowHost::Impl {
  SDL_Window* window = nullptr;
  std::unique_ptr<FramePresenter> frames;
  std::unique_ptr<WindowTitle> title;
  PointerInput pointer;
  // Reminders go to the desktop's scheduler when the app resigns; those it has are not shown here.
  ReminderHandover reminders;
  NotificationDelivery notifications{[this](const LocalNotification& notification) {
    if (!reminders.isHandedOver(notification)) NotificationDelivery::showOnDesktop(notification);
  }};
  MemoryPressure memory;
  std::shared_ptr<Timer> ticker;
  bool inTick = false;
  bool exposed = true;
  double lastActivity = 0;
  double lastFrame = 0;

  ~Impl() {
    memory.stop();
    reminders.detach();
    if (ticker) ticker->invalidate();
    frames.reset();
    if (window) SDL_DestroyWindow(window);
    SDL_Quit();
  }

  bool open() {
    const Rect screen = Screen::main().bounds();
    SDL_Rect usable{0, 0, 1280, 800};
    SDL_GetDisplayUsableBounds(0, &usable);
    const double fit = std::min(
        {2.0, kDisplayShare * usable.h / screen.height, kDisplayShare * usable.w / screen.width});
    std::string title = Bundle::main().infoValue("CFBundleDisplayName");
    if (title.empty()) title = "vocab";
    window = SDL_CreateWindow(title.c_str(), SDL_WINDOWPOS_CENTERED, SDL_WINDOWPOS_CENTERED,
                              static_cast<int>(std::lround(screen.width * fit)),
                              static_cast<int>(std::lround(screen.height * fit)), 0);
    if (!window) {
      std::fprintf(stderr, "window: %s\n", SDL_GetError());
      return false;
    }
    frames = std::make_unique<FramePresenter>(window);
    this->title = std::make_unique<WindowTitle>(window, title);
    SDL_StartTextInput();
    return frames->isReady();
  }

  // A window position in screen points.
  Point pointOf(int x, int y) const {
    int w = 1, h = 1;
    SDL_GetWindowSize(window, &w, &h);
    const Rect screen = Screen::main().bounds();
    return {x * screen.width / std::max(w, 1), y * screen.height / std::max(h, 1)};
  }

  void tick() {
    if (inTick) {
      // A screen waits inside the run loop (an animation finishing): show it, take no input.
      paint();
      return;
    }
    inTick = true;
    SDL_Event event;
    while (SDL_PollEvent(&event)) handle(event);
    notifications.deliverDue();
    title->update();
    paint();
    inTick = false;
  }

  void paint() {
    const double now = Clock::current().now();
    const double every = now - lastActivity < kBusySeconds ? kBusyFrame : kIdleFrame;
    if (!exposed && now - lastFrame < every) return;
    lastFrame = now;
    frames->present(exposed);
    exposed = false;
  }

  void handle(const SDL_Event& event) {
    Application& app = Application::shared();
    lastActivity = Clock::current().now();
    switch (event.type) {
      case SDL_QUIT:
        app.enterBackground();
        app.terminate();
        RunLoop::main().stop();
        break;
      case SDL_WINDOWEVENT:
        handleWindow(event.window.event);
        break;
      case SDL_MOUSEBUTTONDOWN:
        if (event.button.button == SDL_BUTTON_LEFT) {
          pointer.press(pointOf(event.button.x, event.button.y));
        }
        break;
      case SDL_MOUSEMOTION:
        if (pointer.isPressed()) pointer.drag(pointOf(event.motion.x, event.motion.y));
        break;
      case SDL_MOUSEBUTTONUP:
        if (event.button.button == SDL_BUTTON_LEFT) {
          pointer.release(pointOf(event.button.x, event.button.y));
        }
        break;
      case SDL_MOUSEWHEEL: {
        int x = 0, y = 0;
        SDL_GetMouseState(&x, &y);
        const double flip = event.wheel.direction == SDL_MOUSEWHEEL_FLIPPED ? -1 : 1;
        PointerInput::wheel(pointOf(x, y), event.wheel.x * kWheelPoints * flip,
                            -event.wheel.y * kWheelPoints * flip);
        break;
      }
      case SDL_TEXTINPUT:
        Keyboard::type(event.text.text);
        break;
      case SDL_KEYDOWN:
        if (event.key.keysym.sym == SDLK_r && (event.key.keysym.mod & KMOD_CTRL)) turnScreen();
        if (event.key.keysym.sym == SDLK_BACKSPACE) Keyboard::deleteBackward();
        // Enter is the bar's key: on a keypad without a return key it finishes the field.
        if (event.key.keysym.sym == SDLK_RETURN || event.key.keysym.sym == SDLK_KP_ENTER) {
          Keyboard::pressBarKey();
        }
        break;
      default:
        break;
    }
  }

  // Ctrl+R turns the device a quarter to the right, when the screens on show accept it (a tablet's
  // do); the window takes the turned screen's shape.
  void turnScreen() {
    const InterfaceOrientation now = Application::shared().statusBarOrientation();
    if (!TabletScreen::rotate(TabletScreen::quarterTurn(now))) return;
    int w = 1, h = 1;
    SDL_GetWindowSize(window, &w, &h);
    frames.reset();  // one renderer per window: the old one goes before the new one is made
    SDL_SetWindowSize(window, h, w);
    frames = std::make_unique<FramePresenter>(window);
    exposed = true;
  }

  void handleWindow(Uint8 change) {
    Application& app = Application::shared();
    switch (change) {
      case SDL_WINDOWEVENT_FOCUS_GAINED:
        if (app.state() == ApplicationState::Background) {
          app.enterForeground();
        } else {
          app.becomeActive();
        }
        break;
      case SDL_WINDOWEVENT_FOCUS_LOST:
        app.resignActive();
        break;
      case SDL_WINDOWEVENT_MINIMIZED:
        app.enterBackground();
        break;
      case SDL_WINDOWEVENT_RESTORED:
        app.enterForeground();
        break;
      case SDL_WINDOWEVENT_EXPOSED:
      case SDL_WINDOWEVENT_SIZE_CHANGED:
        exposed = true;
        break;
      default:
        break;
    }
  }
};

WindowHost::WindowHost(std::shared_ptr<ApplicationDelegate> delegate)
    : delegate_(std::move(delegate)) {}

WindowHost::~WindowHost() = default;

bool WindowHost::open() {
  const char* x11 = std::getenv("DISPLAY");
  const char* wayland = std::getenv("WAYLAND_DISPLAY");
  if ((!x11 || !*x11) && (!wayland || !*wayland)) return false;
  RunLoop::setMainThread();
  if (SDL_Init(SDL_INIT_VIDEO) != 0) {
    std::fprintf(stderr, "window: the display does not answer: %s\n", SDL_GetError());
    return false;
  }
  // Without the named display SDL falls back to a driver that shows nothing (offscreen, the
  // console's); only a desktop's window counts.
  const std::string driver = SDL_GetCurrentVideoDriver() ? SDL_GetCurrentVideoDriver() : "";
  if (driver != "x11" && driver != "wayland") {
    std::fprintf(stderr, "window: no desktop display (video driver \"%s\")\n", driver.c_str());
    SDL_Quit();
    return false;
  }
  impl_ = std::make_unique<Impl>();
  if (!impl_->open()) {
    impl_.reset();
    return false;
  }
  return true;
}

int WindowHost::run(const Value& launchOptions) {
  if (!impl_) return 1;
  Clipboard::install(std::make_shared<SdlClipboard>());
  Application& app = Application::shared();
  if (!app.hasURLOpener()) app.setURLOpener(std::make_shared<DesktopURLOpener>());
  app.setDelegate(delegate_);
  impl_->reminders.attach();
  app.launch(launchOptions);
  impl_->memory.start();
  RunLoop::main().runUntilIdle();
  impl_->exposed = true;
  impl_->paint();

  Impl* impl = impl_.get();
  impl_->ticker = Timer::scheduled(
      kTickSeconds, true, [impl](Timer&) { impl->tick(); }, kCommonModes);
  RunLoop::main().run();
  impl_.reset();
  Clipboard::install(nullptr);
  return 0;
}

}  // namespace plat
