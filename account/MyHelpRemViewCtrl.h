// The learner's own mnemonic or grammar note of a word, page 1 of the word note screen: the own
// note, editable up to its length limit and kept on the device, with a button that shares it;
// below it the note adopted from another learner, read-only, with a button that clears it.
#pragma once

#include <cstdint>
#include <memory>
#include <string>

#include "online/HelpRemember.h"
#include "platform/view/Button.h"
#include "platform/view/Label.h"
#include "platform/view/TextView.h"
#include "platform/view/ViewController.h"
#include "ui/MyTextView.h"

class MyHelpRemDelegate {
 public:
  virtual ~MyHelpRemDelegate() = default;
  // The own note was shared.
  virtual void shareHelpRemInfoFinish() {}
};

class MyHelpRemViewCtrl : public plat::ViewController,
                          public plat::TextViewDelegate,
                          public HelpRememberDelegate {
 public:
  // Lengths in UTF-16 units.
  static constexpr int64_t kMnemonicLimit = 150;
  static constexpr int64_t kGrammarLimit = 280;

  MyHelpRemViewCtrl();

  void setDeleage(MyHelpRemDelegate* delegate) { deleage_ = delegate; }
  void setIViewType(int64_t type) { iViewType_ = type; }
  void setWordName(std::string word) { wordName_ = std::move(word); }

  void viewDidLoad() override;
  void willAppearView();
  void willDisAppearView() { leaveEditMode(); }
  void shareHelpInfo();
  void clearAcceptInfo();
  void shareinfo_callback() override;
  // Stores the own note when it changed.
  void leaveEditMode();

  // Own note editing
  bool shouldBeginEditing(plat::TextView&) override;
  bool shouldEndEditing(plat::TextView&) override;
  bool shouldChangeText(plat::TextView&, plat::TextRange range,
                        const std::string& replacement) override;
  void didChange(plat::TextView&) override;

  // Keyboard layout, driven by the note screen: the keyboard covers `height` of the page.
  void in_edit_callback(bool isRotate, double height);
  void in_edit_callback2(double heightChange);
  void leave_edit_callback(bool isRotate);

  MyTextView& helpRemText() const { return *helpRemText_; }
  MyTextView& acceptRemText() const { return *acceptRemText_; }
  plat::Button& sharedBtn() const { return *sharedBtn_; }
  plat::Button& clearBtn() const { return *clearBtn_; }
  plat::View& downView() const { return *downView_; }
  int64_t wordsLimit() const { return wordsLimit_; }

 private:
  void growUpperArea(double by);

  std::shared_ptr<plat::View> upView_, downView_;
  std::unique_ptr<HelpRemember> helpRemember_;
  std::shared_ptr<MyTextView> helpRemText_, acceptRemText_;
  std::shared_ptr<plat::Label> tempLabel1_, tempLabel2_;
  std::shared_ptr<plat::Button> sharedBtn_, clearBtn_;
  std::string wordName_;
  std::string tempHelpInfo_;
  double tempHeight_ = 0;
  int64_t wordsLimit_ = kMnemonicLimit;
  MyHelpRemDelegate* deleage_ = nullptr;
  int64_t iViewType_ = 1;
};
