#include <gtest/gtest.h>

#include <string>

#include "platform/base/Files.h"
#include "tests/util/ZipTestArchives.h"
#include "util/ZipFile.h"

using namespace ziptest;

namespace {

using ZipLookupTest = ZipTest;

const Entries kWords = {{"words_voices/a/apple.mp3", "APPLE"},
                        {"words_voices/b/book.mp3", "BOOK"},
                        {"words_voices/c/cat.mp3", "CAT"},
                        {"words_voices/d/dog.mp3", "DOG"}};

}  // namespace

TEST_F(ZipLookupTest, FindsEveryEntryWhateverTheArchivesShape) {
  writeArchive(path("plain.zip"), kWords);
  const std::string plain = *plat::files::readFile(path("plain.zip"));
  const std::pair<const char*, std::string> shapes[] = {
      {"plain", plain},
      {"bytes before the archive", std::string(1000, '#') + plain},
      {"an end record cut short, read as minizip reads it", plain.substr(0, plain.size() - 2)},
  };
  for (const auto& [shape, bytes] : shapes) {
    SCOPED_TRACE(shape);
    plat::files::writeFileAtomically(path("shaped.zip"), bytes);
    ZipFile zip(path("shaped.zip"), ZipFileModeUnzip);
    EXPECT_EQ(zip.entryCount(), kWords.size());
    for (auto it = kWords.rbegin(); it != kWords.rend(); ++it) {
      ASSERT_TRUE(zip.locateEntry2(it->first));
      EXPECT_EQ(zip.getCurrentZipEntryInfo().name(), it->first);
      EXPECT_EQ(readCurrent(zip), it->second);
    }
    EXPECT_FALSE(zip.locateEntry2("words_voices/e/egg.mp3"));
  }
}

TEST_F(ZipLookupTest, AMissLeavesTheCurrentEntryAndIsCaseSensitive) {
  writeArchive(path("v.zip"), kWords);
  ZipFile zip(path("v.zip"), ZipFileModeUnzip);
  zip.goToFirstEntry();
  zip.goToNextEntry();
  EXPECT_FALSE(zip.locateEntry2("words_voices/c/CAT.mp3"));
  EXPECT_FALSE(zip.locateEntry2("words_voices/c/cat.mp"));
  EXPECT_FALSE(zip.locateEntry2("words_voices/c/cat.mp3x"));
  EXPECT_FALSE(zip.locateEntry2(""));
  EXPECT_EQ(zip.getCurrentZipEntryInfo().name(), "words_voices/b/book.mp3");
  EXPECT_EQ(readCurrent(zip), "BOOK");
}

TEST_F(ZipLookupTest, OfTwoEntriesOfOneNameBothLookupsFindTheFirst) {
  writeArchive(path("twice.zip"), {{"a.mp3", "first"}, {"b.mp3", "B"}, {"a.mp3", "second"}});
  ZipFile zip(path("twice.zip"), ZipFileModeUnzip);
  EXPECT_EQ(zip.entryCount(), 3u);
  ASSERT_TRUE(zip.locateEntry2("b.mp3"));
  ASSERT_TRUE(zip.locateEntry2("a.mp3"));
  EXPECT_EQ(readCurrent(zip), "first");
  ASSERT_TRUE(zip.locateEntry("b.mp3"));
  ASSERT_TRUE(zip.locateEntry("a.mp3"));
  EXPECT_EQ(readCurrent(zip), "first");
}

TEST_F(ZipLookupTest, AnEmptyArchiveHasNothingToFind) {
  ZipFile(path("empty.zip"), ZipFileModeCreate).close();
  // minizip finds no end record at the very start of a file, so the empty archive gets a stub.
  plat::files::writeFileAtomically(path("stub.zip"),
                                   "#" + *plat::files::readFile(path("empty.zip")));
  ZipFile empty(path("stub.zip"), ZipFileModeUnzip);
  EXPECT_EQ(empty.entryCount(), 0u);
  EXPECT_TRUE(empty.listZipEntryInfos().empty());
  EXPECT_FALSE(empty.locateEntry2("anything"));
}

TEST_F(ZipLookupTest, NamesOf256BytesOrMoreAreRefusedNotOverflowed) {
  const std::string longest(255, 'n');
  const std::string tooLong(256, 'n');
  const std::string stored300(300, 'n');
  writeArchive(path("long.zip"), {{longest, "255"}, {stored300, "300"}, {"after", "A"}});
  ZipFile zip(path("long.zip"), ZipFileModeUnzip);
  ASSERT_TRUE(zip.locateEntry2(longest));
  EXPECT_EQ(readCurrent(zip), "255");
  EXPECT_ZIP_ERROR([&] { zip.locateEntry2(tooLong); },
                   "Error in going to next file in zip in '" + path("long.zip") + "'",
                   UNZ_PARAMERROR);
  // The stored 300-byte name never matches its first 255 bytes, and the scan goes past it.
  ASSERT_TRUE(zip.locateEntry2("after"));
  EXPECT_EQ(readCurrent(zip), "A");
  zip.goToFirstEntry();
  zip.goToNextEntry();
  const std::string infoFailure =
      "Error in getting current file info in '" + path("long.zip") + "'";
  EXPECT_ZIP_ERROR([&] { zip.getCurrentZipEntryInfo(); }, infoFailure, UNZ_PARAMERROR);
  EXPECT_ZIP_ERROR([&] { zip.readCurrentEntry(); }, infoFailure, UNZ_PARAMERROR);
  EXPECT_ZIP_ERROR([&] { zip.listZipEntryInfos(); }, infoFailure, UNZ_PARAMERROR);
}
