// The share sheet: the text to the clipboard, the picture saved as a PNG in Documents.
#include <gtest/gtest.h>

#include "platform/base/AppHome.h"
#include "platform/base/Files.h"
#include "platform/draw/ImageContext.h"
#include "platform/view/Clipboard.h"
#include "settings/ShareObject.h"
#include "tests/stats/ScreenFixture.h"
#include "ui/BaseViewController.h"

namespace {

class ShareSheetTest : public screentest::ScreenTest<BaseViewController> {
 protected:
  std::shared_ptr<ShareSheetController> share(const std::string& text,
                                              std::shared_ptr<plat::Image> picture) {
    ShareObject::sharedObject()->shareInfo_shareView(&screen(), text, std::move(picture));
    settle();
    plat::ViewController* shown = app_->nav->presentedViewController();
    return shown ? std::dynamic_pointer_cast<ShareSheetController>(shown->shared_from_this())
                 : nullptr;
  }
  static std::shared_ptr<plat::Image> picture() {
    plat::ImageContext image({200, 120}, false, 2);
    image.context().setFillColor(plat::Color::rgb255(57, 156, 102));
    image.context().fillRect({0, 0, 200, 120});
    image.context().setFillColor(plat::Color::white());
    image.context().drawText("签到 28 天", {20, 40, 160, 40}, plat::Font::boldSystem(24));
    return image.takeImage();
  }
};

TEST_F(ShareSheetTest, CopiesTheTextAndSavesThePictureAsAPng) {
  open();
  const std::string text = "按记忆规律复习，记得又快又牢！ www.vocab.example.org";
  std::shared_ptr<ShareSheetController> sheet = share(text, picture());
  ASSERT_NE(sheet, nullptr);
  writeScreen("share_sheet.png");
  ASSERT_TRUE(host_->tap(sheet->copyButton()));
  settle();
  EXPECT_EQ(plat::Clipboard::general().text(), text);
  EXPECT_EQ(app_->nav->presentedViewController(), nullptr);

  // A Documents folder that cannot be written: a message, no file, the sheet stays.
  const std::string documents = plat::AppHome::documentsDir();
  const std::string aside = documents + ".aside";
  ASSERT_TRUE(plat::files::createDirectories(documents));
  ASSERT_EQ(std::rename(documents.c_str(), aside.c_str()), 0);
  ASSERT_TRUE(plat::files::writeFileAtomically(documents, "not a folder"));
  sheet = share(text, picture());
  ASSERT_NE(sheet, nullptr);
  ASSERT_TRUE(host_->tap(sheet->saveButton()));
  settle();
  EXPECT_EQ(sheet->statusLabel()->text(), "图片没有保存，请检查存储空间后再试");
  EXPECT_EQ(app_->nav->presentedViewController(), sheet.get());
  ASSERT_EQ(std::remove(documents.c_str()), 0);
  ASSERT_EQ(std::rename(aside.c_str(), documents.c_str()), 0);

  ASSERT_TRUE(host_->tap(sheet->saveButton()));
  settle();
  EXPECT_EQ(sheet->savedPath(), documents + "/share_1.png");
  auto saved = plat::Image::fromFile(sheet->savedPath(), 2);
  ASSERT_TRUE(saved) << "the saved file opens as a picture";
  EXPECT_EQ(saved->size(), (plat::Size{200, 120}));
  EXPECT_EQ(ShareObject::nextPicturePath(), documents + "/share_2.png");
  EXPECT_EQ(app_->nav->presentedViewController(), nullptr);

  // The text alone offers nothing to save.
  sheet = share("只有文字", nullptr);
  ASSERT_NE(sheet, nullptr);
  EXPECT_EQ(sheet->saveButton(), nullptr);
  ShareObject::releaseShared();
}

}  // namespace
