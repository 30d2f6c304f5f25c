#include "platform/draw/Image.h"

#include <cairo.h>

#include <cmath>
#include <cstdio>
#include <cstring>
#include <map>
#include <mutex>
#include <optional>
#include <set>

#include "platform/base/Bundle.h"
#include "platform/base/Files.h"
#include "platform/draw/DrawContext.h"

namespace plat {
namespace {

std::mutex namedMutex;
std::map<std::string, std::shared_ptr<Image>>& namedCache() {
  static std::map<std::string, std::shared_ptr<Image>> cache;
  return cache;
}
std::set<std::string>& reportedMissing() {
  static std::set<std::string> reported;
  return reported;
}

struct PngReader {
  const std::string* data;
  size_t offset = 0;
};

cairo_status_t readChunk(void* closure, unsigned char* out, unsigned int length) {
  auto* reader = static_cast<PngReader*>(closure);
  if (reader->data->size() - reader->offset < length) return CAIRO_STATUS_READ_ERROR;
  std::memcpy(out, reader->data->data() + reader->offset, length);
  reader->offset += length;
  return CAIRO_STATUS_SUCCESS;
}

cairo_status_t writeChunk(void* closure, const unsigned char* data, unsigned int length) {
  static_cast<std::string*>(closure)->append(reinterpret_cast<const char*>(data), length);
  return CAIRO_STATUS_SUCCESS;
}

std::shared_ptr<Image> adopt(cairo_surface_t* surface, double scale) {
  if (cairo_surface_status(surface) != CAIRO_STATUS_SUCCESS) {
    cairo_surface_destroy(surface);
    return nullptr;
  }
  auto image = std::make_shared<Image>(surface, scale);
  cairo_surface_destroy(surface);  // the image holds its own reference
  return image;
}

// Finds "<name>@2x.png" or "<name>.png" in the bundle; scale 2 for the former.
std::pair<std::string, double> bundlePath(const std::string& name) {
  std::string ext = files::pathExtension(name);
  std::string base = ext.empty() ? name : files::deletingPathExtension(name);
  if (ext.empty()) ext = "png";
  const Bundle& bundle = Bundle::main();
  std::string retina = bundle.pathForResource(base + "@2x", ext);
  if (!retina.empty()) return {retina, 2.0};
  return {bundle.pathForResource(base, ext), 1.0};
}

// Source and destination spans of one axis split into start cap, middle and end cap.
struct Span {
  double src0, src1, dst0, dst1;
};

void axisSpans(double srcLen, double cap, double dstLen, Span out[3], int& count) {
  if (cap <= 0 || cap >= srcLen) {
    out[0] = {0, srcLen, 0, dstLen};
    count = 1;
    return;
  }
  double endCap = srcLen - cap - 1;
  double shrink = cap + endCap > dstLen ? dstLen / (cap + endCap) : 1;  // too small: caps shrink
  double startDst = cap * shrink;
  double endDst = endCap * shrink;
  out[0] = {0, cap, 0, startDst};
  out[1] = {cap, cap + 1, startDst, dstLen - endDst};
  out[2] = {cap + 1, srcLen, dstLen - endDst, dstLen};
  count = 3;
}

// Whether each row of a block of pixels holds one value (the block is uniform along x), and
// whether each column does (uniform along y).
struct Uniformity {
  bool alongX = false, alongY = false;
};

Uniformity uniformity(cairo_surface_t* surface, double x0, double y0, double w, double h) {
  const cairo_format_t format = cairo_image_surface_get_format(surface);
  const bool whole =
      x0 == std::floor(x0) && y0 == std::floor(y0) && w == std::floor(w) && h == std::floor(h);
  if (!whole || (format != CAIRO_FORMAT_ARGB32 && format != CAIRO_FORMAT_RGB24)) return {};
  cairo_surface_flush(surface);
  const unsigned char* data = cairo_image_surface_get_data(surface);
  const int stride = cairo_image_surface_get_stride(surface);
  const uint32_t mask = format == CAIRO_FORMAT_RGB24 ? 0xFFFFFF : 0xFFFFFFFF;
  auto at = [&](int x, int y) {
    uint32_t value;
    std::memcpy(&value, data + (int(y0) + y) * stride + 4 * (int(x0) + x), 4);
    return value & mask;
  };
  Uniformity u{true, true};
  for (int y = 0; y < int(h) && (u.alongX || u.alongY); ++y) {
    for (int x = 0; x < int(w); ++x) {
      u.alongX = u.alongX && at(x, y) == at(0, y);
      u.alongY = u.alongY && at(x, y) == at(x, 0);
    }
  }
  return u;
}

// Whether bilinear filtering of a source drawn through the device matrix `m` gives exactly the
// nearest pixel's value: along each axis either the source does not change or its pixels land
// one to one on device pixels, so every sample falls between equal values or on a pixel's
// centre. Nearest sampling of a stretched background is many times faster.
bool samplesExactly(const cairo_matrix_t& m, Uniformity u) {
  auto whole = [](double v) { return std::abs(v - std::round(v)) < 1e-6; };
  if (m.xy != 0 || m.yx != 0) return false;
  const bool x = u.alongX || (std::abs(m.xx - 1) < 1e-9 && whole(m.x0));
  const bool y = u.alongY || (std::abs(m.yy - 1) < 1e-9 && whole(m.y0));
  return x && y;
}

}  // namespace

Image::Image(cairo_surface_t* surface, double scale)
    : surface_(cairo_surface_reference(surface)), scale_(scale > 0 ? scale : 1) {}

Image::~Image() {
  cairo_surface_destroy(surface_);
}

std::shared_ptr<Image> Image::named(const std::string& name) {
  auto [path, scale] = bundlePath(name);
  std::lock_guard<std::mutex> lock(namedMutex);
  std::string key = path.empty() ? Bundle::main().path() + "|" + name : path;
  auto found = namedCache().find(key);
  if (found != namedCache().end()) return found->second;
  std::shared_ptr<Image> image = path.empty() ? nullptr : fromFile(path, scale);
  if (!image && reportedMissing().insert(key).second) {
    std::fprintf(stderr, "image \"%s\" is not in the bundle %s\n", name.c_str(),
                 Bundle::main().path().c_str());
  }
  namedCache()[key] = image;
  return image;
}

void Image::clearNamedCache() {
  std::lock_guard<std::mutex> lock(namedMutex);
  namedCache().clear();
}

std::shared_ptr<Image> Image::fromFile(const std::string& path, double scale) {
  std::optional<std::string> data = files::readFile(path);
  if (!data) return nullptr;
  return fromPNGData(*data, scale);
}

std::shared_ptr<Image> Image::fromPNGData(const std::string& data, double scale) {
  PngReader reader{&data};
  return adopt(cairo_image_surface_create_from_png_stream(readChunk, &reader), scale);
}

Size Image::size() const {
  return {pixelWidth() / scale_, pixelHeight() / scale_};
}
int Image::pixelWidth() const {
  return cairo_image_surface_get_width(surface_);
}
int Image::pixelHeight() const {
  return cairo_image_surface_get_height(surface_);
}

std::shared_ptr<Image> Image::stretchable(double leftCap, double topCap) const {
  auto copy = std::make_shared<Image>(surface_, scale_);
  copy->leftCap_ = leftCap > 0 ? leftCap : 0;
  copy->topCap_ = topCap > 0 ? topCap : 0;
  return copy;
}

void Image::draw(DrawContext& context, const Rect& rect) const {
  if (rect.width <= 0 || rect.height <= 0) return;
  Size own = size();
  Span xs[3], ys[3];
  int nx = 0, ny = 0;
  axisSpans(own.width, leftCap_, rect.width, xs, nx);
  axisSpans(own.height, topCap_, rect.height, ys, ny);
  cairo_t* cr = context.cairo();
  // Where cells meet inside the image, the border lies on a device pixel: two cells that each
  // half cover one pixel would leave it half transparent, a seam.
  if (nx > 1 || ny > 1) {
    auto snap = [cr](double& value, bool horizontal) {
      double x = horizontal ? value : 0, y = horizontal ? 0 : value;
      cairo_user_to_device(cr, &x, &y);
      (horizontal ? x : y) = std::round(horizontal ? x : y);
      cairo_device_to_user(cr, &x, &y);
      value = horizontal ? x : y;
    };
    for (int i = 1; i < nx; ++i) {
      double border = rect.x + xs[i].dst0;
      snap(border, true);
      xs[i].dst0 = xs[i - 1].dst1 = border - rect.x;
    }
    for (int j = 1; j < ny; ++j) {
      double border = rect.y + ys[j].dst0;
      snap(border, false);
      ys[j].dst0 = ys[j - 1].dst1 = border - rect.y;
    }
  }
  for (int i = 0; i < nx; ++i) {
    for (int j = 0; j < ny; ++j) {
      const Span& sx = xs[i];
      const Span& sy = ys[j];
      double dw = sx.dst1 - sx.dst0, dh = sy.dst1 - sy.dst0;
      double sw = sx.src1 - sx.src0, sh = sy.src1 - sy.src0;
      if (dw <= 0 || dh <= 0 || sw <= 0 || sh <= 0) continue;
      // Each cell samples only its own pixels, so filtering cannot bleed across the caps.
      cairo_surface_t* cell = cairo_surface_create_for_rectangle(
          surface_, sx.src0 * scale_, sy.src0 * scale_, sw * scale_, sh * scale_);
      cairo_save(cr);
      cairo_rectangle(cr, rect.x + sx.dst0, rect.y + sy.dst0, dw, dh);
      cairo_clip(cr);
      cairo_translate(cr, rect.x + sx.dst0, rect.y + sy.dst0);
      cairo_scale(cr, dw / (sw * scale_), dh / (sh * scale_));
      cairo_set_source_surface(cr, cell, 0, 0);
      cairo_pattern_set_extend(cairo_get_source(cr), CAIRO_EXTEND_PAD);
      cairo_matrix_t device;
      cairo_get_matrix(cr, &device);
      const Uniformity u =
          uniformity(surface_, sx.src0 * scale_, sy.src0 * scale_, sw * scale_, sh * scale_);
      cairo_pattern_set_filter(cairo_get_source(cr), samplesExactly(device, u)
                                                         ? CAIRO_FILTER_NEAREST
                                                         : CAIRO_FILTER_BILINEAR);
      cairo_paint_with_alpha(cr, context.alpha());
      cairo_surface_destroy(cell);
      cairo_restore(cr);
    }
  }
}

std::string Image::pngData() const {
  std::string out;
  cairo_surface_flush(surface_);
  if (cairo_surface_write_to_png_stream(surface_, writeChunk, &out) != CAIRO_STATUS_SUCCESS) {
    return "";
  }
  return out;
}

bool Image::writePNG(const std::string& path) const {
  std::string data = pngData();
  return !data.empty() && files::writeFileAtomically(path, data);
}

Color Image::pixel(int x, int y) const {
  if (x < 0 || y < 0 || x >= pixelWidth() || y >= pixelHeight()) return Color::clear();
  cairo_surface_flush(surface_);
  const unsigned char* row =
      cairo_image_surface_get_data(surface_) + y * cairo_image_surface_get_stride(surface_);
  uint32_t value;
  std::memcpy(&value, row + 4 * x, 4);
  bool hasAlpha = cairo_image_surface_get_format(surface_) == CAIRO_FORMAT_ARGB32;
  double a = hasAlpha ? ((value >> 24) & 0xff) / 255.0 : 1.0;
  if (a <= 0) return Color::clear();
  double r = ((value >> 16) & 0xff) / 255.0, g = ((value >> 8) & 0xff) / 255.0,
         b = (value & 0xff) / 255.0;
  return {std::min(1.0, r / a), std::min(1.0, g / a), std::min(1.0, b / a), a};
}

}  // namespace plat
