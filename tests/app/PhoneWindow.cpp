#include "tests/app/PhoneWindow.h"

#include <chrono>
#include <filesystem>
#include <thread>

namespace apptest {
namespace {

using Clock = std::chrono::steady_clock;

Clock::time_point after(double seconds) {
  return Clock::now() +
         std::chrono::duration_cast<Clock::duration>(std::chrono::duration<double>(seconds));
}

}  // namespace

PhoneWindow::PhoneWindow(const XvfbDesktop& desktop, std::string window, plat::Size points)
    : desktop_(desktop),
      window_(std::move(window)),
      frame_(desktop.geometry(window_)),
      points_(points) {}

bool PhoneWindow::turn(double seconds) {
  const bool wide = frame_.width > frame_.height;
  desktop_.run("xdotool key --window " + window_ + " ctrl+r");
  const auto until = after(seconds);
  while (Clock::now() < until) {
    const plat::Rect now = desktop_.geometry(window_);
    if ((now.width > now.height) != wide) {
      frame_ = now;
      points_ = {points_.height, points_.width};
      return true;
    }
    std::this_thread::sleep_for(std::chrono::milliseconds(150));
  }
  return false;
}

void PhoneWindow::tap(double x, double y) const {
  desktop_.click(window_, int(x * frame_.width / points_.width),
                 int(y * frame_.height / points_.height));
}

void PhoneWindow::drag(double x, double fromY, double toY) const {
  desktop_.drag(window_, int(x * frame_.width / kWidth), int(fromY * frame_.height / kHeight),
                int(toY * frame_.height / kHeight));
}

void PhoneWindow::type(const std::string& text) const {
  desktop_.run("xdotool type --delay 40 '" + text + "'");
}

void PhoneWindow::scrollDown(double x, double y, int notches) const {
  desktop_.wheelDown(window_, int(x * frame_.width / points_.width),
                     int(y * frame_.height / points_.height), notches);
}

std::optional<ScreenShot> PhoneWindow::shot() const {
  return desktop_.screenShot();
}

std::optional<ScreenShot> PhoneWindow::still(double quiet, double seconds) const {
  return desktop_.stillScreenShot(quiet, seconds);
}

std::optional<ScreenShot> PhoneWindow::tapAndSettle(double x, double y, const ScreenShot& before,
                                                    double seconds) const {
  tap(x, y);
  const plat::Rect phone{0, 0, points_.width, points_.height};
  const auto until = after(seconds);
  while (Clock::now() < until) {
    std::optional<ScreenShot> now = shot();
    if (now && changed(before, *now, phone) > 0) return still();
    std::this_thread::sleep_for(std::chrono::milliseconds(150));
  }
  return std::nullopt;
}

PhoneWindow::Pixels PhoneWindow::pixels(const plat::Rect& area) const {
  const double sx = frame_.width / points_.width, sy = frame_.height / points_.height;
  return {int(frame_.x + area.x * sx), int(frame_.y + area.y * sy), int(area.width * sx),
          int(area.height * sy)};
}

double PhoneWindow::changed(const ScreenShot& a, const ScreenShot& b,
                            const plat::Rect& area) const {
  const Pixels p = pixels(area);
  return b.changedShare(a, p.x, p.y, p.w, p.h);
}

double PhoneWindow::share(const ScreenShot& s, const plat::Rect& area,
                          const std::function<bool(unsigned)>& pick) const {
  const Pixels p = pixels(area);
  int picked = 0;
  for (int y = p.y; y < p.y + p.h; ++y) {
    for (int x = p.x; x < p.x + p.w; ++x) picked += pick(s.rgb(x, y));
  }
  return p.w * p.h > 0 ? double(picked) / (p.w * p.h) : 0;
}

double PhoneWindow::badgeRed(const ScreenShot& s, const plat::Rect& area) const {
  return share(s, area, [](unsigned rgb) {
    const unsigned r = rgb >> 16, g = (rgb >> 8) & 0xff, b = rgb & 0xff;
    return r > 180 && g < 90 && b < 90;
  });
}

double PhoneWindow::brightShare(const ScreenShot& s, const plat::Rect& area, unsigned level) const {
  const Pixels p = pixels(area);
  int bright = 0;
  for (int y = p.y; y < p.y + p.h; ++y) {
    for (int x = p.x; x < p.x + p.w; ++x) {
      const unsigned c = s.rgb(x, y);
      bright += ((c >> 16) & 0xff) >= level && ((c >> 8) & 0xff) >= level && (c & 0xff) >= level;
    }
  }
  return p.w * p.h > 0 ? double(bright) / (p.w * p.h) : 0;
}

std::optional<std::pair<double, double>> PhoneWindow::brightSpan(const ScreenShot& s,
                                                                 double y) const {
  const Pixels row = pixels({0, y, points_.width, 1});
  int left = -1, right = -1;
  for (int x = row.x; x < row.x + row.w; ++x) {
    const unsigned c = s.rgb(x, row.y);
    if (((c >> 16) & 0xff) >= 0xf0 && ((c >> 8) & 0xff) >= 0xf0 && (c & 0xff) >= 0xf0) {
      if (left < 0) left = x;
      right = x;
    }
  }
  if (left < 0) return std::nullopt;
  const double scale = frame_.width / points_.width;
  return std::make_pair((left - frame_.x) / scale, (right + 1 - frame_.x) / scale);
}

void PhoneWindow::write(const ScreenShot& s, const std::string& name) const {
  const std::filesystem::path folder =
      std::filesystem::read_symlink("/proc/self/exe").parent_path();
  s.writePNG((folder / name).string());
}

}  // namespace apptest
