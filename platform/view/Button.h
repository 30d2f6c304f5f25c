// A button: a title, an image and a background image for each control state (falling back to
// the normal state), laid out by the content alignment and the content, title and image insets.
#pragma once

#include <map>
#include <memory>
#include <string>

#include "platform/draw/Image.h"
#include "platform/view/Control.h"
#include "platform/view/ImageView.h"
#include "platform/view/Label.h"

namespace plat {

enum class ButtonType { Custom, System, DetailDisclosure, InfoLight, ContactAdd };

class Button : public Control {
 public:
  explicit Button(ButtonType type = ButtonType::Custom, const Rect& frame = {});
  static std::shared_ptr<Button> create(ButtonType type = ButtonType::Custom,
                                        const Rect& frame = {});

  ButtonType buttonType() const { return type_; }

  void setTitle(const std::string& title, unsigned state = kStateNormal);
  std::string titleForState(unsigned state) const;
  void setTitleColor(const Color& color, unsigned state = kStateNormal);
  Color titleColorForState(unsigned state) const;
  void setTitleShadowColor(const Color& color, unsigned state = kStateNormal);
  void setImage(std::shared_ptr<Image> image, unsigned state = kStateNormal);
  std::shared_ptr<Image> imageForState(unsigned state) const;
  void setBackgroundImage(std::shared_ptr<Image> image, unsigned state = kStateNormal);
  std::shared_ptr<Image> backgroundImageForState(unsigned state) const;

  std::string currentTitle() const { return titleForState(state()); }
  Color currentTitleColor() const { return titleColorForState(state()); }
  std::shared_ptr<Image> currentImage() const { return imageForState(state()); }
  std::shared_ptr<Image> currentBackgroundImage() const { return backgroundImageForState(state()); }

  Label& titleLabel() { return *titleLabel_; }
  const Label& titleLabel() const { return *titleLabel_; }
  ImageView& imageView() { return *imageView_; }

  EdgeInsets contentEdgeInsets() const { return contentInsets_; }
  void setContentEdgeInsets(const EdgeInsets& insets);
  EdgeInsets titleEdgeInsets() const { return titleInsets_; }
  void setTitleEdgeInsets(const EdgeInsets& insets);
  EdgeInsets imageEdgeInsets() const { return imageInsets_; }
  void setImageEdgeInsets(const EdgeInsets& insets);

  bool adjustsImageWhenHighlighted() const { return adjustsWhenHighlighted_; }
  void setAdjustsImageWhenHighlighted(bool on) { adjustsWhenHighlighted_ = on; }
  bool adjustsImageWhenDisabled() const { return adjustsWhenDisabled_; }
  void setAdjustsImageWhenDisabled(bool on) { adjustsWhenDisabled_ = on; }
  bool showsTouchWhenHighlighted() const { return showsTouch_; }
  void setShowsTouchWhenHighlighted(bool on) { showsTouch_ = on; }

  void setEnabled(bool enabled) override;
  void setSelected(bool selected) override;
  void setHighlighted(bool highlighted) override;

  Size sizeThatFits(Size size) const override;
  void layoutSubviews() override;
  void drawRect(DrawContext& context, const Rect& rect) override;
  std::string displayedText() const override { return currentTitle(); }

 private:
  template <typename T>
  T lookup(const std::map<unsigned, T>& values, unsigned state, const T& fallback) const;
  void refresh();  // the labels and image of the current state
  // The current title's one-line size. A button is laid out again at every change of its state;
  // the size is measured again only when the title or its font changed.
  Size titleSize() const;

  ButtonType type_;
  std::shared_ptr<Label> titleLabel_;
  std::shared_ptr<ImageView> imageView_;
  std::map<unsigned, std::string> titles_;
  std::map<unsigned, Color> titleColors_;
  std::map<unsigned, Color> shadowColors_;
  std::map<unsigned, std::shared_ptr<Image>> images_;
  std::map<unsigned, std::shared_ptr<Image>> backgrounds_;
  EdgeInsets contentInsets_;
  EdgeInsets titleInsets_;
  EdgeInsets imageInsets_;
  bool adjustsWhenHighlighted_ = true;
  bool adjustsWhenDisabled_ = true;
  bool showsTouch_ = false;
  mutable std::string measuredTitle_;
  mutable Font measuredFont_;
  mutable Size measuredSize_;
};

}  // namespace plat
