#include <gtest/gtest.h>
#include <sqlite3.h>

#include <cstdlib>
#include <set>

#include "learn/AudioControl.h"
#include "platform/audio/Mp3Decoder.h"
#include "platform/base/Bundle.h"
#include "platform/base/Files.h"
#include "tests/support/TempHome.h"
#include "tools/VoicePack.h"
#include "util/ZipFile.h"

using plat::files::join;

namespace {

std::vector<std::string> shippedHeadwords() {
  sqlite3* db = nullptr;
  std::vector<std::string> words;
  std::string path = join(plat::Bundle::main().path(), "learn.db");
  EXPECT_EQ(sqlite3_open_v2(path.c_str(), &db, SQLITE_OPEN_READONLY, nullptr), SQLITE_OK);
  sqlite3_stmt* statement = nullptr;
  sqlite3_prepare_v2(db, "select wl_tWord from Words_Library", -1, &statement, nullptr);
  while (sqlite3_step(statement) == SQLITE_ROW)
    words.emplace_back(reinterpret_cast<const char*>(sqlite3_column_text(statement, 0)));
  sqlite3_finalize(statement);
  sqlite3_close(db);
  return words;
}

}  // namespace

TEST(VoicePack, TheShippedPackHoldsARecordingOfEveryHeadword) {
  std::string pack = join(plat::Bundle::main().path(), "words_voices.zip");
  std::vector<std::string> headwords = shippedHeadwords();
  ASSERT_GT(headwords.size(), 100u);

  ZipFile zip(pack, ZipFileModeUnzip);
  std::set<std::string> entries;
  for (const std::string& word : headwords) entries.insert(AudioControl::entryNameForWord(word));
  EXPECT_EQ(zip.entryCount(), entries.size()) << "one entry per headword, nothing else";
  size_t missing = 0;
  for (const std::string& word : headwords)
    if (!zip.locateEntry2(AudioControl::entryNameForWord(word))) ++missing;
  EXPECT_EQ(missing, 0u);
  zip.close();
  EXPECT_EQ(std::system(("unzip -tqq '" + pack + "'").c_str()), 0);
}

TEST(VoicePack, RecordsEachWordUnderItsFirstCharacterAndKeepsAPackOfTheSameWords) {
  std::string folder = testsupport::makeTempDir();
  std::string pack = join(folder, "words_voices.zip"), list = join(folder, "words.txt");
  std::vector<std::string> words = {"apple", "o'clock", "éclair"};
  EXPECT_TRUE(tools::writeWordListIfChanged(words, list));
  EXPECT_FALSE(tools::writeWordListIfChanged(words, list)) << "same words, file untouched";
  ASSERT_EQ(tools::readWordList(list), words);

  ASSERT_EQ(tools::makeVoicePack(words, pack, 2), 3u);
  {
    ZipFile zip(pack, ZipFileModeUnzip);
    std::vector<std::string> names;
    for (const ZipEntryInfo& info : zip.listZipEntryInfos()) names.push_back(info.name());
    EXPECT_EQ(names,
              (std::vector<std::string>{"words_voices/a/apple.mp3", "words_voices/o/o'clock.mp3",
                                        "words_voices/é/éclair.mp3"}));
    ASSERT_TRUE(zip.locateEntry2("words_voices/é/éclair.mp3"));
    plat::Value::Bytes mp3(zip.getCurrentZipEntryInfo().length());
    auto stream = zip.readCurrentEntry();
    stream.readDataWithBuffer(mp3);
    stream.finishedReading();
    auto sound = plat::decodeMp3(mp3);
    ASSERT_TRUE(sound);
    EXPECT_GT(sound->duration(), 0.3);
    EXPECT_LT(mp3.size(), 4000u) << "a short low-bitrate recording";
    zip.close();
  }
  EXPECT_EQ(tools::makeVoicePack(words, pack, 2), 0u) << "kept";
  words.push_back("zebra");
  EXPECT_EQ(tools::makeVoicePack(words, pack, 2), 4u);
  plat::files::remove(folder);
}
