#include "tests/app/XvfbDesktop.h"

#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cairo.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <bit>
#include <chrono>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <thread>

#include "platform/base/Files.h"
#include "tests/app/CloseMessage.h"
#include "tests/app/ProgramProcess.h"
#include "tests/support/TempHome.h"

namespace apptest {
namespace {

uint32_t bigEndian(const std::string& data, size_t at) {
  return (uint32_t(uint8_t(data[at])) << 24) | (uint32_t(uint8_t(data[at + 1])) << 16) |
         (uint32_t(uint8_t(data[at + 2])) << 8) | uint32_t(uint8_t(data[at + 3]));
}

void pause(double seconds) {
  std::this_thread::sleep_for(std::chrono::duration<double>(seconds));
}

}  // namespace

std::optional<ScreenShot> ScreenShot::read(const std::string& xwdPath) {
  std::ifstream in(xwdPath, std::ios::binary | std::ios::ate);
  const std::streamsize size = in.tellg();
  if (size < 100) return std::nullopt;
  std::string data(static_cast<size_t>(size), '\0');
  if (!in.seekg(0) || !in.read(data.data(), size)) return std::nullopt;
  // The header is 25 big-endian words; pixels follow it and the colour map.
  const uint32_t headerSize = bigEndian(data, 0), width = bigEndian(data, 16),
                 height = bigEndian(data, 20), byteOrder = bigEndian(data, 28),
                 bitsPerPixel = bigEndian(data, 44), bytesPerLine = bigEndian(data, 48),
                 colours = bigEndian(data, 76);
  const size_t bytes = bitsPerPixel / 8;
  const size_t start = headerSize + size_t(colours) * 12;
  if ((bytes != 3 && bytes != 4) || start + size_t(bytesPerLine) * height > data.size()) {
    return std::nullopt;
  }
  ScreenShot shot;
  shot.width_ = int(width);
  shot.height_ = int(height);
  shot.pixels_.resize(size_t(width) * height);
  // Xvfb's usual layout, four bytes a pixel with the lowest first as in memory here, is taken a
  // row at a time (rgb() leaves out the fourth byte): the tests look at the screen several times
  // a second, and pixel by pixel that took most of a sanitized test's time.
  const bool asInMemory =
      bytes == 4 && byteOrder == 0 && std::endian::native == std::endian::little;
  for (uint32_t y = 0; y < height; ++y) {
    const char* row = data.data() + start + size_t(y) * bytesPerLine;
    if (asInMemory) {
      std::memcpy(shot.pixels_.data() + size_t(y) * width, row, size_t(width) * 4);
      continue;
    }
    for (uint32_t x = 0; x < width; ++x) {
      unsigned value = 0;
      for (size_t i = 0; i < bytes; ++i) {
        const unsigned byte = uint8_t(row[x * bytes + i]);
        value |= byteOrder == 0 ? byte << (8 * i) : byte << (8 * (bytes - 1 - i));
      }
      shot.pixels_[size_t(y) * width + x] = value;
    }
  }
  return shot;
}

unsigned ScreenShot::rgb(int x, int y) const {
  if (x < 0 || y < 0 || x >= width_ || y >= height_) return 0;
  return pixels_[size_t(y) * width_ + x] & 0xFFFFFF;
}

double ScreenShot::changedShare(const ScreenShot& other, int x, int y, int w, int h) const {
  const bool sameSize = width_ == other.width_ && height_ == other.height_;
  int changed = 0;
  for (int j = y; j < y + h; ++j) {
    // A row alike byte for byte is passed over whole (beyond the picture both read as black).
    if (sameSize && j >= 0 && j < height_) {
      const int from = std::clamp(x, 0, width_), to = std::clamp(x + w, from, width_);
      const size_t at = size_t(j) * width_ + from;
      if (std::memcmp(pixels_.data() + at, other.pixels_.data() + at,
                      sizeof(unsigned) * size_t(to - from)) == 0)
        continue;
    }
    for (int i = x; i < x + w; ++i) changed += rgb(i, j) != other.rgb(i, j);
  }
  return w * h > 0 ? double(changed) / (w * h) : 0;
}

double ScreenShot::share(int x, int y, int w, int h,
                         const std::function<bool(unsigned)>& pick) const {
  int picked = 0;
  for (int j = y; j < y + h; ++j) {
    for (int i = x; i < x + w; ++i) picked += pick(rgb(i, j));
  }
  return w * h > 0 ? double(picked) / (w * h) : 0;
}

double ScreenShot::brightShare(int x, int y, int w, int h, unsigned level) const {
  return share(x, y, w, h, [level](unsigned c) {
    return ((c >> 16) & 0xff) >= level && ((c >> 8) & 0xff) >= level && (c & 0xff) >= level;
  });
}

bool ScreenShot::hasContent(int x, int y, int w, int h) const {
  for (int j = y; j < y + h; ++j) {
    for (int i = x; i < x + w; ++i) {
      if (rgb(i, j) != 0) return true;
    }
  }
  return false;
}

bool ScreenShot::writePNG(const std::string& path) const {
  cairo_surface_t* surface = cairo_image_surface_create(CAIRO_FORMAT_RGB24, width_, height_);
  unsigned char* data = cairo_image_surface_get_data(surface);
  const int stride = cairo_image_surface_get_stride(surface);
  for (int y = 0; y < height_; ++y) {
    auto* row = reinterpret_cast<uint32_t*>(data + size_t(y) * stride);
    for (int x = 0; x < width_; ++x) row[x] = rgb(x, y);
  }
  cairo_surface_mark_dirty(surface);
  const bool ok = cairo_surface_write_to_png(surface, path.c_str()) == CAIRO_STATUS_SUCCESS;
  cairo_surface_destroy(surface);
  return ok;
}

XvfbDesktop::XvfbDesktop() : folder_(testsupport::makeTempDir("vocab-xvfb")) {
  // Xvfb picks a free display and writes its number to the pipe. It is told not to reset when
  // its last client leaves: a program started a moment after the previous one ended would find
  // the display refusing it and draw its first screen into a picture instead.
  int fds[2];
  if (pipe(fds) != 0) return;
  pid_ = spawnLogged({"Xvfb", "-displayfd", std::to_string(fds[1]), "-screen", "0", "1024x768x24",
                      "-nolisten", "tcp", "-noreset"},
                     folder_ + "/xvfb.log", false, fds[0]);
  close(fds[1]);
  if (pid_ <= 0) {
    close(fds[0]);
    return;
  }
  std::string number;
  char c;
  while (read(fds[0], &c, 1) == 1 && c != '\n') number += c;
  close(fds[0]);
  if (!number.empty()) display_ = ":" + number;
}

XvfbDesktop::~XvfbDesktop() {
  if (pid_ > 0) {
    kill(pid_, SIGTERM);
    int status = 0;
    waitpid(pid_, &status, 0);
  }
  plat::files::remove(folder_);
}

std::string XvfbDesktop::run(const std::string& command) const {
  std::string line = "DISPLAY=" + display_ + " " + command + " 2>/dev/null";
  std::string out;
  if (FILE* pipe = popen(line.c_str(), "r")) {
    char buffer[256];
    while (size_t n = fread(buffer, 1, sizeof buffer, pipe)) out.append(buffer, n);
    pclose(pipe);
  }
  return out;
}

std::string XvfbDesktop::waitForWindow(const std::string& windowClass, double seconds,
                                       const std::function<bool()>& gaveUp) {
  if (gaveUp) programEnded_ = gaveUp;
  const auto until = std::chrono::steady_clock::now() + std::chrono::duration<double>(seconds);
  while (std::chrono::steady_clock::now() < until && !(gaveUp && gaveUp())) {
    std::istringstream ids(run("xdotool search --onlyvisible --class " + windowClass));
    std::string id;
    if (ids >> id) return id;
    pause(0.2);
  }
  return "";
}

plat::Rect XvfbDesktop::geometry(const std::string& window) const {
  // "X=..", "Y=..", "WIDTH=..", "HEIGHT=.." lines. On a busy machine the window can be found a
  // moment before the display server answers for its size: ask again for a while.
  const auto until = std::chrono::steady_clock::now() +
                     std::chrono::duration_cast<std::chrono::steady_clock::duration>(
                         std::chrono::duration<double>(kPatience));
  plat::Rect frame;
  do {
    std::istringstream lines(run("xdotool getwindowgeometry --shell " + window));
    for (std::string line; std::getline(lines, line);) {
      const size_t eq = line.find('=');
      if (eq == std::string::npos) continue;
      const double value = std::atof(line.c_str() + eq + 1);
      const std::string key = line.substr(0, eq);
      if (key == "X") frame.x = value;
      if (key == "Y") frame.y = value;
      if (key == "WIDTH") frame.width = value;
      if (key == "HEIGHT") frame.height = value;
    }
    if (frame.width > 0 && frame.height > 0) break;
    pause(0.2);
  } while (std::chrono::steady_clock::now() < until);
  return frame;
}

void XvfbDesktop::click(const std::string& window, int x, int y) const {
  run("xdotool mousemove --window " + window + " " + std::to_string(x) + " " + std::to_string(y) +
      " click 1");
}

void XvfbDesktop::wheelDown(const std::string& window, int x, int y, int notches) const {
  run("xdotool mousemove --window " + window + " " + std::to_string(x) + " " + std::to_string(y) +
      " click --repeat " + std::to_string(notches) + " 5");
}

void XvfbDesktop::drag(const std::string& window, int x, int fromY, int toY) const {
  auto to = [&](int y) {
    return " mousemove --window " + window + " " + std::to_string(x) + " " + std::to_string(y);
  };
  std::string command = "xdotool" + to(fromY) + " mousedown 1";
  constexpr int kSteps = 10;
  for (int step = 1; step <= kSteps; ++step)
    command += to(fromY + (toY - fromY) * step / kSteps) + " sleep 0.05";
  run(command + " sleep 0.3 mouseup 1");
}

bool XvfbDesktop::closeWindow(const std::string& window) const {
  if (window.empty()) return false;
  return sendCloseMessage(display_, std::stoul(window));
}

std::optional<ScreenShot> XvfbDesktop::screenShot() const {
  const std::string path = folder_ + "/screen.xwd";
  run("xwd -root -silent -out " + path);
  return ScreenShot::read(path);
}

std::optional<ScreenShot> XvfbDesktop::shotWhen(const std::function<bool(const ScreenShot&)>& shows,
                                                double seconds) const {
  const auto until = std::chrono::steady_clock::now() + std::chrono::duration<double>(seconds);
  std::optional<ScreenShot> shot;
  do {
    // Whether the program has ended is asked before the picture: one taken after it ended shows
    // all it will ever show.
    const bool ended = programEnded_ && programEnded_();
    shot = screenShot();
    if (shot && shows(*shot)) return shot;
    if (ended) {
      ADD_FAILURE() << "the program ended while a step waited for the screen's look";
      break;
    }
    pause(0.15);
  } while (std::chrono::steady_clock::now() < until);
  // What showed instead, next to the test program to be looked at after the run.
  if (shot) {
    const ::testing::TestInfo* test = ::testing::UnitTest::GetInstance()->current_test_info();
    const std::string name =
        test ? std::string(test->name()) + "-failed-step.png" : "failed-step.png";
    shot->writePNG(plat::files::join(
        std::filesystem::read_symlink("/proc/self/exe").parent_path().string(), name));
  }
  return std::nullopt;
}

}  // namespace apptest
