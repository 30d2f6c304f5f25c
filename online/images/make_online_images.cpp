// Build-time maker of the account screens' images (login window, account screen, feedback form):
// draws each one at scale 2 and writes it as "<bundle>/gui/<name>@2x.png".
// Usage: make_online_images <bundle folder>
#include <cstdio>
#include <functional>
#include <string>

#include "platform/base/Files.h"
#include "platform/draw/DrawContext.h"
#include "platform/draw/ImageContext.h"

namespace {

using plat::Color;
using plat::DrawContext;
using plat::Rect;
using plat::Size;

const Color kGreen = Color::rgb255(60, 160, 110);
const Color kDarkGreen = Color::rgb255(40, 120, 80);

// A filled rounded box with a rim, inset half a point so the rim stays whole.
std::function<void(DrawContext&)> box(Size size, double radius, Color fill, Color rim,
                                      double rimWidth = 1) {
  return [=](DrawContext& c) {
    const Rect r{rimWidth / 2, rimWidth / 2, size.width - rimWidth, size.height - rimWidth};
    c.setFillColor(fill);
    c.beginPath();
    c.addRoundedRect(r, radius);
    c.fillPath();
    c.setStrokeColor(rim);
    c.setLineWidth(rimWidth);
    c.beginPath();
    c.addRoundedRect(r, radius);
    c.strokePath();
  };
}

// The login panel: white with a green band at the top behind the switch and close buttons. Short
// enough that its bottom cap (below the 120-point top cap) fits the login face's small panel.
void loginPanel(DrawContext& c) {
  const Rect r{1, 1, 238, 158};
  c.save();
  c.beginPath();
  c.addRoundedRect(r, 10);
  c.clip();
  c.setFillColor(Color::white(0.98));
  c.fillRect(r);
  c.setFillColor(Color::rgb255(225, 245, 234));
  c.fillRect({0, 0, 240, 46});
  c.setFillColor(Color::rgb255(190, 225, 205));
  c.fillRect({0, 46, 240, 1});
  c.restore();
  c.setStrokeColor(kDarkGreen);
  c.setLineWidth(1.5);
  c.beginPath();
  c.addRoundedRect(r, 10);
  c.strokePath();
}

// A choice mark: an empty or a filled circle.
std::function<void(DrawContext&)> choice(bool full) {
  return [full](DrawContext& c) {
    c.setStrokeColor(kDarkGreen);
    c.setLineWidth(1.5);
    c.strokeEllipse({2, 2, 16, 16});
    if (full) {
      c.setFillColor(kGreen);
      c.fillEllipse({6, 6, 8, 8});
    }
  };
}

bool write(const std::string& folder, const std::string& name, Size size,
           const std::function<void(DrawContext&)>& draw) {
  plat::ImageContext image(size, false, 2);
  draw(image.context());
  std::string path = folder + "/" + name + "@2x.png";
  if (!image.takeImage()->writePNG(path)) {
    std::fprintf(stderr, "make_online_images: cannot write %s\n", path.c_str());
    return false;
  }
  return true;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 2) {
    std::fprintf(stderr, "usage: make_online_images <bundle folder>\n");
    return 2;
  }
  const std::string folder = std::string(argv[1]) + "/gui";
  if (!plat::files::createDirectories(folder)) {
    std::fprintf(stderr, "make_online_images: cannot make %s\n", folder.c_str());
    return 1;
  }
  const Color grey = Color::white(0.7);
  bool ok = write(folder, "login_bg", {240, 160}, loginPanel) &&
            write(folder, "login_edit", {11, 11}, box({11, 11}, 4, Color::white(), grey)) &&
            write(folder, "login_btn", {21, 40}, box({21, 40}, 6, kGreen, kDarkGreen)) &&
            write(folder, "reg_btn", {21, 40},
                  box({21, 40}, 6, Color::rgb255(240, 150, 50), Color::rgb255(200, 110, 30))) &&
            write(folder, "switch_reg", {21, 28}, box({21, 28}, 6, Color::white(), kGreen)) &&
            write(folder, "switch_login", {21, 28},
                  box({21, 28}, 6, Color::rgb255(255, 245, 230), Color::rgb255(220, 140, 60))) &&
            write(folder, "logout", {21, 44},
                  box({21, 44}, 8, Color::rgb255(215, 70, 60), Color::rgb255(170, 40, 35))) &&
            write(folder, "msg_bg", {31, 29},
                  box({31, 29}, 14, Color::rgb255(230, 50, 40), Color::white(), 2)) &&
            write(folder, "single_empty", {20, 20}, choice(false)) &&
            write(folder, "single_full", {20, 20}, choice(true)) &&
            write(folder, "help_text_up", {21, 41}, box({21, 41}, 2, Color::white(), grey));
  return ok ? 0 : 1;
}
