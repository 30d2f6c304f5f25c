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

std::optional<ScreenShot> PhoneWindow::when(const Look& look, double seconds) const {
  return desktop_.shotWhen(look, seconds);
}

std::optional<ScreenShot> PhoneWindow::tapUntil(double x, double y, const Look& look) const {
  tap(x, y);
  return when(look);
}

PhoneWindow::Look PhoneWindow::allOf(std::vector<Look> looks) {
  return [looks = std::move(looks)](const ScreenShot& s) {
    for (const Look& look : looks)
      if (!look(s)) return false;
    return true;
  };
}

PhoneWindow::Look PhoneWindow::tabSelected(const double (&tab)[2]) const {
  const plat::Rect icon{tab[0] - 20, tab[1] - 20, 40, 40};
  const plat::Rect bar{0, tab[1] - 10, points_.width, 20};
  return [this, icon, bar](const ScreenShot& s) {
    return share(s, icon, green) > 0.03 && brightShare(s, bar, 0xf0) > 0.5;
  };
}

PhoneWindow::Look PhoneWindow::sameAs(const ScreenShot& reference, const plat::Rect& area) const {
  // A caret's blink or an edge's shading may differ on a screen come back to.
  return
      [this, reference, area](const ScreenShot& s) { return changed(reference, s, area) < 0.01; };
}

PhoneWindow::Look PhoneWindow::coloured(const plat::Rect& area,
                                        const std::function<bool(unsigned)>& pick,
                                        double least) const {
  return [this, area, pick, least](const ScreenShot& s) { return share(s, area, pick) > least; };
}

PhoneWindow::Look PhoneWindow::dimmed() const {
  // Nothing of the top or bottom strips, white or light gray when nothing dims them, is bright.
  return [this](const ScreenShot& s) {
    return brightShare(s, {0, 0, points_.width, 20}, 0xd0) == 0 &&
           brightShare(s, {0, points_.height - 20, points_.width, 20}, 0xd0) == 0;
  };
}

PhoneWindow::Look PhoneWindow::keyboardUp() const {
  return coloured(
      {0, points_.height - 30, points_.width / 2, 20},
      [](unsigned c) {
        const unsigned r = c >> 16, g = (c >> 8) & 0xff, b = c & 0xff;
        return r >= 200 && r <= 218 && g >= 205 && g <= 222 && b >= 212 && b <= 226;
      },
      0.5);
}

PhoneWindow::Look PhoneWindow::inked(const plat::Rect& area) const {
  return coloured(area, ink, 0.04);
}

bool PhoneWindow::green(unsigned rgb) {
  return ((rgb >> 8) & 0xff) > 100 && (rgb >> 16) < 90;
}

bool PhoneWindow::orange(unsigned rgb) {
  const unsigned r = rgb >> 16, g = (rgb >> 8) & 0xff, b = rgb & 0xff;
  return r > 220 && g > 120 && g < 180 && b < 90;
}

bool PhoneWindow::blue(unsigned rgb) {
  return (rgb & 0xff) > 240 && (rgb >> 16) < 120;
}

bool PhoneWindow::ink(unsigned rgb) {
  return (rgb >> 16) < 110 && ((rgb >> 8) & 0xff) < 110 && (rgb & 0xff) < 110;
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
  return s.share(p.x, p.y, p.w, p.h, pick);
}

double PhoneWindow::badgeRed(const ScreenShot& s, const plat::Rect& area) const {
  return share(s, area, [](unsigned rgb) {
    const unsigned r = rgb >> 16, g = (rgb >> 8) & 0xff, b = rgb & 0xff;
    return r > 180 && g < 90 && b < 90;
  });
}

double PhoneWindow::brightShare(const ScreenShot& s, const plat::Rect& area, unsigned level) const {
  const Pixels p = pixels(area);
  return s.brightShare(p.x, p.y, p.w, p.h, level);
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

PhoneWindow::Look PhoneWindow::backupSheet() const {
  const plat::Rect kSheetFirstButton{120, 345, 80, 16};
  return [this, kSheetFirstButton](const ScreenShot& s) {
    return brightShare(s, {0, 100, 320, 150}) < 0.01 &&
           share(s, kSheetFirstButton,
                 [](unsigned c) { return (c & 0xff) > 150 && (c & 0xff) > (c >> 16) + 60; }) > 0.1;
  };
}

}  // namespace apptest
