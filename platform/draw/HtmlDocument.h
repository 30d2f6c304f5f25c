// An HTML page laid out to a width and drawn through a DrawContext, for web views: its content
// height, its links, an element's inner HTML by id, and the link under a point. A page the HTML
// engine cannot lay out is shown as its plain text instead.
#pragma once

#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "platform/draw/DrawContext.h"
#include "platform/draw/Geometry.h"

namespace plat {

class HtmlDocument {
 public:
  // `baseURL` resolves relative links and images ("file:///.../help/"); "" for none.
  HtmlDocument(const std::string& html, const std::string& baseURL);
  ~HtmlDocument();
  HtmlDocument(const HtmlDocument&) = delete;
  HtmlDocument& operator=(const HtmlDocument&) = delete;

  // Lays the page out for a viewport `width` points wide; returns the content height.
  double layout(double width, double viewportHeight = 0);
  double contentHeight() const { return height_; }
  double contentWidth() const { return width_; }

  // Draws the page with its top left at `origin`, only what meets `clip` (page coordinates).
  void draw(DrawContext& context, Point origin, const Rect& clip);

  // Addresses of the page's links (<a href>), resolved against the base, in document order.
  std::vector<std::string> links() const;
  // The inner HTML of the element with that id; "" when there is none.
  std::string innerHTML(const std::string& id) const;
  std::string title() const;
  std::string plainText() const;
  const std::string& baseURL() const { return baseURL_; }

  // The resolved address of the link at `p` (page coordinates), "" when none is there.
  std::string linkAt(Point p);

  // True when the page is shown as plain text because it could not be laid out.
  bool isPlainTextFallback() const;

 private:
  struct Impl;
  std::unique_ptr<Impl> impl_;
  std::string baseURL_;
  double width_ = 0;
  double height_ = 0;
};

// Resolves `reference` against `base` as a browser does; absolute references stay as they are.
std::string resolveURL(const std::string& base, const std::string& reference);

// Reads a file address ("file:///a/b.css" or a plain path); nullopt for other schemes.
std::optional<std::string> readLocalURL(const std::string& url);

}  // namespace plat
