// What the build-time image makers share: their command line, the writing of one image drawn at
// scale 2 as "<folder>/<name>@2x.png", and the rounded boxes most of their images are made of.
#pragma once

#include <functional>
#include <optional>
#include <string>

#include "platform/draw/DrawContext.h"

namespace imagemaker {

using Drawing = std::function<void(plat::DrawContext&)>;

// Fills a rounded rectangle.
void filledBox(plat::DrawContext& c, const plat::Rect& r, double radius, const plat::Color& fill);

// Fills a rounded rectangle and strokes its rim over the fill.
void rimmedBox(plat::DrawContext& c, const plat::Rect& r, double radius, const plat::Color& fill,
               const plat::Color& rim, double rimWidth = 1);

// A rimmed panel whose top `bandHeight` points are a band of another colour, with an optional
// one-point seam under the band; the band reaches the canvas edge under the rounded clip.
void bandedPanel(plat::DrawContext& c, const plat::Rect& r, double radius, const plat::Color& fill,
                 const plat::Color& band, double bandHeight, const plat::Color& rim,
                 double rimWidth, std::optional<plat::Color> seam = std::nullopt);

// A rimmed box filling a canvas of `size`, inset by half the rim so that the rim stays whole.
Drawing canvasBox(plat::Size size, double radius, plat::Color fill, plat::Color rim,
                  double rimWidth = 1);

class Writer {
 public:
  Writer(std::string maker, std::string folder);

  // Draws one image at scale 2 into "<folder>/<name>@2x.png", making the folders the name needs;
  // says why on stderr and returns false when it cannot.
  bool write(const std::string& name, plat::Size size, const Drawing& draw) const;

 private:
  std::string maker_;
  std::string folder_;
};

// The makers' main: takes the bundle folder as the one argument and runs `drawAll` with a writer
// into "<bundle>/<subfolder>" (the bundle itself when `subfolder` is empty). Returns the exit
// status.
int run(int argc, char** argv, const std::string& maker, const std::string& subfolder,
        const std::function<bool(const Writer&)>& drawAll);

}  // namespace imagemaker
