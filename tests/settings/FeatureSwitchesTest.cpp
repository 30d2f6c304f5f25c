// The feature switches, the reminder window and the voice packs, on a real study store.
#include <gtest/gtest.h>

#include <algorithm>

#include "platform/base/AppHome.h"
#include "platform/base/Files.h"
#include "settings/PrivilegeViewController.h"
#include "settings/SettingsHooks.h"
#include "settings/ShareFileViewController.h"
#include "settings/VoicePackInstaller.h"
#include "tests/stats/ScreenFixture.h"
#include "tests/support/StandInServer.h"
#include "ui/MyListAlerView.h"
#include "voice/AudioControl.h"

using namespace plat;

namespace {

class FeatureSwitchesTest : public screentest::ScreenTest<PrivilegeViewController> {
 protected:
  void TearDown() override {
    AudioControl::releaseAudio();
    SettingsHooks::shared() = {};
    ScreenTest::TearDown();
  }
  std::string packPath(int type) {
    return files::join(AppHome::applicationSupportDir(),
                       PrivilegeViewController::packFileName(type));
  }
  std::string panelValue() {
    auto panel = MyListAlerView::sharedAler();
    View* row =
        panel->dataView() ? panel->dataView()->viewWithTag(MyListAlerView::kRowTagBase) : nullptr;
    auto* value = row ? dynamic_cast<Label*>(row->viewWithTag(MyListAlerView::kValueTag)) : nullptr;
    return value ? value->text() : "";
  }
};

TEST_F(FeatureSwitchesTest, SwitchesNeedAnAccountAndTheReminderBringsItsWindow) {
  int cleared = 0;
  SettingsHooks::shared().cleardata_learn = [&] { ++cleared; };
  open();
  Button* special = screen().switchFor("specialBook");
  ASSERT_NE(special, nullptr);
  // The switches move into the new cells of a reload where they stood.
  const Rect place = special->convertRectTo(special->bounds(), nullptr);
  screen().tableView()->reloadData();
  settle();
  EXPECT_EQ(special->convertRectTo(special->bounds(), nullptr), place);
  const std::string before = personal("specialBook");
  screen().switchChange(*special);
  EXPECT_EQ(personal("specialBook"), before);
  EXPECT_EQ(shownMessage(), localized("alermsg_eg35"));

  personal("account", "learner");
  screen().switchChange(*special);
  EXPECT_EQ(personal("specialBook"), before == "1" ? "0" : "1");
  EXPECT_EQ(cleared, 1);
  EXPECT_EQ(screen().tableView()->numberOfRows(4), 1);
  screen().switchChange(*screen().switchFor("forgetword_remind"));
  EXPECT_EQ(screen().tableView()->numberOfRows(4), 2);
  settle();
  ASSERT_NE(screen().amText1(), nullptr);
  writeScreen("feature_switches.png");

  // The window lasts two hours at least and may run past midnight.
  EXPECT_TRUE(screen().check_time("22:00", "00:30"));
  EXPECT_TRUE(screen().check_time("08:00", "10:00"));
  EXPECT_FALSE(screen().check_time("22:00", "23:59"));
  EXPECT_EQ(shownMessage(), "时间相差要大于2个小时");
}

TEST_F(FeatureSwitchesTest, APackDownloadsInstallsAndPlaysAndACorruptOneIsRefused) {
  // A pack holding one recording of the shipped pack, served beside the stand-in server.
  Bundle::setMainPath("");
  const std::string shipped = files::join(Bundle::main().path(), "words_voices.zip");
  shippedbundle::link();
  auto entries = testsupport::unzipEntries(files::readFile(shipped).value_or(""));
  ASSERT_FALSE(entries.empty());
  const std::string pack = testsupport::zipOneEntry(entries[0].first, entries[0].second);
  testsupport::LoopbackHttpServer files([&](const testsupport::ServerRequest& r) {
    auto reply = testsupport::ServerReply::text(r.path() == "/basic.zip" ? pack : "not a zip");
    reply.pieceSize = 512;
    return reply;
  });
  // An account name with "&" reaches the server whole.
  testsupport::StandInServer server;
  server.addAccount("tom&jerry", "secret1");
  server.setVoicePaths(files.url("/basic.zip"), files.url("/broken.zip"));
  personal("url", server.base());
  personal("account", "tom&jerry");
  open();

  Button* basic = screen().downloadButton(1);
  Button* extended = screen().downloadButton(2);
  ASSERT_TRUE(basic && extended);
  screen().downClick(*extended);
  waitFor([&] { return panelValue() == "失败"; });
  EXPECT_EQ(testsupport::StandInForm::of(server.lastRequest("get_ext_voices.php"))["account"],
            "tom&jerry");
  EXPECT_FALSE(files::exists(packPath(2)));
  EXPECT_TRUE(extended->isEnabled());

  screen().downClick(*basic);
  waitFor([&] { return panelValue() == "完成"; });
  EXPECT_TRUE(files::exists(packPath(1)));
  EXPECT_FALSE(basic->isEnabled());
  MyListAlerView::sharedAler()->initShowList({"语音包下载"});
  screen().setProgress(0.999);
  EXPECT_EQ(panelValue(), "99％") << "a pack not yet whole never shows 100％";

  // The word of the recording now plays from the downloaded pack.
  std::string word = files::deletingPathExtension(files::lastPathComponent(entries[0].first));
  AudioControl::sharedAudio().playerWord(word, true);
  EXPECT_EQ(AudioControl::sharedAudio().lastPackPath(), packPath(1));
}

TEST_F(FeatureSwitchesTest, APackTheServerGzipsIsInstalledAsTheArchiveItself) {
  const std::string pack = testsupport::zipOneEntry("words_voices/a/a.mp3", "recording");
  testsupport::LoopbackHttpServer files([&](const testsupport::ServerRequest&) {
    auto reply = testsupport::ServerReply::text(pack);
    reply.gzip = true;
    return reply;
  });
  testsupport::StandInServer server;
  server.addAccount("learner", "secret1");
  server.setVoicePaths(files.url("/basic.zip"), files.url("/extended.zip"));
  personal("url", server.base());
  personal("account", "learner");
  open();

  screen().downClick(*screen().downloadButton(1));
  waitFor([&] { return panelValue() == "完成" || panelValue() == "失败"; });
  EXPECT_EQ(panelValue(), "完成");
  EXPECT_EQ(files::readFile(packPath(1)).value_or(""), pack);
}

class ShareFileTest : public screentest::ScreenTest<ShareFileViewController> {};

TEST_F(ShareFileTest, OnlyZipNamesAreListedAndAPickIsStored) {
  const std::string docs = AppHome::documentsDir();
  files::createDirectories(docs);
  files::writeFileAtomically(files::join(docs, "pack.zip"), "x");
  files::writeFileAtomically(files::join(docs, "PACK.ZIP"), "x");
  files::writeFileAtomically(files::join(docs, "notes.txt"), "x");
  files::writeFileAtomically(files::join(docs, "other.zip"), "x");
  open();
  std::vector<std::string> listed = screen().cellArray();
  std::sort(listed.begin(), listed.end());
  EXPECT_EQ(listed, (std::vector<std::string>{"other.zip", "pack.zip"}));
  EXPECT_TRUE(screen().errInfo()->isHidden());
  const int pack = screen().cellArray()[0] == "pack.zip" ? 0 : 1;
  auto tickOf = [&](int row) {
    return screen().tableView()->cellForRow({0, row})->accessoryType();
  };
  EXPECT_EQ(tickOf(pack), TableViewCellAccessory::None);
  screen().didSelectRow(*screen().tableView(), {0, pack});
  EXPECT_EQ(personal("audio_file"), "pack.zip");
  EXPECT_EQ(tickOf(pack), TableViewCellAccessory::Checkmark) << "the pick is marked";
  EXPECT_EQ(tickOf(1 - pack), TableViewCellAccessory::None);

  // Deleting the last archive keeps edit mode and its "完成" button.
  screen().enterEditMode();
  screen().commitEditingStyle(*screen().tableView(), TableViewCellEditingStyle::Delete,
                              {0, 1 - pack});
  screen().commitEditingStyle(*screen().tableView(), TableViewCellEditingStyle::Delete, {0, 0});
  EXPECT_TRUE(screen().cellArray().empty());
  EXPECT_FALSE(files::exists(files::join(docs, "pack.zip")));
  EXPECT_TRUE(files::exists(files::join(docs, "PACK.ZIP")));
  auto* done =
      dynamic_cast<Button*>(screen().navigationItem().rightBarButtonItem()->customView().get());
  ASSERT_NE(done, nullptr);
  EXPECT_EQ(done->currentTitle(), "完成");
}

class VoicePackInstallerTest : public storetest::StoreTest {};

TEST_F(VoicePackInstallerTest, OnlyAWholeArchiveReplacesThePackAndNothingHalfWrittenStays) {
  const std::string name = "down_words_voices_1.zip";
  const std::string target = files::join(AppHome::applicationSupportDir(), name);
  const std::string cached = files::join(AppHome::cachesDir(), name);
  const std::string first = testsupport::zipOneEntry("words_voices/a/a.mp3", "one");
  const std::string second = testsupport::zipOneEntry("words_voices/b/b.mp3", "two");
  ASSERT_TRUE(VoicePackInstaller::install(first, first.size(), name));
  ASSERT_TRUE(VoicePackInstaller::install(second, 0, name));
  EXPECT_EQ(files::readFile(target), second);
  EXPECT_FALSE(files::exists(cached));

  // Shorter than announced, or no archive: the installed pack stays.
  EXPECT_FALSE(VoicePackInstaller::install(first, first.size() + 10, name));
  EXPECT_FALSE(VoicePackInstaller::install("PK but no archive", 0, name));
  EXPECT_EQ(files::readFile(target), second);
  EXPECT_FALSE(files::exists(cached));

  // A move that cannot happen (a folder in the way) fails and leaves no download behind.
  files::remove(target);
  files::createDirectories(files::join(target, "inside"));
  EXPECT_FALSE(VoicePackInstaller::install(first, 0, name));
  EXPECT_FALSE(files::exists(cached));
}

}  // namespace
