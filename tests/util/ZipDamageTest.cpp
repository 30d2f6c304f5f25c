#include <gtest/gtest.h>

#include <zlib.h>

#include <fstream>
#include <string>
#include <vector>

#include "platform/base/Files.h"
#include "tests/util/ZipTestArchives.h"
#include "util/ZipFile.h"

using namespace ziptest;

namespace {

class ZipDamageTest : public ZipTest {
 protected:
  std::string nextFailure(const std::string& file) const {
    return "Error in going to next file in zip in '" + path(file) + "'";
  }
};

const Entries kEntries = {{"a.txt", "alpha"}, {"b.txt", "beta"}, {"c.txt", "gamma"}};

// Every entry's data in archive order, read as the callers read: in one buffer of the entry's
// length (the pronunciation player), or a small chunk at a time to the end (the restore).
std::vector<std::string> readEveryEntry(const std::string& file, bool oneBuffer) {
  std::vector<std::string> texts;
  ZipFile zip(file, ZipFileModeUnzip);
  zip.goToFirstEntry();
  do {
    ZipEntryInfo info = zip.getCurrentZipEntryInfo();
    ZipReadStream stream =
        info.crypted() ? zip.readCurrentEntryWithPassword("pw") : zip.readCurrentEntry();
    // A damaged length may claim gigabytes: the one buffer is for lengths an entry here can have.
    oneBuffer = oneBuffer && info.length() < 100'000;
    plat::Value::Bytes buffer(oneBuffer ? info.length() : 7);
    std::string text;
    for (size_t n; (n = stream.readDataWithBuffer(buffer)) > 0;) {
      text.append(buffer.begin(), buffer.begin() + static_cast<long>(n));
      if (oneBuffer) break;
    }
    stream.finishedReading();
    texts.push_back(text);
  } while (zip.goToNextEntry());
  return texts;
}
constexpr uint32_t kCentralSignature = 0x02014b50;
constexpr uint32_t kEndSignature = 0x06054b50;

}  // namespace

TEST_F(ZipDamageTest, ModeGuardsRaiseWithErrorZero) {
  const std::string readReason = "Operation not permitted without Unzip mode";
  for (int mode : {ZipFileModeCreate, ZipFileModeAppend}) {
    if (mode == ZipFileModeAppend) writeArchive(path("w.zip"), kEntries);
    ZipFile zip(path("w.zip"), mode);
    EXPECT_ZIP_ERROR([&] { zip.entryCount(); }, readReason, 0);
    EXPECT_ZIP_ERROR([&] { zip.locateEntry2("a.txt"); }, readReason, 0);
    EXPECT_ZIP_ERROR([&] { zip.readCurrentEntryWithPassword("p"); }, readReason, 0);
  }
  ZipFile zip(path("w.zip"), ZipFileModeUnzip);
  EXPECT_ZIP_ERROR([&] { zip.writeEntryWithName("x", 0.0, 0, "p", 0); },
                   "Operation not permitted with Unzip mode", 0);
}

TEST_F(ZipDamageTest, OpeningFailures) {
  EXPECT_ZIP_ERROR([&] { ZipFile(path("missing.zip"), ZipFileModeUnzip); },
                   "Can't open '" + path("missing.zip") + "'", 0);
  EXPECT_ZIP_ERROR([&] { ZipFile(path("missing.zip"), ZipFileModeAppend); },
                   "Can't open '" + path("missing.zip") + "'", 0);
  EXPECT_ZIP_ERROR([&] { ZipFile(path("any.zip"), 3); }, "Unknown mode 3", 0);
  EXPECT_FALSE(ZipFile::unzFileCheck(path("missing.zip")));
  plat::files::writeFileAtomically(path("text.zip"), "not an archive at all");
  EXPECT_FALSE(ZipFile::unzFileCheck(path("text.zip")));
  EXPECT_ZIP_ERROR([&] { ZipFile(path("text.zip"), ZipFileModeUnzip); },
                   "Can't open '" + path("text.zip") + "'", 0);
  writeArchive(path("ok.zip"), kEntries);
  EXPECT_TRUE(ZipFile::unzFileCheck(path("ok.zip")));
  EXPECT_ZIP_ERROR(
      [&] {
        ZipFile zip(path("ok.zip"), ZipFileModeCreate);
        zip.writeEntryWithName("x", 99);
      },
      "Error in opening 'x' in zipfile", Z_STREAM_ERROR);
}

TEST_F(ZipDamageTest, BadCentralRecordSignature) {
  writeArchive(path("s.zip"), kEntries);
  std::string bytes = *plat::files::readFile(path("s.zip"));
  // Damage the last central record: names before it are found, the scan past it fails.
  size_t last = findLast(bytes, kCentralSignature);
  bytes[last] = 'X';
  plat::files::writeFileAtomically(path("s.zip"), bytes);
  {
    ZipFile zip(path("s.zip"), ZipFileModeUnzip);
    ASSERT_TRUE(zip.locateEntry2("b.txt"));
    EXPECT_EQ(readCurrent(zip), "beta");
    EXPECT_ZIP_ERROR([&] { zip.locateEntry2("c.txt"); }, nextFailure("s.zip"), UNZ_BADZIPFILE);
    EXPECT_EQ(zip.getCurrentZipEntryInfo().name(), "b.txt");  // restored after the failure
    EXPECT_ZIP_ERROR([&] { zip.goToNextEntry(); }, nextFailure("s.zip"), UNZ_BADZIPFILE);
  }
  {
    ZipFile zip(path("s.zip"), ZipFileModeUnzip);
    EXPECT_ZIP_ERROR([&] { zip.locateEntry("c.txt"); }, nextFailure("s.zip"), UNZ_BADZIPFILE);
  }
  // Damage the first one: the archive has no current entry, so lookups find nothing.
  bytes[bytes.find("PK\x01\x02")] = 'X';
  plat::files::writeFileAtomically(path("s.zip"), bytes);
  ZipFile zip(path("s.zip"), ZipFileModeUnzip);
  EXPECT_EQ(zip.entryCount(), 3u);
  EXPECT_FALSE(zip.locateEntry2("a.txt"));
  EXPECT_ZIP_ERROR([&] { zip.goToFirstEntry(); },
                   "Error in going to first file in zip in '" + path("s.zip") + "'",
                   UNZ_BADZIPFILE);
}

