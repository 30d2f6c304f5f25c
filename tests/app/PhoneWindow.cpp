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

PhoneWindow::PhoneWindow(const XvfbDesktop& desktop, std::string window)
    : desktop_(desktop), window_(std::move(window)), frame_(desktop.geometry(window_)) {}

void PhoneWindow::tap(double x, double y) const {
  desktop_.click(window_, int(x * frame_.width / kWidth), int(y * frame_.height / kHeight));
}

void PhoneWindow::drag(double x, double fromY, double toY) const {
  desktop_.drag(window_, int(x * frame_.width / kWidth), int(fromY * frame_.height / kHeight),
                int(toY * frame_.height / kHeight));
}

void PhoneWindow::type(const std::string& text) const {
  desktop_.run("xdotool type --delay 40 '" + text + "'");
}

void PhoneWindow::scrollDown(double x, double y, int notches) const {
  desktop_.wheelDown(window_, int(x * frame_.width / kWidth), int(y * frame_.height / kHeight),
                     notches);
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
  const plat::Rect phone{0, 0, kWidth, kHeight};
  const auto until = after(seconds);
  while (Clock::now() < until) {
    std::optional<ScreenShot> now = shot();
    if (now && changed(before, *now, phone) > 0) return still();
    std::this_thread::sleep_for(std::chrono::milliseconds(150));
  }
  return std::nullopt;
}

PhoneWindow::Pixels PhoneWindow::pixels(const plat::Rect& area) const {
  const double sx = frame_.width / kWidth, sy = frame_.height / kHeight;
  return {int(frame_.x + area.x * sx), int(frame_.y + area.y * sy), int(area.width * sx),
          int(area.height * sy)};
}

double PhoneWindow::changed(const ScreenShot& a, const ScreenShot& b,
                            const plat::Rect& area) const {
  const Pixels p = pixels(area);
  return b.changedShare(a, p.x, p.y, p.w, p.h);
}

double PhoneWindow::badgeRed(const ScreenShot& s, const plat::Rect& area) const {
  const Pixels p = pixels(area);
  int red = 0;
  for (int y = p.y; y < p.y + p.h; ++y) {
    for (int x = p.x; x < p.x + p.w; ++x) {
      const unsigned rgb = s.rgb(x, y);
      const unsigned r = rgb >> 16, g = (rgb >> 8) & 0xff, b = rgb & 0xff;
      if (r > 180 && g < 90 && b < 90) ++red;
    }
  }
  return p.w * p.h > 0 ? double(red) / (p.w * p.h) : 0;
}

void PhoneWindow::write(const ScreenShot& s, const std::string& name) const {
  const std::filesystem::path folder =
      std::filesystem::read_symlink("/proc/self/exe").parent_path();
  s.writePNG((folder / name).string());
}

}  // namespace apptest
