#include <gtest/gtest.h>

#include <filesystem>
#include <map>

#include "platform/audio/AudioOutput.h"
#include "platform/base/AppHome.h"
#include "platform/base/Bundle.h"
#include "platform/base/Files.h"
#include "platform/view/Label.h"
#include "tests/platform/audio/SpokenMp3.h"
#include "tests/support/TempHome.h"
#include "tests/ui/UiHost.h"
#include "ui/MyAlerView.h"
#include "util/ZipFile.h"
#include "voice/AudioControl.h"

using namespace plat;

namespace {

using Recordings = std::map<std::string, std::vector<uint8_t>>;  // entry name -> bytes

class Pronunciation : public uitest::UiTest {
 protected:
  void SetUp() override {
    ASSERT_FALSE(said("apple").empty()) << "espeak-ng and lame make the test recordings";
    // A bundle of our own for the shipped pack, with the real texts.
    std::string texts = files::join(Bundle::main().path(), "InfoPlist.strings");
    bundle_ = testsupport::makeTempDir();
    ASSERT_TRUE(files::copyFile(texts, files::join(bundle_, "InfoPlist.strings")));
    std::filesystem::create_directory_symlink(files::join(Bundle::main().path(), "gui"),
                                              files::join(bundle_, "gui"));
    Bundle::setMainPath(bundle_);
    UiTest::SetUp();
  }
  void TearDown() override {
    AudioControl::releaseAudio();
    UiTest::TearDown();
    Bundle::setMainPath("");
    files::remove(bundle_);
  }

  static std::string shipped() { return files::join(Bundle::main().path(), "words_voices.zip"); }
  static std::string downloaded(int n) {
    return files::join(AppHome::applicationSupportDir(),
                       "down_words_voices_" + std::to_string(n) + ".zip");
  }
  static std::string entry(const std::string& word) { return AudioControl::entryNameForWord(word); }
  // The recordings, spoken once for every case.
  static const std::vector<uint8_t>& said(const std::string& text) {
    static const Recordings spoken = [] {
      Recordings made;
      for (const char* text : {"apple", "apple pie", "book", "city"})
        made[text] = audiotest::spokenMp3(text);
      return made;
    }();
    return spoken.at(text);
  }

  static void writePack(const std::string& path, const Recordings& entries, int level = 0) {
    ZipFile zip(path, ZipFileModeCreate);
    for (const auto& [name, bytes] : entries) {
      auto stream = zip.writeEntryWithName(name, level);
      stream.writeData(std::span<const uint8_t>(bytes));
      stream.finishedWriting();
    }
    zip.close();
  }

  // What the message bubble says now ("" when it shows nothing).
  std::string message() {
    auto bubble = MyAlerView::sharedAler();
    if (shownAlpha(*bubble) == 0 && !Animation::isAnimating(*bubble)) return "";
    return dynamic_cast<Label*>(bubble->viewWithTag(MyAlerView::kLabelTag))->text();
  }
  std::string afterAWhile() {
    host_->advance(0.1);
    std::string text = message();
    host_->advance(30);
    return text;
  }

  // The duration of the recording sounding now, 0 when none.
  static double playing() {
    auto* player = AudioControl::sharedAudio().newPlayer();
    return player && player->isPlaying() ? player->duration() : 0;
  }
  static double duration(const std::string& text) {
    return AudioPlayer::withData(said(text))->duration();
  }

  testsupport::TempHome home_;
  std::string bundle_;
};

}  // namespace

