#include <gtest/gtest.h>

#include <algorithm>
#include <iterator>
#include <set>
#include <vector>

#include "platform/audio/Mp3Decoder.h"
#include "platform/base/Bundle.h"
#include "platform/base/Files.h"
#include "tests/tools/ShippedStore.h"
#include "tools/TsvFile.h"
#include "tools/VoicePack.h"
#include "util/ZipFile.h"
#include "voice/AudioControl.h"

using plat::files::join;

namespace toolstest {
namespace {

class VoicePackTest : public ShippedStoreTest {};

TEST_F(VoicePackTest, TheShippedPackHoldsARecordingOfEveryHeadword) {
  std::string pack = join(plat::Bundle::main().path(), "words_voices.zip");
  plat::Value rows =
      CallDB::callDB()->sql_select("select wl_tWord from Words_Library", "s", "", plat::Value());
  std::set<std::string> entries;
  for (size_t i = 0; i < rows.size(); ++i)
    entries.insert(AudioControl::entryNameForWord(rows.at(i).asString()));
  ASSERT_GT(entries.size(), 100u);

  ZipFile zip(pack, ZipFileModeUnzip);
  EXPECT_EQ(zip.entryCount(), entries.size()) << "one entry per headword, nothing else";
  // One pass over the directory: the player's lookup scans it afresh for every name.
  std::set<std::string> stored;
  for (const ZipEntryInfo& info : zip.listZipEntryInfos()) stored.insert(info.name());
  std::vector<std::string> missing;
  std::set_difference(entries.begin(), entries.end(), stored.begin(), stored.end(),
                      std::back_inserter(missing));
  EXPECT_TRUE(missing.empty()) << missing.size() << " headwords unrecorded, first "
                               << missing.front();
  // The player finds a recording by its name wherever it stands in the pack.
  EXPECT_TRUE(zip.locateEntry2(*entries.begin()));
  EXPECT_TRUE(zip.locateEntry2(*entries.rbegin()));
  EXPECT_EQ(std::system(("unzip -tqq '" + pack + "'").c_str()), 0);
}

TEST_F(VoicePackTest, RecordsEachWordUnderItsFirstCharacterAndKeepsAPackOfTheSameWords) {
  std::string pack = join(home_->path(), "words_voices.zip");
  std::string list = join(home_->path(), "words.txt");
  std::vector<std::string> words = {"apple", "o'clock", "éclair"};
  EXPECT_TRUE(tools::writeWordListIfChanged(words, list));
  EXPECT_FALSE(tools::writeWordListIfChanged(words, list)) << "same words, file untouched";
  ASSERT_EQ(tools::readWordList(list), words);

  ASSERT_EQ(tools::makeVoicePack(words, pack, 2), 3u);
  {
    ZipFile zip(pack, ZipFileModeUnzip);
    EXPECT_EQ(zip.entryCount(), 3u);
    ASSERT_TRUE(zip.locateEntry2("words_voices/é/éclair.mp3"));
    plat::Value::Bytes mp3(zip.getCurrentZipEntryInfo().length());
    auto stream = zip.readCurrentEntry();
    stream.readDataWithBuffer(mp3);
    stream.finishedReading();
    auto sound = plat::decodeMp3(mp3);
    ASSERT_TRUE(sound);
    EXPECT_GT(sound->duration(), 0.3);
    EXPECT_LT(mp3.size(), 4000u) << "a short low-bitrate recording";
  }
  EXPECT_EQ(tools::makeVoicePack(words, pack, 2), 0u) << "kept";
  words.push_back("zebra");
  EXPECT_EQ(tools::makeVoicePack(words, pack, 2), 4u);
}

TEST(VoicePackJobs, TheSettingCapsTheRecordingsAtOnceAndEveryCoreIsTheLimit) {
  EXPECT_EQ(tools::recordingJobs(nullptr, 8), 8u);
  EXPECT_EQ(tools::recordingJobs("", 8), 8u);
  EXPECT_EQ(tools::recordingJobs("2", 8), 2u);
  EXPECT_EQ(tools::recordingJobs("64", 8), 8u);
  EXPECT_EQ(tools::recordingJobs(nullptr, 0), 1u) << "no core count known";
  for (const char* bad : {"0", "-1", "2x", " 2", "4294967297", "99999999999"})
    EXPECT_THROW(tools::recordingJobs(bad, 8), tools::BuildError) << bad;
}

}  // namespace
}  // namespace toolstest