TEST_F(ZipDamageTest, EntryCountOf65535ScansUntilARecordFails) {
  writeArchive(path("c.zip"), kEntries);
  std::string bytes = *plat::files::readFile(path("c.zip"));
  size_t end = findLast(bytes, kEndSignature);
  putLe16(bytes, end + 8, 0xFFFF);   // entries on this disk
  putLe16(bytes, end + 10, 0xFFFF);  // entries in all
  plat::files::writeFileAtomically(path("c.zip"), bytes);
  ZipFile zip(path("c.zip"), ZipFileModeUnzip);
  EXPECT_EQ(zip.entryCount(), 65535u);
  ASSERT_TRUE(zip.locateEntry2("c.txt"));
  EXPECT_EQ(readCurrent(zip), "gamma");
  // A missing name runs into the end record, which is no central record.
  EXPECT_ZIP_ERROR([&] { zip.locateEntry2("zzz"); }, nextFailure("c.zip"), UNZ_BADZIPFILE);
  EXPECT_ZIP_ERROR([&] { zip.listZipEntryInfos(); }, nextFailure("c.zip"), UNZ_BADZIPFILE);
}

TEST_F(ZipDamageTest, DamagedDataFailsItsChecksum) {
  std::string text(5000, 't');
  writeArchive(path("d.zip"), {{"a.txt", text}}, 0);
  std::string stored = *plat::files::readFile(path("d.zip"));
  stored[100] ^= 1;  // inside the stored text
  plat::files::writeFileAtomically(path("d.zip"), stored);
  // The data reads whole; the checksum fails at the end.
  plat::Value::Bytes buffer(text.size());
  ZipFile zip(path("d.zip"), ZipFileModeUnzip);
  ZipReadStream stream = zip.readCurrentEntry();
  EXPECT_EQ(stream.readDataWithBuffer(buffer), buffer.size());
  EXPECT_ZIP_ERROR([&] { stream.finishedReading(); }, "Error in closing 'a.txt' in the zipfile",
                   UNZ_CRCERROR);
}

TEST_F(ZipDamageTest, NoDamagedOrTruncatedArchiveReadsAsOtherDataWithoutAFailure) {
  std::string list;
  for (int i = 0; i < 80; ++i) list += "apple " + std::to_string(i) + "\n";
  const std::vector<std::string> texts = {list, "abcdefghijklmnopqrstuvwxyz"};
  const auto crc = static_cast<uint32_t>(
      crc32(0, reinterpret_cast<const Bytef*>(list.data()), static_cast<uInt>(list.size())));
  for (int level : {-1, 0}) {
    for (const std::string password : {"", "pw"}) {
      SCOPED_TRACE("level " + std::to_string(level) + ", password '" + password + "'");
      {
        ZipFile zip(path("o.zip"), ZipFileModeCreate);
        ZipWriteStream first = zip.writeEntryWithName("a.txt", 1.7e9, level, password, crc);
        first.writeData(texts[0]);
        first.finishedWriting();
        ZipWriteStream second = zip.writeEntryWithName("b.txt", 1.7e9, level);
        second.writeData(texts[1]);
        second.finishedWriting();
        zip.close();
      }
      const std::string bytes = *plat::files::readFile(path("o.zip"));
      ASSERT_EQ(readEveryEntry(path("o.zip"), true), texts);
      // A flipped bit anywhere (data, sizes, CRCs, offsets, names) must either read the entries
      // as they were or raise: a deflated stream that ends early, a length the data fall short
      // of, a stored password entry read in one buffer all once read as success.
      int silent = 0;
      for (size_t at = 0; at < bytes.size(); ++at) {
        for (int bit : {0, 7}) {
          std::string damaged = bytes;
          damaged[at] = static_cast<char>(damaged[at] ^ (1 << bit));
          std::ofstream(path("d.zip"), std::ios::binary | std::ios::trunc) << damaged;
          for (bool oneBuffer : {true, false}) {
            try {
              if (readEveryEntry(path("d.zip"), oneBuffer) != texts && silent++ < 5)
                ADD_FAILURE() << "byte " << at << " bit " << bit << " read other data";
            } catch (const ZipException&) {
            }
          }
        }
      }
      // Cut short anywhere, the archive is refused, or reads whole when only its end record's
      // comment length was cut.
      for (size_t length = 0; length < bytes.size(); ++length) {
        std::ofstream(path("d.zip"), std::ios::binary | std::ios::trunc) << bytes.substr(0, length);
        try {
          if (readEveryEntry(path("d.zip"), true) != texts && silent++ < 5)
            ADD_FAILURE() << "cut at " << length << " read other data";
        } catch (const ZipException&) {
        }
      }
      EXPECT_EQ(silent, 0);
    }
  }
}
