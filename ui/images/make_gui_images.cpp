// Build-time maker of the shared widgets' images: draws each one at scale 2 and writes it as
// "<bundle>/gui/<name>@2x.png". Usage: make_gui_images <bundle folder>
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

// The message box: a rounded, nearly white box with a grey rim, stretched from its centre
// (caps of 50 points on a 101-point square).
void messageBox(DrawContext& c) {
  const Rect box{1, 1, 99, 99};
  c.setFillColor(Color::white(0.96));
  c.beginPath();
  c.addRoundedRect(box, 12);
  c.fillPath();
  c.setStrokeColor(Color::white(0.55));
  c.setLineWidth(1.5);
  c.beginPath();
  c.addRoundedRect(box, 12);
  c.strokePath();
}

// The navigation bar: green fading slightly darker towards its bottom edge, with a dark line.
void navigationBar(DrawContext& c) {
  const double height = 44;
  for (int row = 0; row < 88; ++row) {
    double t = row / 87.0;
    c.setFillColor(Color::rgb255(96 - 20 * t, 196 - 24 * t, 142 - 18 * t));
    c.fillRect({0, row / 2.0, 320, 0.5});
  }
  c.setFillColor(Color::rgb255(50, 130, 90));
  c.fillRect({0, height - 1, 320, 1});
}

// A tab of the tab strip: a box with rounded top corners, stretched from its centre (caps of 10
// points on a 21-point square).
std::function<void(DrawContext&)> tab(Color fill, Color rim) {
  return [fill, rim](DrawContext& c) {
    const Rect box{0.5, 0.5, 20, 24};  // the rounded bottom falls outside the image
    c.setFillColor(fill);
    c.beginPath();
    c.addRoundedRect(box, 5);
    c.fillPath();
    c.setStrokeColor(rim);
    c.setLineWidth(1);
    c.beginPath();
    c.addRoundedRect(box, 5);
    c.strokePath();
  };
}

bool write(const std::string& folder, const std::string& name, plat::Size size,
           const std::function<void(DrawContext&)>& draw) {
  plat::ImageContext image(size, false, 2);
  draw(image.context());
  std::string path = folder + "/" + name + "@2x.png";
  if (!image.takeImage()->writePNG(path)) {
    std::fprintf(stderr, "make_gui_images: cannot write %s\n", path.c_str());
    return false;
  }
  return true;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 2) {
    std::fprintf(stderr, "usage: make_gui_images <bundle folder>\n");
    return 2;
  }
  const std::string folder = std::string(argv[1]) + "/gui";
  if (!plat::files::createDirectories(folder)) {
    std::fprintf(stderr, "make_gui_images: cannot make %s\n", folder.c_str());
    return 1;
  }
  const Color rim = Color::rgb255(60, 150, 105);
  bool ok = write(folder, "aler", {101, 101}, messageBox) &&
            write(folder, "nav", {320, 44}, navigationBar) &&
            write(folder, "tab_learn_n", {21, 21}, tab(Color::rgb255(190, 236, 211), rim)) &&
            write(folder, "tab_learn_s", {21, 21}, tab(Color::white(), rim)) &&
            write(folder, "tab_word_n", {21, 21}, tab(Color::rgb255(168, 226, 196), rim)) &&
            write(folder, "tab_word_s", {21, 21}, tab(Color::rgb255(255, 250, 235), rim));
  return ok ? 0 : 1;
}
