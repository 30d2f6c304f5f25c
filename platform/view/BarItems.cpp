#include "platform/view/BarItems.h"

#include "platform/view/View.h"

namespace plat {

BarButtonItem::BarButtonItem(const std::string& title, BarButtonStyle style, Action action)
    : title_(title), style_(style), action_(std::move(action)) {}

BarButtonItem::BarButtonItem(std::shared_ptr<Image> image, BarButtonStyle style, Action action)
    : image_(std::move(image)), style_(style), action_(std::move(action)) {}

BarButtonItem::BarButtonItem(std::shared_ptr<View> customView)
    : customView_(std::move(customView)) {}

}  // namespace plat
