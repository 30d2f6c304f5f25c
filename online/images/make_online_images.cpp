// Build-time maker of the account screens' images (login window, account screen, feedback form):
// draws each one at scale 2 and writes it as "<bundle>/gui/<name>@2x.png".
// Usage: make_online_images <bundle folder>
#include "ui/images/ImageMaker.h"

namespace {

using imagemaker::canvasBox;
using plat::Color;
using plat::DrawContext;
using plat::Rect;
using plat::Size;

const Color kGreen = Color::rgb255(60, 160, 110);
const Color kDarkGreen = Color::rgb255(40, 120, 80);

// The login panel: white with a green band at the top behind the switch and close buttons. Short
// enough that its bottom cap (below the 120-point top cap) fits the login face's small panel.
void loginPanel(DrawContext& c) {
  imagemaker::bandedPanel(c, {1, 1, 238, 158}, 10, Color::white(0.98), Color::rgb255(225, 245, 234),
                          46, kDarkGreen, 1.5, Color::rgb255(190, 225, 205));
}

// A choice mark: an empty or a filled circle.
imagemaker::Drawing choice(bool full) {
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

}  // namespace

int main(int argc, char** argv) {
  return imagemaker::run(
      argc, argv, "make_online_images", "gui", [](const imagemaker::Writer& out) {
        const Color grey = Color::white(0.7);
        return out.write("login_bg", {240, 160}, loginPanel) &&
               out.write("login_edit", {11, 11}, canvasBox({11, 11}, 4, Color::white(), grey)) &&
               out.write("login_btn", {21, 40}, canvasBox({21, 40}, 6, kGreen, kDarkGreen)) &&
               out.write("reg_btn", {21, 40},
                         canvasBox({21, 40}, 6, Color::rgb255(240, 150, 50),
                                   Color::rgb255(200, 110, 30))) &&
               out.write("switch_reg", {21, 28}, canvasBox({21, 28}, 6, Color::white(), kGreen)) &&
               out.write("switch_login", {21, 28},
                         canvasBox({21, 28}, 6, Color::rgb255(255, 245, 230),
                                   Color::rgb255(220, 140, 60))) &&
               out.write("logout", {21, 44},
                         canvasBox({21, 44}, 8, Color::rgb255(215, 70, 60),
                                   Color::rgb255(170, 40, 35))) &&
               out.write("single_empty", {20, 20}, choice(false)) &&
               out.write("single_full", {20, 20}, choice(true)) &&
               out.write("help_text_up", {21, 41}, canvasBox({21, 41}, 2, Color::white(), grey));
      });
}
