// The text page and the text files screen.
#include <algorithm>
#include <chrono>
#include <set>

#include "extract/ExtractWord.h"
#include "platform/base/AppHome.h"
#include "platform/base/Charset.h"
#include "platform/base/Files.h"
#include "platform/host/PointerInput.h"
#include "platform/view/AlertView.h"
#include "platform/view/Keyboard.h"
#include "settings/HtmlViewController.h"
#include "tests/books/BooksScreenFixture.h"
#include "tests/support/Patience.h"

namespace {

using bookstest::BooksScreenTest;
using Words = std::vector<std::string>;

std::string document(const std::string& name) {
  return plat::files::join(plat::AppHome::documentsDir(), name);
}

class TextPage : public BooksScreenTest {
 protected:
  // Headwords of letters only ("<prefix>aaa", "<prefix>aab", ...), ids from `firstId`.
  Words addLetterWords(const std::string& prefix, int count, int firstId) {
    Words words;
    db_->sqlMgr().beginTransaction();
    for (int i = 0; i < count; ++i) {
      std::string word = prefix;
      for (int n = i, k = 0; k < 3; ++k, n /= 26) word += static_cast<char>('a' + n % 26);
      words.push_back(word);
      db_->sql_insert("insert into Words_Library (wl_uWordID, wl_tWord) values (?, ?)", "ns",
                      plat::Value::array({firstId + i, word}));
    }
    db_->sqlMgr().commitTransaction();
    return words;
  }
  std::shared_ptr<LearnViewController> showTextPage() {
    auto tab = showTab();
    tab->selectTabBtn(1);
    host_->advance(1);
    return tab;
  }
  // The text files screen opened from the text page.
  BookFileController& openFiles(LearnViewController& tab) {
    tab.learnView().addNewWordFromFile();
    host_->advance(1);
    auto* files = dynamic_cast<BookFileController*>(app_->bookNav->topViewController());
    EXPECT_NE(files, nullptr);
    return *files;
  }
  bool pick(BookFileController& files, const std::string& name) {
    const auto& names = files.cellArray();
    const auto found = std::find(names.begin(), names.end(), name);
    if (found == names.end()) return false;
    files.didSelectRow(files.tableView(), {0, static_cast<int>(found - names.begin())});
    host_->advance(0.5);
    return true;
  }
  // Extracts what the page holds and waits for the thread; returns the progress texts seen.
  // `eachTurn` runs whenever the main loop comes round, as a window's drawing would.
  std::set<std::string> extract(LearnViewController& tab,
                                const std::function<void()>& eachTurn = {}) {
    std::set<std::string> progress;
    EXPECT_TRUE(host_->tap(&tab.learnView().extractButton()));
    EXPECT_TRUE(plat::RunLoop::main().runUntil(
        [&] {
          if (eachTurn) eachTurn();
          if (auto* shown = host_->findContainingText("提取 "))
            progress.insert(shown->displayedText());
          return !tab.learnView().isExtracting();
        },
        testsupport::kPatience));
    host_->advance(3);
    return progress;
  }
  // A text of `bytes` of the library's words, bare and inflected, in sentences and lines.
  static std::string longText(const Words& library, size_t bytes) {
    const char* const suffixes[] = {"ed", "s", "ing", "", "."};
    std::string text;
    for (size_t i = 0; text.size() < bytes; ++i)
      text += library[i % library.size()] + suffixes[i % 5] + (i % 7 == 6 ? ", and " : " ") +
              (i % 12 == 11 ? "\n" : "");
    return text;
  }
  static double secondsOf(const std::function<void()>& work) {
    const auto start = std::chrono::steady_clock::now();
    work();
    return std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
  }
  // Types into the text area, which brings the keyboard up.
  void typeIntoTextArea(LearnViewController& tab, const std::string& text) {
    ASSERT_TRUE(host_->tap(&tab.learnView().mwords()));
    host_->advance(1);
    ASSERT_TRUE(plat::Keyboard::isVisible());
    host_->type(text);
    host_->advance(1);
  }
};

TEST_F(TextPage, SampleTextsComeBackAndOnlySmallTextFilesCanBePicked) {
  auto tab = showTextPage();
  plat::files::writeFileAtomically(document("notes.zip"), "PK");
  plat::files::writeFileAtomically(document("exact.txt"), std::string(307200, 'a'));
  plat::files::writeFileAtomically(document("big.txt"), std::string(307201, 'a'));
  BookFileController& files = openFiles(*tab);
  for (const char* sample :
       {"night_train.txt", "how_we_remember_words.txt", "note_to_a_neighbour.txt"})
    EXPECT_TRUE(plat::files::exists(document(sample))) << sample;
  EXPECT_TRUE(files.errInfo().isHidden());
  EXPECT_EQ(files.title(), "文本文件") << "not the settings' 文件管理 of voice packs";
  render("files");

  ASSERT_TRUE(pick(files, "notes.zip"));
  EXPECT_NE(host_->findByText(plat::localized("alermsg_eg201")), nullptr);
  host_->advance(10);
  ASSERT_TRUE(pick(files, "big.txt"));
  ASSERT_NE(host_->visibleAlert(), nullptr);
  EXPECT_EQ(host_->visibleAlert()->message(), plat::localized("alermsg_eg202"));
  host_->pressAlertButton("确定");
  ASSERT_TRUE(pick(files, "exact.txt"));
  EXPECT_EQ(tab->learnView().fileName(), "exact.txt");
  EXPECT_EQ(tab->learnView().mwords().text().size(), 307200u);

  // A deleted sample is copied in again the next time the screen opens; its help page opens.
  plat::files::remove(document("night_train.txt"));
  host_->advance(10);
  openFiles(*tab).openHelpView();
  EXPECT_TRUE(plat::files::exists(document("night_train.txt")));
  host_->advance(1);
  auto* help = dynamic_cast<HtmlViewController*>(app_->bookNav->topViewController());
  ASSERT_NE(help, nullptr);
  EXPECT_EQ(help->htmlName(), "wen_ben.html");
  EXPECT_NE(help->webView().displayedText().find("300KB"), std::string::npos);
  EXPECT_NE(help->webView().displayedText().find("~/.local/share/vocab/Documents"),
            std::string::npos)
      << "the page names the folder the list shows";
}

TEST_F(TextPage, DeletingEveryFileShowsTheNoticeAgainAndADeletedFileEmptiesThePage) {
  plat::Bundle::setMainPath(storetest::fixtureBundle());  // a bundle without sample texts
  auto tab = showTab();
  plat::files::writeFileAtomically(document("only.txt"), "lonely words");
  BookFileController& files = openFiles(*tab);
  ASSERT_EQ(files.cellArray(), Words{"only.txt"});
  ASSERT_TRUE(pick(files, "only.txt"));
  EXPECT_EQ(tab->learnView().mwords().text(), "lonely words");

  BookFileController& again = openFiles(*tab);
  again.commitEditingStyle(again.tableView(), plat::TableViewCellEditingStyle::Delete, {0, 0});
  EXPECT_FALSE(plat::files::exists(document("only.txt")));
  EXPECT_FALSE(again.errInfo().isHidden()) << "the empty list says so";
  again.goBackAction();
  host_->advance(1);
  EXPECT_EQ(tab->learnView().mwords().text(), "") << "the loaded file is gone";
}

TEST_F(TextPage, AFileThatIsNoReadableTextIsRefusedAndThePageKeepsItsText) {
  auto tab = showTextPage();
  tab->learnView().mwords().setText("typed before");
  // A text saved as UTF-16 (its byte-order mark is neither UTF-8 nor GB18030), and a folder.
  plat::files::writeFileAtomically(document("unicode.txt"), std::string("\xFF\xFEh\0i\0", 6));
  plat::files::createDirectories(document("folder.txt"));
  for (const char* name : {"unicode.txt", "folder.txt"}) {
    BookFileController& files = openFiles(*tab);
    ASSERT_TRUE(pick(files, name));
    ASSERT_NE(host_->visibleAlert(), nullptr) << name;
    EXPECT_EQ(host_->visibleAlert()->message(), plat::localized("alermsg_eg203"));
    render(std::string("file_refused_") + name);
    EXPECT_EQ(host_->findByText(plat::localized("alermsg_eg200")), nullptr)
        << "nothing was loaded: " << name;
    host_->pressAlertButton("确定");
    EXPECT_EQ(app_->bookNav->topViewController(), &files) << "the learner may pick another";
    files.goBackAction();
    host_->advance(10);
    EXPECT_EQ(tab->learnView().mwords().text(), "typed before") << name;
    EXPECT_EQ(tab->learnView().fileName(), "") << name;
  }
}

TEST_F(TextPage, TextFilesAreReadAsUtf8ElseGb18030ElseNothing) {
  const std::string chinese = "学习 English words：走路 walked。";
  const auto gb = plat::charset::fromUtf8(chinese, plat::charset::kGb18030);
  ASSERT_TRUE(gb && *gb != chinese);
  EXPECT_EQ(LearnView::decodeText(*gb), chinese);
  EXPECT_EQ(LearnView::decodeText(chinese), chinese);
  // Bytes that are neither (a lone GB18030 lead byte at the end): an empty text, no crash.
  EXPECT_EQ(LearnView::decodeText("word \x81"), "");
}

TEST_F(TextPage, TheTextAndItsPlaceSurviveARelaunchAndTheTabKeepsItsPage) {
  const std::string text = *plat::files::readFile(
      plat::files::join(plat::Bundle::main().path(), "text/how_we_remember_words.txt"));
  {
    auto tab = showTab();
    EXPECT_TRUE(host_->tap(tab->tabbar().viewWithTag(MyTabbarView::kButtonTagBase + 1)));
    host_->advance(1);
    EXPECT_EQ(tab->title(), "文本");
    tab->learnView().mwords().setText(text);
    tab->learnView().changeSliderValue();
    ASSERT_FALSE(tab->learnView().sliderView()->isHidden()) << "a long text gets the slider";
    tab->learnView().mwords().setContentOffset({0, 300});  // the slider follows the text
    render("text_page");
    LearnViewController::closeProgram();
  }
  EXPECT_EQ(db_->getPersonalValue("learn_text"), text);
  auto relaunched = showTab();
  EXPECT_EQ(relaunched->currentPage(), 1) << "the tab reopens on the text page";
  EXPECT_EQ(relaunched->title(), "文本");
  EXPECT_EQ(relaunched->learnView().mwords().text(), text);
  EXPECT_DOUBLE_EQ(relaunched->learnView().mwords().contentOffset().y, 300);
}

TEST_F(TextPage, AThreeHundredKilobyteTextIsExtractedIntoWordListsBehindTheProgressPanel) {
  const Words library = addLetterWords("q", 1200, 50000);
  planWords({library[5], library[6]});
  const char* const suffixes[] = {"ed", "s", "ing", "", "."};
  std::string text;
  for (size_t i = 0; text.size() < 300000; ++i)
    text += library[i % library.size()] + suffixes[i % 5] + (i % 7 == 6 ? ", and " : " ");
  plat::files::writeFileAtomically(document("long.txt"), text);

  auto tab = showTextPage();
  extract(*tab);
  EXPECT_EQ(app_->bookNav->topViewController(), tab.get()) << "an empty page opens nothing";
  EXPECT_EQ(host_->findContainingText("提取 "), nullptr);
  ASSERT_TRUE(pick(openFiles(*tab), "long.txt"));
  host_->advance(10);
  const std::set<std::string> progress = extract(*tab);
  EXPECT_TRUE(progress.count("提取 0％"));
  EXPECT_GE(progress.size(), 3u) << "progress moves while the thread works";

  auto* lists = dynamic_cast<WordsUIViewController*>(app_->bookNav->topViewController());
  ASSERT_NE(lists, nullptr);
  EXPECT_EQ(lists->allWordsNum(), 1200);
  EXPECT_EQ(lists->learnedWordsNum(), 2);
  EXPECT_EQ(*lists->allWords()[0], library[0]) << "in order of first appearance";
  EXPECT_EQ(lists->stateOf(library[5]), "1");
  host_->advance(1);
  render("extracted");
}

TEST_F(TextPage, TypingMovesTheStripAwayKeepsTheTextAboveTheKeyboardAndItsBarEndsIt) {
  auto tab = showTextPage();
  ASSERT_TRUE(host_->tap(&tab->learnView().mwords()));
  host_->advance(1);
  EXPECT_FALSE(tab->scrollView().isScrollEnabled()) << "the pages do not swipe while typing";
  host_->type("The night train leaves at eleven.");
  host_->advance(1);
  MyTextView& text = tab->learnView().mwords();
  const plat::Rect area = text.convertRectTo(text.bounds(), nullptr);
  EXPECT_LE(area.y + area.height, plat::Keyboard::frame().y + 6) << "the frame's margin at most";
  render("text_typing");
  // Return types a line break; the bar on the keyboard ends editing.
  ASSERT_TRUE(host_->tap(host_->findButton("隐藏键盘")));
  host_->advance(1);
  EXPECT_FALSE(plat::Keyboard::isVisible());
  EXPECT_TRUE(tab->scrollView().isScrollEnabled());
  EXPECT_EQ(tab->tabbar().frame().y, 0);
}

TEST_F(TextPage, ALongTextIsExtractedInAboutTheTimeOfTheExtractionAloneWhileTheScreenIsDrawn) {
  const Words library = addLetterWords("q", 1200, 50000);
  const std::string text = longText(library, 250 * 1024);
  const double alone = secondsOf([&] {
    ExtractWord extractor;
    plat::Value words, learned, none;
    EXPECT_EQ(extractor.extractWord(text, words, learned, none), 1200);
  });

  auto tab = showTextPage();
  tab->learnView().mwords().setText(text);
  tab->learnView().changeSliderValue();
  host_->advance(1);
  // The main loop draws the screen, long text and all, whenever it comes round: reports that
  // waited for it would hold the extraction back by a picture each.
  int pictures = 0;
  std::set<std::string> progress;
  const double onPage = secondsOf([&] {
    progress = extract(*tab, [&] {
      ASSERT_TRUE(host_->renderScreen());
      ++pictures;
    });
  });
  // Hundreds of reports each waiting for a picture would take seconds; a loaded machine gets
  // a generous ratio, over at least a tenth of a second of extraction.
  EXPECT_LT(onPage, 10 * std::max(alone, 0.1))
      << "alone " << alone << " s, " << pictures << " pictures";
  EXPECT_TRUE(progress.count("提取 0％"));
  auto* lists = dynamic_cast<WordsUIViewController*>(app_->bookNav->topViewController());
  ASSERT_NE(lists, nullptr);
  EXPECT_EQ(lists->allWordsNum(), 1200);
}

TEST_F(TextPage, ALongTextDrawsWhatShowsWhereItIsScrolledAndTheWheelScrollsItWhileTyping) {
  const Words library = addLetterWords("q", 300, 50000);
  auto tab = showTextPage();
  LearnView& page = tab->learnView();
  page.mwords().setText(longText(library, 250 * 1024));
  page.changeSliderValue();
  host_->advance(1);
  const double area = page.mwords().bounds().height;
  EXPECT_GT(page.mwords().textHeight(), 100 * area) << "every line counts in the height";
  page.mwords().setContentOffset({0, page.mwords().contentSize().height / 2});
  host_->advance(1);
  render("text_long_middle");

  // Typing at the end of the long text; the keyboard's bar leaves the buttons in view.
  typeIntoTextArea(*tab, " The end.");
  const plat::Rect text = page.mwords().convertRectTo(page.mwords().bounds(), nullptr);
  const plat::Rect buttons = page.fileButton().convertRectTo(page.fileButton().bounds(), nullptr);
  EXPECT_LE(text.y + text.height, buttons.y) << "no line runs over the buttons";
  EXPECT_LE(text.y + text.height, plat::Keyboard::frame().y);
  const double end = page.mwords().contentOffset().y;
  EXPECT_GT(end, 0) << "the line typed shows";
  ASSERT_TRUE(plat::PointerInput::wheel({text.x + 100, text.y + text.height / 2}, 0, -400));
  EXPECT_DOUBLE_EQ(page.mwords().contentOffset().y, end - 400);
  host_->advance(1);
  render("text_long_typing");
}

TEST_F(TextPage, ExtractingWithTheKeyboardUpLeavesTheStripAndTheTextAreaWholeOnReturn) {
  const Words library = addLetterWords("q", 20, 50000);
  auto tab = showTextPage();
  LearnView& page = tab->learnView();
  const plat::Rect strip = tab->tabbar().frame();
  const plat::Rect pages = tab->scrollView().frame();
  const plat::Rect area = page.mwords().frame();

  typeIntoTextArea(*tab, library[0] + " " + library[1] + "s");
  EXPECT_LT(tab->tabbar().frame().y, strip.y) << "the strip makes room while typing";
  extract(*tab);
  ASSERT_NE(app_->bookNav->topViewController(), tab.get()) << "the word lists are shown";
  EXPECT_FALSE(plat::Keyboard::isVisible());
  app_->bookNav->popViewController(true);
  host_->advance(1);
  EXPECT_EQ(app_->bookNav->topViewController(), tab.get());
  render("text_after_extract");
  for (int round = 0; round < 2; ++round) {  // and across a visit of the other page
    EXPECT_EQ(tab->tabbar().frame(), strip) << round;
    EXPECT_DOUBLE_EQ(tab->tabbar().alpha(), 1) << round;
    EXPECT_EQ(tab->scrollView().frame(), pages) << round;
    EXPECT_EQ(page.mwords().frame(), area) << round;
    EXPECT_TRUE(tab->scrollView().isScrollEnabled()) << round;
    tab->selectTabBtn(0);
    host_->advance(1);
    tab->selectTabBtn(1);
    host_->advance(1);
  }
  // Editing again moves the strip once and brings it back once.
  typeIntoTextArea(*tab, " again");
  ASSERT_TRUE(host_->tap(host_->findButton("隐藏键盘")));
  host_->advance(1);
  EXPECT_EQ(tab->tabbar().frame(), strip);
  EXPECT_EQ(page.mwords().frame(), area);
  render("text_after_editing_again");
}

TEST_F(TextPage, WhatIsTypedLoadedOrClearedIsSavedWithinASecondSoAKillLosesNothing) {
  {
    auto tab = showTextPage();
    typeIntoTextArea(*tab, "A letter to my friend.");
    host_->advance(1);
    // No closeProgram: the program is killed here.
    EXPECT_EQ(db_->getPersonalValue("learn_text"), "A letter to my friend.");
  }
  auto relaunched = showTextPage();
  EXPECT_EQ(relaunched->learnView().mwords().text(), "A letter to my friend.");
  plat::files::writeFileAtomically(document("story.txt"), "Once upon a time.");
  ASSERT_TRUE(pick(openFiles(*relaunched), "story.txt"));
  host_->advance(1.5);
  EXPECT_EQ(db_->getPersonalValue("learn_text"), "Once upon a time.");
  relaunched->learnView().clearBtn();
  host_->advance(1.5);
  EXPECT_EQ(db_->getPersonalValue("learn_text"), "");
}

// The text page takes a paste as long as a text file it opens and says so of a longer one, in
// the words of the text files screen. A paste that comes after the editing ended (the desktop's
// clipboard read from a slow program) still lands, is saved, and a long one gets the slider.
TEST_F(TextPage, APasteUpToTheFileBoundLandsEvenAfterTheEditingEndedAndALongerOneIsRefused) {
  auto tab = showTextPage();
  LearnView& page = tab->learnView();
  typeIntoTextArea(*tab, "");
  EXPECT_TRUE(plat::Keyboard::paste(std::string(BookFileController::kMaxFileBytes + 1, 'a')));
  ASSERT_NE(host_->visibleAlert(), nullptr) << "a paste too long says so";
  EXPECT_EQ(host_->visibleAlert()->message(), plat::localized("alermsg_eg204"));
  EXPECT_NE(plat::localized("alermsg_eg204").find("300KB"), std::string::npos);
  host_->pressAlertButton("确定");
  EXPECT_EQ(page.mwords().text(), "");

  page.leaveEditMode();
  host_->advance(1);
  std::string text = longText({"apple", "pear"}, BookFileController::kMaxFileBytes);
  text.resize(BookFileController::kMaxFileBytes);
  EXPECT_TRUE(plat::Keyboard::pasteInto(page.mwords(), text));
  EXPECT_EQ(host_->visibleAlert(), nullptr);
  EXPECT_EQ(page.mwords().text(), text);
  EXPECT_FALSE(page.sliderView()->isHidden()) << "a long text gets the slider";
  host_->advance(1.5);
  EXPECT_EQ(db_->getPersonalValue("learn_text"), text);
}

}  // namespace
