#include "platform/host/WindowHost.h"

#include <SDL.h>
#include <SDL_syswm.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <string>

#include "platform/base/Bundle.h"
#include "platform/base/RunLoop.h"
#include "platform/host/DesktopPaste.h"
#include "platform/host/DesktopURLOpener.h"
#include "platform/host/FrameDriver.h"
#include "platform/host/FramePresenter.h"
#include "platform/host/MemoryPressure.h"
#include "platform/host/NotificationDelivery.h"
#include "platform/host/PointerInput.h"
#include "platform/host/ReminderHandover.h"
#include "platform/host/TabletScreen.h"
#include "platform/host/WindowTitle.h"
#include "platform/view/Clipboard.h"
#include "platform/view/Keyboard.h"
#include "platform/view/Screen.h"

namespace plat {
namespace {

// Without the display's connection to watch (a Wayland display), input is fetched this often.
constexpr double kInputPollSeconds = 1.0 / 60;
// The memory figures, notifications that fall due and the title's badge are looked at this often.
constexpr double kChoresSeconds = MemoryPressure::kPollSeconds;
// How much of the display the window may cover, and points the wheel moves per notch.
constexpr double kDisplayShare = 0.9;
constexpr double kWheelPoints = 40;
// A turn of the loop waits for its sources without a time limit.
constexpr double kForever = 1e300;

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

struct WindowHost::Impl : FrameDriver::Window {
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
  // The main run loop drives the window: input wakes it through the display's connection, and the
  // driver has the window take the input and draw when something changed.
  FrameDriver driver{*this};
  std::shared_ptr<Timer> chores;
  std::shared_ptr<Timer> inputPoll;
  int displaySource = 0;  // the display connection's descriptor source; 0 when none
  bool takingInput = false;
  bool closeRequested = false;  // the window was closed: the loop ends at its next turn

  ~Impl() override {
    memory.stop();
    reminders.detach();
    for (const auto& timer : {chores, inputPoll})
      if (timer) timer->invalidate();
    if (displaySource) RunLoop::main().removeFdSource(displaySource);
    driver.stop();
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
    window =
        SDL_CreateWindow(title.c_str(), SDL_WINDOWPOS_CENTERED, SDL_WINDOWPOS_CENTERED,
                         static_cast<int>(std::lround(screen.width * fit)),
                         static_cast<int>(std::lround(screen.height * fit)), SDL_WINDOW_HIDDEN);
    if (!window) {
      std::fprintf(stderr, "window: %s\n", SDL_GetError());
      return false;
    }
    // Shown once it can draw: the renderer may make the window anew for its own kind of drawing,
    // and a window shown first would flash up, go and come back as another one, whose first
    // self the desktop (and a window manager's close button) may still hold.
    frames = std::make_unique<FramePresenter>(window);
    SDL_ShowWindow(window);
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

  // Starts watching for input and changes; from run(), once the application launched.
  void start() {
    RunLoop& loop = RunLoop::main();
    SDL_SysWMinfo info;
    SDL_VERSION(&info.version);
    if (SDL_GetWindowWMInfo(window, &info) && info.subsystem == SDL_SYSWM_X11) {
      displaySource = loop.addFdSource(ConnectionNumber(info.info.x11.display), kFdReadable,
                                       [this](int, unsigned) { driver.inputWaits(); });
    } else {
      inputPoll = Timer::scheduled(
          kInputPollSeconds, true, [this](Timer&) { driver.inputWaits(); }, kCommonModes);
    }
    chores = Timer::scheduled(
        kChoresSeconds, true,
        [this](Timer&) {
          driver.hostSourceRan();
          if (memory.poll()) driver.setChanged();
          if (notifications.deliverDue() > 0) driver.setChanged();
          title->update();
        },
        kCommonModes);
    driver.start();
  }

  // Takes the input the display holds; true when there was some. A handler that waits inside
  // the run loop (an animation finishing) gets its screen drawn but no input meanwhile.
  bool takeInput() override {
    if (takingInput) return false;
    takingInput = true;
    bool any = false;
    SDL_Event event;
    // Nothing is taken after a close: the program is ending.
    while (!closeRequested && SDL_PollEvent(&event)) {
      handle(event);
      any = true;
    }
    takingInput = false;
    return any;
  }

  void present(bool exposed) override {
    frames->present(exposed);
    title->update();
  }

  void handle(const SDL_Event& event) {
    switch (event.type) {
      case SDL_QUIT:
        // The lifecycle ends in run(), once the handler that may be waiting under this one (an
        // alert's animation runs the loop until it ends) has returned: a stop taken by that
        // inner loop would end only the inner loop, and the program would idle on.
        closeRequested = true;
        RunLoop::main().stop();
        break;
      case SDL_WINDOWEVENT:
        handleWindow(event.window.event);
        break;
      case SDL_MOUSEBUTTONDOWN:
        if (event.button.button == SDL_BUTTON_LEFT) {
          pointer.press(pointOf(event.button.x, event.button.y));
        } else if (event.button.button == SDL_BUTTON_MIDDLE) {
          DesktopPaste::middleClick(pointOf(event.button.x, event.button.y));
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
        if (DesktopPaste::isPasteKey(event.key.keysym.sym, event.key.keysym.mod)) {
          DesktopPaste::pasteClipboard();
          break;
        }
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
    driver.setExposed();
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
        driver.setExposed();
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
  // SDL drops a click it reads within a few milliseconds of a focus change, taking it for the
  // click that focused the window: a tap that came while the program was busy, after the focus
  // came back, would be lost. Every click is a tap.
  SDL_SetHint(SDL_HINT_MOUSE_FOCUS_CLICKTHROUGH, "1");
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
  // The first frame comes as the loop first rests after the launch's work, or at the frame pace
  // while work the launch queued keeps it busy: running that work out first would never end.
  impl_->driver.setExposed();
  impl_->start();
  RunLoop& loop = RunLoop::main();
  // One turn at a time, so that a close the loop heard in a nested wait ends it all the same.
  while (!impl_->closeRequested && loop.runMode(kDefaultRunLoopMode, kForever, true)) {
  }
  app.enterBackground();
  app.terminate();
  impl_.reset();
  Clipboard::install(nullptr);
  return 0;
}

}  // namespace plat