TEST_F(Pronunciation,
       ThePacksAreSearchedShippedFirstThenPackOneThenPackTwoAndReopenedAfterRelease) {
  // The first character of the lower-cased word names the folder, two bytes or one.
  EXPECT_EQ(entry("Éclair"), "words_voices/é/éclair.mp3");
  EXPECT_EQ(entry("x-ray"), "words_voices/x/x-ray.mp3");
  writePack(shipped(), {{entry("apple"), said("apple")}, {entry("éclair"), said("city")}});
  writePack(downloaded(1), {{entry("apple"), said("apple pie")}, {entry("book"), said("book")}});
  writePack(downloaded(2), {{entry("book"), said("apple pie")}, {entry("city"), said("city")}}, 9);
  auto& audio = AudioControl::sharedAudio();
  ASSERT_EQ(audio.downloadedPackCount(), 2u);

  audio.playerWord("Apple", true);
  EXPECT_EQ(audio.lastPackPath(), shipped());
  EXPECT_EQ(playing(), duration("apple"));
  audio.playerWord("Éclair", true);
  EXPECT_EQ(playing(), duration("city"));
  audio.playerWord("book", true);
  EXPECT_EQ(audio.lastPackPath(), downloaded(1));
  EXPECT_EQ(playing(), duration("book"));
  audio.playerWord("city", false);
  EXPECT_EQ(audio.lastPackPath(), downloaded(2)) << "a word only in pack 2";
  EXPECT_EQ(playing(), duration("city"));
  EXPECT_EQ(afterAWhile(), "");
  EXPECT_EQ(playing(), 0) << "played to its end";

  // Release stops the sound; the next use opens the packs again.
  audio.playerWord("book", false);
  ASSERT_GT(playing(), 0);
  files::remove(downloaded(1));
  AudioControl::releaseAudio();
  EXPECT_FALSE(AudioControl::exists());
  EXPECT_EQ(AudioOutput::shared().currentOwner(), nullptr);
  EXPECT_EQ(AudioControl::sharedAudio().downloadedPackCount(), 1u);
  AudioControl::sharedAudio().playerWord("book", true);
  EXPECT_EQ(playing(), duration("apple pie")) << "now from pack 2";
}

TEST_F(Pronunciation, AMissingWordIsReportedOnlyWhenAskedForByTheNumberOfDownloadedPacks) {
  const std::string fewPacks = localized("alermsg_eg5"), allPacks = localized("alermsg_eg2");
  auto& audio = AudioControl::sharedAudio();
  EXPECT_FALSE(audio.hasShippedPack());

  audio.playerWord("zebra", false);
  EXPECT_EQ(afterAWhile(), "") << "automatic pronunciation stays quiet";
  audio.playerWord("zebra", true);
  EXPECT_EQ(afterAWhile(), fewPacks) << "no pack at all";
  audio.playerWord("", true);
  EXPECT_EQ(afterAWhile(), "");

  // Packs downloaded while the player lives are used once it reopens them.
  writePack(downloaded(1), {{entry("book"), said("book")}});
  audio.playerWord("book", true);
  EXPECT_EQ(afterAWhile(), fewPacks);
  audio.resetNetSountPack();
  audio.playerWord("zebra", true);
  EXPECT_EQ(afterAWhile(), fewPacks) << "one pack";
  writePack(downloaded(2), {{entry("city"), said("city")}});
  audio.resetNetSountPack();
  audio.playerWord("zebra", true);
  EXPECT_EQ(afterAWhile(), allPacks) << "two packs";
  audio.playerWord("zebra", false);
  EXPECT_EQ(afterAWhile(), "");
  audio.playerWord("city", true);
  EXPECT_EQ(playing(), duration("city"));
}

TEST_F(Pronunciation, ADamagedRecordingStopsTheSoundSilentlyAndABrokenPackIsSkipped) {
  std::vector<uint8_t> notSound(3000, 'x');
  writePack(shipped(), {{entry("apple"), said("apple")}, {entry("noise"), notSound}});
  // Pack 1 is no zip archive at all; pack 2 holds a recording whose stored bytes are damaged.
  ASSERT_TRUE(files::writeFileAtomically(downloaded(1), "this is not a zip archive"));
  writePack(downloaded(2), {{entry("book"), said("book")}});
  auto packBytes = *files::readFile(downloaded(2));
  size_t at = packBytes.find("words_voices/b/book.mp3") + 23 + 200;  // inside the recording
  packBytes[at] = char(packBytes[at] ^ 0xff);
  ASSERT_TRUE(files::writeFileAtomically(downloaded(2), packBytes));

  auto& audio = AudioControl::sharedAudio();
  EXPECT_EQ(audio.downloadedPackCount(), 1u);
  audio.playerWord("apple", true);
  ASSERT_GT(playing(), 0);
  audio.playerWord("book", true);
  EXPECT_EQ(playing(), 0) << "the damaged entry ended the sound of the last word";
  EXPECT_EQ(audio.lastPackPath(), downloaded(2));
  EXPECT_EQ(afterAWhile(), "") << "found, so not reported missing";

  audio.playerWord("apple", true);
  audio.playerWord("noise", true);
  EXPECT_EQ(playing(), 0);
  EXPECT_EQ(afterAWhile(), "");
}
