// What the HTML engine draws and measures through: fonts and text by pango, boxes, borders,
// backgrounds and images by the DrawContext, images and style sheets read from file addresses.
#pragma once

#include <litehtml.h>

#include <map>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "platform/draw/DrawContext.h"
#include "platform/draw/Image.h"

namespace plat {

class HtmlContainer final : public litehtml::document_container {
 public:
  explicit HtmlContainer(std::string baseURL);
  ~HtmlContainer();

  void setViewport(int width, int height) {
    viewportWidth_ = width;
    viewportHeight_ = height;
  }
  const std::string& baseURL() const { return baseURL_; }
  const std::string& caption() const { return caption_; }
  // The address of the last link the engine reported clicked; cleared by takeClickedURL.
  std::string takeClickedURL();

  // During drawing: the context that clipping acts on.
  void beginDrawing(DrawContext* context) { drawing_ = context; }
  void endDrawing();

  litehtml::uint_ptr create_font(const litehtml::tchar_t* faceName, int size, int weight,
                                 litehtml::font_style italic, unsigned int decoration,
                                 litehtml::font_metrics* fm) override;
  void delete_font(litehtml::uint_ptr hFont) override;
  int text_width(const litehtml::tchar_t* text, litehtml::uint_ptr hFont) override;
  void draw_text(litehtml::uint_ptr hdc, const litehtml::tchar_t* text, litehtml::uint_ptr hFont,
                 litehtml::web_color color, const litehtml::position& pos) override;
  int pt_to_px(int pt) const override;
  int get_default_font_size() const override;
  const litehtml::tchar_t* get_default_font_name() const override;
  void draw_list_marker(litehtml::uint_ptr hdc, const litehtml::list_marker& marker) override;
  void load_image(const litehtml::tchar_t* src, const litehtml::tchar_t* baseurl,
                  bool redraw_on_ready) override;
  void get_image_size(const litehtml::tchar_t* src, const litehtml::tchar_t* baseurl,
                      litehtml::size& sz) override;
  void draw_background(litehtml::uint_ptr hdc, const litehtml::background_paint& bg) override;
  void draw_borders(litehtml::uint_ptr hdc, const litehtml::borders& borders,
                    const litehtml::position& draw_pos, bool root) override;
  void set_caption(const litehtml::tchar_t* caption) override;
  void set_base_url(const litehtml::tchar_t* base_url) override;
  void link(const std::shared_ptr<litehtml::document>& doc,
            const litehtml::element::ptr& el) override;
  void on_anchor_click(const litehtml::tchar_t* url, const litehtml::element::ptr& el) override;
  void set_cursor(const litehtml::tchar_t* cursor) override;
  void transform_text(litehtml::tstring& text, litehtml::text_transform tt) override;
  void import_css(litehtml::tstring& text, const litehtml::tstring& url,
                  litehtml::tstring& baseurl) override;
  void set_clip(const litehtml::position& pos, const litehtml::border_radiuses& bdr_radius,
                bool valid_x, bool valid_y) override;
  void del_clip() override;
  void get_client_rect(litehtml::position& client) const override;
  std::shared_ptr<litehtml::element> create_element(
      const litehtml::tchar_t* tag_name, const litehtml::string_map& attributes,
      const std::shared_ptr<litehtml::document>& doc) override;
  void get_media_features(litehtml::media_features& media) const override;
  void get_language(litehtml::tstring& language, litehtml::tstring& culture) const override;
  void split_text(const char* text, const std::function<void(const litehtml::tchar_t*)>& on_word,
                  const std::function<void(const litehtml::tchar_t*)>& on_space) override;

 private:
  struct HtmlFont;
  std::shared_ptr<Image> imageFor(const std::string& src, const char* baseurl);
  std::string resolve(const std::string& src, const char* baseurl) const;

  std::string baseURL_;
  std::string caption_;
  std::string clickedURL_;
  int viewportWidth_ = 320;
  int viewportHeight_ = 480;
  std::map<std::string, std::shared_ptr<Image>> images_;
  std::vector<std::unique_ptr<HtmlFont>> fonts_;
  DrawContext* drawing_ = nullptr;
  int clipDepth_ = 0;
};

}  // namespace plat
