// The share sheet of the process: a text, and a picture when there is one, handed over for
// sharing. On the desktop the sheet shows both and offers two ways out: the text to the
// clipboard, the picture as a PNG file in the Documents folder.
#pragma once

#include <memory>
#include <string>

#include "platform/draw/Image.h"
#include "platform/view/Button.h"
#include "platform/view/Label.h"
#include "platform/view/ViewController.h"

class ShareObject {
 public:
  static ShareObject* sharedObject();
  static void releaseShared();

  // Presents the sheet modally from `from`; `picture` may be null (the text alone is offered).
  void shareInfo_shareView(plat::ViewController* from, const std::string& text,
                           std::shared_ptr<plat::Image> picture);
  // The same with the picture as PNG data ("" for none), drawn at the screen's scale.
  void shareInfo_shareView(plat::ViewController* from, const std::string& text,
                           const std::string& pngData);

  // Where the next saved picture goes: "share_<n>.png" in Documents, the first free n.
  static std::string nextPicturePath();

 private:
  std::string wxText_;
  std::shared_ptr<plat::Image> wxImage_;
};

// The sheet itself: the text, the picture under it, and the actions.
class ShareSheetController : public plat::ViewController {
 public:
  ShareSheetController(std::string text, std::shared_ptr<plat::Image> picture);

  void loadView() override;
  void copyText();
  // False (and a message) when the file could not be written.
  bool savePicture();

  plat::Button* copyButton() const { return copyBtn_.get(); }
  plat::Button* saveButton() const { return saveBtn_.get(); }
  plat::Label* statusLabel() const { return statusLabel_.get(); }
  const std::string& savedPath() const { return savedPath_; }

 private:
  std::string text_;
  std::shared_ptr<plat::Image> picture_;
  std::shared_ptr<plat::Button> copyBtn_, saveBtn_, closeBtn_;
  std::shared_ptr<plat::Label> statusLabel_;
  std::string savedPath_;
};
