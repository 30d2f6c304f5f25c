// A 2D drawing context over cairo: paths, fills and strokes with separate fill and stroke
// colours, clipping, transforms, images and text in rectangles. Views draw into it, image
// contexts produce images from it.
#pragma once

#include <string>
#include <vector>

#include "platform/draw/Color.h"
#include "platform/draw/Font.h"
#include "platform/draw/Geometry.h"
#include "platform/draw/TextLayout.h"

typedef struct _cairo cairo_t;

namespace plat {

class Image;

enum class LineCap { Butt, Round, Square };
enum class LineJoin { Miter, Round, Bevel };
enum class PathDrawingMode { Fill, EvenOddFill, Stroke, FillStroke };

class DrawContext {
 public:
  // Draws through `cr`, which the caller keeps alive; the context takes its own reference.
  explicit DrawContext(cairo_t* cr);
  ~DrawContext();
  DrawContext(const DrawContext&) = delete;
  DrawContext& operator=(const DrawContext&) = delete;

  cairo_t* cairo() const { return cr_; }

  // Graphics state: transform, clip, colours, line style and alpha.
  void save();
  void restore();

  void translate(double dx, double dy);
  void scale(double sx, double sy);
  void rotate(double radians);
  void concat(const AffineTransform& transform);
  AffineTransform transform() const;  // current user-to-device transform

  void setFillColor(const Color& color) { state_.fill = color; }
  void setStrokeColor(const Color& color) { state_.stroke = color; }
  Color fillColor() const { return state_.fill; }
  Color strokeColor() const { return state_.stroke; }
  void setAlpha(double alpha) { state_.alpha = alpha; }  // multiplies everything drawn
  double alpha() const { return state_.alpha; }
  void setLineWidth(double width);
  void setLineCap(LineCap cap);
  void setLineJoin(LineJoin join);
  void setLineDash(const std::vector<double>& lengths, double phase = 0);

  // The current path.
  void beginPath();
  void moveTo(Point p);
  void lineTo(Point p);
  void addRect(const Rect& r);
  void addRoundedRect(const Rect& r, double radius);
  void addEllipse(const Rect& r);
  // An arc around `center` from angle `start` to `end` (radians, 0 along +x, growing towards
  // +y); `clockwise` as seen on the screen.
  void addArc(Point center, double radius, double start, double end, bool clockwise);
  // A line towards p1 that turns into an arc of `radius` tangent to p0-p1 and p1-p2.
  void addArcToPoint(Point p1, Point p2, double radius);
  void closePath();
  bool hasCurrentPoint() const;

  // Paint the current path and clear it.
  void fillPath();
  void strokePath();
  void drawPath(PathDrawingMode mode);

  void fillRect(const Rect& r);
  void strokeRect(const Rect& r);
  void clearRect(const Rect& r);  // makes the pixels transparent
  void fillEllipse(const Rect& r);
  void strokeEllipse(const Rect& r);
  void strokeLine(Point from, Point to);

  void clipToRect(const Rect& r);
  void clip();  // to the current path, which is then cleared
  Rect clipBounds() const;

  // Images, scaled to the rectangle (stretchable images keep their caps).
  void drawImage(const Image& image, const Rect& rect);
  void drawImage(const Image& image, Point origin);  // at the image's own size

  // Text in the fill colour. In a rectangle: wrapped to its width, cut to the lines that fit
  // its height, aligned within it; returns the size of the drawn text.
  Size drawText(const std::string& text, const Rect& rect, const Font& font,
                LineBreakMode lineBreak = LineBreakMode::WordWrap,
                TextAlignment alignment = TextAlignment::Left);
  Size drawText(const std::string& text, Point origin, const Font& font);

  // Sets the cairo source to the fill or stroke colour with the context's alpha.
  void applyFillSource();
  void applyStrokeSource();

 private:
  struct State {
    Color fill = Color::black();
    Color stroke = Color::black();
    double alpha = 1;
  };
  cairo_t* cr_;
  State state_;
  std::vector<State> saved_;
};

}  // namespace plat
