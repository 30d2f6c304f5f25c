// The word card: one word in full (headword, phonetics, meanings, the excellent-mnemonic box and
// nine foldable HTML sections stacked in the learner's order), embedded under the review screen's
// controls or pushed from a word list. One card per owner, reused for every word it shows.
#pragma once

#include <array>
#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "learn/AcceptUIWindowDeleage.h"
#include "learn/MyUIScrollView.h"
#include "learn/WordsMgr.h"
#include "net/HttpRequestDelegate.h"
#include "online/AccountQueue.h"
#include "platform/view/ActionSheet.h"
#include "platform/view/AlertView.h"
#include "platform/view/Button.h"
#include "platform/view/ImageView.h"
#include "platform/view/Label.h"
#include "platform/view/WebView.h"
#include "ui/BaseViewController.h"
#include "wordlist/BaseWordDeleage.h"
#include "wordlist/WordCard.h"

class HttpNetworkQueue;
class HttpRequest;

class BaseWordViewController : public BaseViewController,
                               public plat::WebViewDelegate,
                               public MyUIScrollViewDeleage,
                               public AcceptUIWindowDeleage,
                               public plat::AlertViewDelegate,
                               public plat::ActionSheetDelegate,
                               public HttpRequestDelegate,
                               public WordCard {
 public:
  static constexpr int kArrowTag = 11;
  static constexpr int kShareOfferTag = 2;
  static constexpr double kAutoAudioDelay = 0.3;
  static constexpr double kToggleSeconds = 0.3;
  // How long a covered card waits before it lays out its word: past the frame that shows the
  // owner's screen, and well before a learner can ask for the card.
  static constexpr double kCoveredLayoutDelay = 0.1;

  // One of the nine sections: header image with its toggle button, page, measured height.
  struct Section {
    int code = 0;
    std::shared_ptr<plat::ImageView> header;
    std::shared_ptr<plat::Button> toggle;
    std::shared_ptr<plat::WebView> page;
    double measuredHeight = 0;
  };

  // The card of the interface file "BaseWordViewController"; its view is built on first use.
  static std::shared_ptr<BaseWordViewController> initWithNibName(const std::string& nibName);
  // The card pushed from `owner`'s word lists, its back button titled `parentName`, with the
  // buttons that walk to the previous and next word of the list.
  static std::shared_ptr<BaseWordViewController> forWordList(BaseWordDeleage* owner,
                                                             const std::string& parentName);
  BaseWordViewController();
  ~BaseWordViewController() override;

  // ---- Set by owners
  plat::ViewController* parentController() const { return parentController_; }
  void setParentController(plat::ViewController* controller) { parentController_ = controller; }
  BaseWordDeleage* deleage() const { return deleage_; }
  void setDeleage(BaseWordDeleage* deleage) { deleage_ = deleage; }
  const std::string& wordName() const override { return wordName_; }
  void setWordName(const std::string& word) override { wordName_ = word; }
  const std::string& ParentName() const { return ParentName_; }
  void setParentName(const std::string& name) { ParentName_ = name; }
  bool showSprcialText() const { return showSprcialText_; }
  void setShowSprcialText(bool on) override { showSprcialText_ = on; }
  int64_t currPage() const override { return currPage_; }
  void setCurrPage(int64_t page) override { currPage_ = page; }
  const std::vector<std::string>& tempSelArr() const override { return tempSelArr_; }
  void setTempSelArr(std::vector<std::string> words) override { tempSelArr_ = std::move(words); }
  // A frame of positive height marks the card as embedded; read when the view is built.
  void setScrollFrame(const plat::Rect& frame) { scrollframe_ = frame; }
  plat::Rect scrollFrame() const { return scrollframe_; }
  bool isEmbedded() const { return scrollframe_.height > 0; }

  // ---- For owners
  std::shared_ptr<plat::ViewController> screen() override { return shared_from_this(); }
  // The right-hand plan button from the word's state in the owner's lists.
  void addRightItemBtn() override;
  // Shows a word: content, head, box and the nine pages; "" only scrolls back to the top.
  void refreshView(const std::string& word) override;
  // Shows the word again as the card comes on screen. Within one appearance (until
  // parentViewDisAppear) the word shown already is not read again: nothing can change it then.
  void parentViewAppear();
  void parentViewDisAppear();
  void ParentAutorotate_Over();
  std::string GetPhonetics() const;
  plat::Button* upWordBtn() const { return upWordBtn_.get(); }
  plat::Button* downWordBtn() const { return downWordBtn_.get(); }
  MyUIScrollView* myScrollView() const { return myScrollView_.get(); }
  // Pronounces the word without the missing-recording message.
  void autoAudio(const std::string& word);
  // An owner that keeps the card out of sight (the review screen until the reveal) says so: a
  // covered card reads its word at once but lays out the head and the pages kCoveredLayoutDelay
  // later, so that the owner's screen is drawn first; uncovering lays out what waits at once.
  void setCovered(bool covered);

  // ---- State the owners and tests read
  bool isPlay() const { return isPlay_; }
  const WordsMgr* wordInfo() const { return wordInfo_.get(); }
  const Section& section(int code) const { return sections_[size_t(code - 1)]; }
  int64_t webViewNum() const { return webViewNum_; }
  double beginPos() const { return beginPos_; }
  plat::Button* wordBtn() const { return wordBtn_.get(); }
  plat::Button* PhoneticsBtn() const { return PhoneticsBtn_.get(); }
  plat::Label* MeaningLabel() const { return MeaningLabel_.get(); }
  plat::Label* OtherMeaningLabel() const { return OtherMeaningLabel_.get(); }
  plat::View* goodzjView() const { return goodzjView_.get(); }
  plat::Label* zjInfoLabel() const { return zjInfoLabel_.get(); }
  plat::Label* sharerLabel() const { return sharerLabel_.get(); }
  plat::Button* acceptzjBtn() const { return acceptzjBtn_.get(); }
  plat::Button* downBtn() const { return downBtn_.get(); }
  plat::Button* yfDownBtn() const { return yfDownBtn_.get(); }
  // The plan button of the navigation bar, when built.
  plat::Button* planButton() const { return planButton_.get(); }

  // ---- Sections (BaseWordViewController_sections.cpp)
  void setZJView();
  void Typesetting();
  // Moves `view` down by `height` when its top is at or below `comparePos`.
  static void changeViewPos(plat::View& view, double comparePos, double height);
  void changeContentSize();
  // Expands a collapsed section or collapses an expanded one (its header button's action).
  void toggleSection(int code);

  // ---- Actions (BaseWordViewController_actions.cpp)
  void audio();
  void down();
  void yf_down();
  void upWord();
  void downWord();
  void accept();
  void autoAcceptFun();
  std::shared_ptr<plat::Image> getSharePngOne();
  void learnWord(plat::Button& sender);
  void deleteWord();
  void goBackAction();

  // ---- Platform callbacks
  void loadView() override;
  void viewDidLoad() override;
  void viewWillAppear(bool animated) override;
  void viewWillDisappear(bool animated) override;
  bool canUnloadView() const override { return true; }
  void viewWillUnload() override;
  void viewDidUnload() override;
  bool shouldAutorotateToInterfaceOrientation(plat::InterfaceOrientation o) override;
  void willAnimateRotationToInterfaceOrientation(plat::InterfaceOrientation o,
                                                 double duration) override;
  void didFinishLoad(plat::WebView& page) override;
  void scrollviewClick_callback() override;
  void closeAcceptUIWindow_callback() override;
  void didDismissWithButtonIndex(plat::AlertView& alert, int index) override;
  void didDismissWithButtonIndex(plat::ActionSheet& sheet, int index) override;

 private:
  void buildInterface();  // the views the interface file provides
  // The parts of showing a word that belong to the card being seen: the pronunciation and the
  // offer of the excellent mnemonic, each time the word is shown.
  void announceWord(const std::string& word);
  void loadPages();
  // The layout of a covered card, with the head (for a new word) or the pages only.
  void deferLayout(bool withHead);
  void layOutWaiting();
  void buildSection(Section& section, const plat::Rect& headerFrame);
  void layoutHead();
  void placeSection(int code);
  void sendFinished(HttpRequest& request);
  void sendFailed(HttpRequest& request);
  void autoAcceptFinished(HttpRequest& request);
  void extractWords();
  Section& sectionOf(int code) { return sections_[size_t(code - 1)]; }
  Section* sectionOfPage(const plat::WebView& page);
  plat::Button* writeButtonOf(int code) const;
  double contentBottomPadding() const;
  void fitPagingStrip();
  // The card as the offer window's delegate, alive only as long as the card is.
  std::weak_ptr<AcceptUIWindowDeleage> weakOfferDelegate();

  plat::ViewController* parentController_ = nullptr;
  BaseWordDeleage* deleage_ = nullptr;
  std::string wordName_;
  std::string ParentName_;
  bool showSprcialText_ = false;
  int64_t currPage_ = 0;
  std::vector<std::string> tempSelArr_;
  plat::Rect scrollframe_;

  AccountQueue networkQueue_;
  std::unique_ptr<WordsMgr> wordInfo_;
  bool isPlay_ = false;
  // The content of wordName_ was read and laid out (or its layout scheduled) since the card last
  // left the screen.
  bool contentFresh_ = false;
  bool covered_ = false;
  bool layoutWaiting_ = false;  // a covered card's layout is scheduled
  bool headWaiting_ = false;    // and it lays out the head too
  double beginPos_ = 0;
  int64_t webViewNum_ = 0;

  std::shared_ptr<MyUIScrollView> myScrollView_;
  std::shared_ptr<plat::ImageView> wordImage_;
  std::shared_ptr<plat::Button> wordBtn_;
  std::shared_ptr<plat::Button> PhoneticsBtn_;
  std::shared_ptr<plat::ImageView> wordMeaningImage_;
  std::shared_ptr<plat::Label> MeaningLabel_;
  std::shared_ptr<plat::Label> OtherMeaningLabel_;
  std::shared_ptr<plat::View> goodzjView_;
  std::shared_ptr<plat::ImageView> goodzjBgImage_;
  std::shared_ptr<plat::Label> sharerLabel_;
  std::shared_ptr<plat::Label> zjInfoLabel_;
  std::shared_ptr<plat::Button> acceptzjBtn_;
  std::shared_ptr<plat::Button> downBtn_;
  std::shared_ptr<plat::Button> yfDownBtn_;
  std::shared_ptr<plat::Button> upWordBtn_;
  std::shared_ptr<plat::Button> downWordBtn_;
  bool pagingStripShown_ = false;  // the page is shortened by the strip's height
  std::shared_ptr<plat::Button> planButton_;
  std::array<Section, 9> sections_;

  static constexpr double kPagingStripHeight = 50;
  // Whether the owner had the paging buttons shown, kept across an unloaded view.
  std::optional<std::pair<bool, bool>> pagingShownBeforeUnload_;
};
