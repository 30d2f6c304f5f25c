// Build-time maker of the images of the messages, word note and offer screens: draws each one at
// scale 2 and writes it as "<bundle>/gui/<name>@2x.png".
// Usage: make_note_images <bundle folder>
#include <cmath>
#include <cstdio>
#include <functional>
#include <numbers>
#include <string>

#include "platform/base/Files.h"
#include "platform/draw/DrawContext.h"
#include "platform/draw/ImageContext.h"

namespace {

using plat::Color;
using plat::DrawContext;
using plat::Point;
using plat::Rect;
using plat::Size;

const Color kGreen = Color::rgb255(60, 160, 110);
const Color kDarkGreen = Color::rgb255(40, 120, 80);
const Color kFooterBlue = Color::rgb255(87, 108, 137);

using Drawing = std::function<void(DrawContext&)>;

Drawing box(Size size, double radius, Color fill, Color rim) {
  return [=](DrawContext& c) {
    const Rect r{0.5, 0.5, size.width - 1, size.height - 1};
    c.setFillColor(fill);
    c.beginPath();
    c.addRoundedRect(r, radius);
    c.fillPath();
    c.setStrokeColor(rim);
    c.setLineWidth(1);
    c.beginPath();
    c.addRoundedRect(r, radius);
    c.strokePath();
  };
}

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
  const Rect r{1, 1, 200, 240};
  c.save();
  c.beginPath();
  c.addRoundedRect(r, 10);
  c.clip();
  c.setFillColor(Color::white(0.99));
  c.fillRect(r);
  c.setFillColor(Color::rgb255(225, 245, 234));
  c.fillRect({0, 0, 202, 40});
  c.restore();
  c.setStrokeColor(kDarkGreen);
  c.setLineWidth(1.5);
  c.beginPath();
  c.addRoundedRect(r, 10);
  c.strokePath();
}

bool write(const std::string& folder, const std::string& name, Size size, const Drawing& draw) {
  plat::ImageContext image(size, false, 2);
  draw(image.context());
  std::string path = folder + "/" + name + "@2x.png";
  if (!image.takeImage()->writePNG(path)) {
    std::fprintf(stderr, "make_note_images: cannot write %s\n", path.c_str());
    return false;
  }
  return true;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 2) {
    std::fprintf(stderr, "usage: make_note_images <bundle folder>\n");
    return 2;
  }
  const std::string folder = std::string(argv[1]) + "/gui";
  if (!plat::files::createDirectories(folder)) {
    std::fprintf(stderr, "make_note_images: cannot make %s\n", folder.c_str());
    return 1;
  }
  bool ok = write(folder, "blueArrow", {30, 55}, arrow) &&
            write(folder, "good_1", {20, 20}, star(false)) &&
            write(folder, "good_2", {20, 20}, star(true)) &&
            write(folder, "time_1", {24, 24}, clock(true)) &&
            write(folder, "time_2", {24, 24}, clock(false)) &&
            write(folder, "acc_1", {24, 24}, thumb(true)) &&
            write(folder, "acc_2", {24, 24}, thumb(false)) &&
            write(folder, "share_btn", {80, 32}, box({80, 32}, 6, kGreen, kDarkGreen)) &&
            write(folder, "clear_accept", {80, 32},
                  box({80, 32}, 6, Color::rgb255(230, 140, 60), Color::rgb255(190, 100, 30))) &&
            write(folder, "accept_btn", {120, 38}, box({120, 38}, 6, kGreen, kDarkGreen)) &&
            write(folder, "autoaccept_bg", {202, 242}, offerPanel);
  return ok ? 0 : 1;
}
