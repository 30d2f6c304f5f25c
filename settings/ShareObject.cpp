#include "settings/ShareObject.h"

#include <algorithm>

#include "platform/base/AppHome.h"
#include "platform/base/Files.h"
#include "platform/view/Clipboard.h"
#include "platform/view/ImageView.h"
#include "platform/view/Label.h"
#include "platform/view/Screen.h"
#include "ui/MyAlerView.h"

using namespace plat;

namespace {

std::unique_ptr<ShareObject>& shared() {
  static std::unique_ptr<ShareObject> object;
  return object;
}

constexpr double kMargin = 16;
constexpr double kButtonHeight = 40;

void showMessage(const std::string& text) {
  if (auto view = MyAlerView::sharedAler()) view->ViewShow(text);
}

std::shared_ptr<Button> actionButton(const std::string& title, const Color& fill) {
  auto button = Button::create(ButtonType::Custom);
  button->setTitle(title);
  button->titleLabel().setFont(Font::boldSystem(15));
  button->setTitleColor(Color::white());
  button->setBackgroundColor(fill);
  button->setCornerRadius(6);
  return button;
}

}  // namespace

ShareObject* ShareObject::sharedObject() {
  if (!shared()) shared() = std::make_unique<ShareObject>();
  return shared().get();
}

void ShareObject::releaseShared() {
  shared().reset();
}

void ShareObject::shareInfo_shareView(ViewController* from, const std::string& text,
                                      std::shared_ptr<Image> picture) {
  wxText_ = text;
  wxImage_ = picture;
  if (!from) return;
  from->presentViewController(std::make_shared<ShareSheetController>(text, std::move(picture)),
                              true);
}

void ShareObject::shareInfo_shareView(ViewController* from, const std::string& text,
                                      const std::string& pngData) {
  std::shared_ptr<Image> picture;
  if (!pngData.empty()) picture = Image::fromPNGData(pngData, Screen::main().scale());
  shareInfo_shareView(from, text, std::move(picture));
}

std::string ShareObject::nextPicturePath() {
  const std::string folder = AppHome::documentsDir();
  for (int n = 1;; ++n) {
    std::string path = folder + "/share_" + std::to_string(n) + ".png";
    if (!files::exists(path)) return path;
  }
}

ShareSheetController::ShareSheetController(std::string text, std::shared_ptr<Image> picture)
    : text_(std::move(text)), picture_(std::move(picture)) {}

void ShareSheetController::loadView() {
  const Rect frame = Screen::main().applicationFrame();
  auto root = std::make_shared<View>(frame);
  root->setBackgroundColor(Color::rgb255(245, 247, 246));
  const double width = frame.width - 2 * kMargin;
  double y = kMargin + 10;

  auto heading = std::make_shared<Label>(Rect{kMargin, y, width, 24});
  heading->setText("分享");
  heading->setFont(Font::boldSystem(18));
  heading->setTextAlignment(TextAlignment::Center);
  heading->setBackgroundColor(Color::clear());
  root->addSubview(heading);
  y += 34;

  auto text = std::make_shared<Label>(Rect{kMargin, y, width, 0});
  text->setText(text_);
  text->setFont(Font::system(15));
  text->setNumberOfLines(0);
  text->setBackgroundColor(Color::clear());
  const double textHeight = text->sizeThatFits({width, 2000}).height;
  text->setFrame({kMargin, y, width, textHeight});
  root->addSubview(text);
  y += textHeight + 12;

  // Room left for the actions below; the picture shrinks to what remains, never grows.
  const double actions = (picture_ ? 3 : 2) * (kButtonHeight + 10) + kMargin;
  if (picture_) {
    const Size size = picture_->size();
    const double room = std::max(40.0, frame.height - y - actions);
    const double scale = std::min({1.0, width / size.width, room / size.height});
    auto image = std::make_shared<ImageView>(Rect{kMargin + (width - size.width * scale) / 2, y,
                                                  size.width * scale, size.height * scale});
    image->setImage(picture_);
    image->setContentMode(ContentMode::ScaleAspectFit);
    root->addSubview(image);
    y += size.height * scale + 12;
  }

  const Color green = Color::rgb255(57, 156, 102);
  copyBtn_ = actionButton("复制文字", green);
  copyBtn_->addTarget([this](Control&) { copyText(); }, kTouchUpInside);
  std::vector<std::shared_ptr<Button>> buttons = {copyBtn_};
  if (picture_) {
    saveBtn_ = actionButton("保存图片", green);
    saveBtn_->addTarget([this](Control&) { savePicture(); }, kTouchUpInside);
    buttons.push_back(saveBtn_);
  }
  closeBtn_ = actionButton("取消", Color::rgb255(150, 156, 153));
  closeBtn_->addTarget(
      [this](Control&) {
        auto keep = shared_from_this();
        dismissViewController(false);
      },
      kTouchUpInside);
  buttons.push_back(closeBtn_);
  for (const auto& button : buttons) {
    button->setFrame({kMargin, y, width, kButtonHeight});
    root->addSubview(button);
    y += kButtonHeight + 10;
  }
  statusLabel_ = std::make_shared<Label>(Rect{kMargin, y, width, 20});
  statusLabel_->setFont(Font::system(13));
  statusLabel_->setTextColor(Color::rgb255(200, 60, 50));
  statusLabel_->setTextAlignment(TextAlignment::Center);
  statusLabel_->setBackgroundColor(Color::clear());
  root->addSubview(statusLabel_);
  setView(root);
}

void ShareSheetController::copyText() {
  // Dismissing lets the sheet go; it stays alive until its action has ended.
  auto keep = shared_from_this();
  Clipboard::general().setText(text_);
  dismissViewController(false);
}

bool ShareSheetController::savePicture() {
  auto keep = shared_from_this();
  const std::string png = picture_ ? picture_->pngData() : "";
  const std::string path = ShareObject::nextPicturePath();
  if (png.empty() || !files::createDirectories(AppHome::documentsDir()) ||
      !files::writeFileAtomically(path, png)) {
    // The sheet stays, with the reason on it: the message view lies under it.
    statusLabel_->setText("图片没有保存，请检查存储空间后再试");
    return false;
  }
  savedPath_ = path;
  dismissViewController(false);
  showMessage("图片已保存到文稿：" + path.substr(path.rfind('/') + 1));
  return true;
}
