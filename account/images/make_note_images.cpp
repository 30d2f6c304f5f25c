// Build-time maker of the images of the messages, word note and offer screens: draws each one at
// scale 2 and writes it as "<bundle>/gui/<name>@2x.png".
// Usage: make_note_images <bundle folder>
#include <cmath>
#include <numbers>

#include "ui/images/ImageMaker.h"

namespace {

using imagemaker::canvasBox;
using imagemaker::Drawing;
using plat::Color;
using plat::DrawContext;
using plat::Point;
using plat::Rect;
using plat::Size;

const Color kGreen = Color::rgb255(60, 160, 110);
const Color kDarkGreen = Color::rgb255(40, 120, 80);
const Color kFooterBlue = Color::rgb255(87, 108, 137);

// The footer's arrow, pointing up: pull the list up.
void arrow(DrawContext& c) {
  c.setFillColor(kFooterBlue);
  c.fillRect({12, 18, 6, 32});
  c.beginPath();
  c.moveTo({15, 4});
  c.lineTo({27, 20});
  c.lineTo({3, 20});
  c.closePath();
  c.fillPath();
}

// A five-pointed star: hollow grey for an ordinary note, gold for a recommended one.
Drawing star(bool good) {
  return [good](DrawContext& c) {
    c.beginPath();
    for (int i = 0; i < 10; ++i) {
      const double radius = i % 2 == 0 ? 9 : 4;
      const double angle = -std::numbers::pi / 2 + i * std::numbers::pi / 5;
      const Point p{10 + radius * std::cos(angle), 10.5 + radius * std::sin(angle)};
      if (i == 0)
        c.moveTo(p);
      else
        c.lineTo(p);
    }
    c.closePath();
    c.setFillColor(good ? Color::rgb255(245, 180, 30) : Color::white(0.85));
    c.setStrokeColor(good ? Color::rgb255(200, 130, 10) : Color::white(0.55));
    c.setLineWidth(1);
    c.drawPath(plat::PathDrawingMode::FillStroke);
  };
}

// The order buttons on the green bar: white when active, pale when not.
Color barIcon(bool active) {
  return active ? Color::white() : Color::rgb(1, 1, 1, 0.45);
}

Drawing clock(bool active) {
  return [active](DrawContext& c) {
    c.setStrokeColor(barIcon(active));
    c.setLineWidth(2);
    c.strokeEllipse({3, 3, 18, 18});
    c.strokeLine({12, 12}, {12, 6.5});
    c.strokeLine({12, 12}, {16, 14});
  };
}

Drawing thumb(bool active) {
  return [active](DrawContext& c) {
    c.setStrokeColor(barIcon(active));
    c.setLineWidth(2);
    c.strokeEllipse({3, 3, 18, 18});
    c.beginPath();
    c.moveTo({7.5, 12});
    c.lineTo({11, 15.5});
    c.lineTo({17, 8.5});
    c.strokePath();
  };
}

// The offer box: white with a green band behind the word.
void offerPanel(DrawContext& c) {
  imagemaker::bandedPanel(c, {1, 1, 200, 240}, 10, Color::white(0.99), Color::rgb255(225, 245, 234),
                          40, kDarkGreen, 1.5);
}

}  // namespace

int main(int argc, char** argv) {
  return imagemaker::run(argc, argv, "make_note_images", "gui", [](const imagemaker::Writer& out) {
    return out.write("blueArrow", {30, 55}, arrow) && out.write("good_1", {20, 20}, star(false)) &&
           out.write("good_2", {20, 20}, star(true)) &&
           out.write("time_1", {24, 24}, clock(true)) &&
           out.write("time_2", {24, 24}, clock(false)) &&
           out.write("acc_1", {24, 24}, thumb(true)) &&
           out.write("acc_2", {24, 24}, thumb(false)) &&
           out.write("share_btn", {80, 32}, canvasBox({80, 32}, 6, kGreen, kDarkGreen)) &&
           out.write(
               "clear_accept", {80, 32},
               canvasBox({80, 32}, 6, Color::rgb255(230, 140, 60), Color::rgb255(190, 100, 30))) &&
           out.write("accept_btn", {120, 38}, canvasBox({120, 38}, 6, kGreen, kDarkGreen)) &&
           out.write("autoaccept_bg", {202, 242}, offerPanel);
  });
}
