// A full phone screen of 40 labelled table rows drawn into a 640 x 1136 image through the view
// tree, against the same rows filled and laid out by cairo and pango directly.
#include <benchmark/benchmark.h>
#include <pango/pangocairo.h>

#include <memory>
#include <string>

#include "bench/support/Ratio.h"
#include "platform/base/RunLoop.h"
#include "platform/view/TableView.h"
#include "platform/view/ViewRenderer.h"
#include "platform/view/Window.h"

namespace {

constexpr int kRows = 40;
constexpr double kWidth = 320, kHeight = 568, kScale = 2;
constexpr double kRowHeight = kHeight / kRows;
constexpr double kFontSize = 11;

std::string rowText(int row) {
  return "第 " + std::to_string(row) + " 行 abandon 放弃";
}

class Rows : public plat::TableViewDataSource {
 public:
  int numberOfRows(plat::TableView&, int) override { return kRows; }
  std::shared_ptr<plat::TableViewCell> cellForRow(plat::TableView& table,
                                                  const plat::IndexPath& ip) override {
    auto cell = table.dequeueReusableCell("row");
    if (!cell) cell = plat::TableViewCell::create(plat::TableViewCellStyle::Default, "row");
    cell->textLabel().setFont(plat::Font::system(kFontSize));
    cell->textLabel().setText(rowText(ip.row));
    return cell;
  }
};

void BM_ViewTree(benchmark::State& state) {
  plat::RunLoop::setMainThread();
  Rows rows;
  auto window = std::make_shared<plat::Window>(plat::Rect(0, 0, kWidth, kHeight));
  auto table = std::make_shared<plat::TableView>(plat::Rect(0, 0, kWidth, kHeight));
  table->setRowHeight(kRowHeight);
  table->setDataSource(&rows);
  window->addSubview(table);
  window->makeKeyAndVisible();
  window->layoutIfNeeded();
  for (auto _ : state) {
    auto image = plat::ViewRenderer::renderView(*window, kScale);
    benchmark::DoNotOptimize(image);
  }
}
BENCHMARK(BM_ViewTree)->Unit(benchmark::kMicrosecond);

void BM_CairoPango(benchmark::State& state) {
  PangoFontDescription* font = pango_font_description_from_string("WenQuanYi Micro Hei");
  pango_font_description_set_absolute_size(font, kFontSize * PANGO_SCALE);
  for (auto _ : state) {
    cairo_surface_t* surface = cairo_image_surface_create(CAIRO_FORMAT_ARGB32, int(kWidth * kScale),
                                                          int(kHeight * kScale));
    cairo_t* cr = cairo_create(surface);
    cairo_scale(cr, kScale, kScale);
    cairo_set_source_rgb(cr, 1, 1, 1);
    cairo_paint(cr);
    for (int row = 0; row < kRows; ++row) {
      double top = row * kRowHeight;
      cairo_set_source_rgb(cr, 0.78, 0.78, 0.78);
      cairo_rectangle(cr, 15, top + kRowHeight - 0.5, kWidth - 15, 0.5);
      cairo_fill(cr);
      PangoLayout* layout = pango_cairo_create_layout(cr);
      pango_layout_set_font_description(layout, font);
      std::string text = rowText(row);
      pango_layout_set_text(layout, text.data(), int(text.size()));
      pango_layout_set_width(layout, int((kWidth - 30) * PANGO_SCALE));
      pango_layout_set_ellipsize(layout, PANGO_ELLIPSIZE_END);
      int height = 0;
      pango_layout_get_pixel_size(layout, nullptr, &height);
      cairo_set_source_rgb(cr, 0, 0, 0);
      cairo_move_to(cr, 15, top + (kRowHeight - height) / 2);
      pango_cairo_show_layout(cr, layout);
      g_object_unref(layout);
    }
    cairo_destroy(cr);
    cairo_surface_flush(surface);
    benchmark::DoNotOptimize(cairo_image_surface_get_data(surface));
    cairo_surface_destroy(surface);
  }
  pango_font_description_free(font);
}
BENCHMARK(BM_CairoPango)->Unit(benchmark::kMicrosecond);

}  // namespace

int main(int argc, char** argv) {
  return bench::runWithRatios(argc, argv, {{"render_vs_cairo", "BM_ViewTree", "BM_CairoPango"}});
}
