// The text page of the word-book tab: English text typed, pasted or loaded from a text file,
// with a fast-scroll slider for long texts, and a button that extracts the text's dictionary
// words on a thread of its own behind the progress panel and opens them as word lists. The text
// and its scroll position are kept across launches.
#pragma once

#include <atomic>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "books/BookFileController.h"
#include "books/SliderView.h"
#include "platform/base/Value.h"
#include "platform/view/Button.h"
#include "platform/view/ImageView.h"
#include "platform/view/ViewController.h"
#include "ui/MyTextView.h"

class LearnView : public plat::ViewController,
                  public BookFileControllerDeleage,
                  public SliderViewDeleage,
                  public plat::TextViewDelegate {
 public:
  static constexpr const char* kProgressRow = "正在提取单词";

  LearnView() = default;
  ~LearnView() override;

  void loadView() override;
  void viewDidLoad() override;

  // The tab: its navigation stack pushes screens and its title is their back title.
  void setParent(plat::ViewController* parent) { parent_ = parent; }

  // ---- Called by the tab
  void DidAppearView();
  using plat::ViewController::willAnimateRotationToInterfaceOrientation;
  void willAnimateRotationToInterfaceOrientation();
  void in_edit_callback(double coveredHeight, bool isRotate);
  void in_edit_callback2(double difference);
  void leave_edit_callback(bool isRotate);
  void save_textInfo();
  // Saves the text a moment after it changed (typed, pasted, loaded or cleared), so that a
  // killed program keeps it; changes meanwhile ride along.
  void saveSoon();

  // ---- Buttons
  void addNewWord();
  void addNewWordFromFile();
  void clearBtn();
  void leaveEditMode();

  // ---- Delegates
  void selectFile_CallBack(const std::string& fileName, const std::string& text) override;
  void slider_valuechange(int value) override;
  void slider_endDrag() override;
  void didChange(plat::TextView&) override;
  void pasteTooLong(plat::TextView&) override;
  void scrollViewDidScroll(plat::ScrollView&) override;
  void scrollViewWillBeginDragging(plat::ScrollView&) override;
  void scrollViewWillBeginDecelerating(plat::ScrollView&) override;
  void scrollViewDidEndDragging(plat::ScrollView&, bool willDecelerate) override;
  void scrollViewDidEndDecelerating(plat::ScrollView&) override;

  // ---- Extraction: progress and the result [count, all, in study, not in study]
  void extract_progress(const plat::Value& fraction);
  void thread_end(const plat::Value& result);
  bool isExtracting() const { return extracting_; }

  void changeSliderValue();
  void showFileText(const std::string& text);

  MyTextView& mwords() { return *mwords_; }
  SliderView* sliderView() const { return sliderView_.get(); }
  const std::string& fileName() const { return fileName_; }
  plat::Button& clearButton() { return *clearBtn_; }
  plat::Button& fileButton() { return *getFileBtn_; }
  plat::Button& extractButton() { return *getWordBtn_; }

  // The bytes of a text file as text: UTF-8 when valid, else GB18030, else "" (TextFile.h).
  static std::string decodeText(const std::string& bytes);

 private:
  void layoutTextArea();
  void fitAboveKeyboard();

  double tempHeight_ = 0;
  double shortened_ = 0;  // what the text area gave up to the keyboard
  std::shared_ptr<MyTextView> mwords_;
  std::string fileName_;
  int64_t countPage_ = 0;
  int64_t currPage_ = 0;
  std::shared_ptr<plat::ImageView> textbgView_;
  bool isfirstRun_ = false;
  bool sliderChange_ = false;
  std::shared_ptr<SliderView> sliderView_;
  std::shared_ptr<plat::Button> upPage_, downPage_, clearBtn_, getFileBtn_, getWordBtn_;
  plat::ViewController* parent_ = nullptr;
  bool extracting_ = false;
  bool savePending_ = false;
};
