// Build-time maker of the shared widgets' images: draws each one at scale 2 and writes it as
// "<bundle>/gui/<name>@2x.png". Usage: make_gui_images <bundle folder>
#include "ui/images/ImageMaker.h"

namespace {

using plat::Color;
using plat::DrawContext;

// The message box: a rounded, nearly white box with a grey rim, stretched from its centre
// (caps of 50 points on a 101-point square).
void messageBox(DrawContext& c) {
  imagemaker::rimmedBox(c, {1, 1, 99, 99}, 12, Color::white(0.96), Color::white(0.55), 1.5);
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
imagemaker::Drawing tab(Color fill, Color rim) {
  return [fill, rim](DrawContext& c) {
    // The rounded bottom falls outside the image.
    imagemaker::rimmedBox(c, {0.5, 0.5, 20, 24}, 5, fill, rim);
  };
}

}  // namespace

int main(int argc, char** argv) {
  return imagemaker::run(argc, argv, "make_gui_images", "gui", [](const imagemaker::Writer& out) {
    const Color rim = Color::rgb255(60, 150, 105);
    return out.write("aler", {101, 101}, messageBox) &&
           out.write("nav", {320, 44}, navigationBar) &&
           out.write("tab_learn_n", {21, 21}, tab(Color::rgb255(190, 236, 211), rim)) &&
           out.write("tab_learn_s", {21, 21}, tab(Color::white(), rim)) &&
           out.write("tab_word_n", {21, 21}, tab(Color::rgb255(168, 226, 196), rim)) &&
           out.write("tab_word_s", {21, 21}, tab(Color::rgb255(255, 250, 235), rim));
  });
}
