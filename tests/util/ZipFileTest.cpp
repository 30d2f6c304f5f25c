#include "util/ZipFile.h"

#include <gtest/gtest.h>
#include <signal.h>
#include <sys/resource.h>
#include <zlib.h>

#include <cstdio>
#include <cstdlib>
#include <tuple>

#include "platform/base/Clock.h"
#include "platform/base/Files.h"
#include "tests/util/ZipTestArchives.h"

using namespace ziptest;

namespace {

class ZipFileTest : public ZipTest {
 protected:
  void SetUp() override { plat::Clock::current().setZone(plat::TimeZone::fixed(8 * 3600)); }
  void TearDown() override { plat::Clock::current().setZone(nullptr); }
};

// What a shell command writes to its standard output.
std::string commandOutput(const std::string& command) {
  std::string out;
  FILE* pipe = popen(command.c_str(), "r");
  if (!pipe) return out;
  char buffer[4096];
  for (size_t n; (n = fread(buffer, 1, sizeof buffer, pipe)) > 0;) out.append(buffer, n);
  pclose(pipe);
  return out;
}

}  // namespace

TEST_F(ZipFileTest, RoundTripKeepsNamesDataLevelsAndOrder) {
  const std::string text(10000, 'w');
  const int levels[] = {0, -1, 9, 1, 2};
  {
    ZipFile zip(path("a.zip"), ZipFileModeCreate);
    for (int level : levels) {
      ZipWriteStream s = zip.writeEntryWithName("dir/level" + std::to_string(level) + ".txt",
                                                1'700'000'000.0, level);
      s.writeData(std::string_view(text).substr(0, 4000));
      s.writeData(std::string_view());  // nothing, which must not upset the checksum
      s.writeData(std::string_view(text).substr(4000));
      s.finishedWriting();
    }
  }
  ZipFile zip(path("a.zip"), ZipFileModeUnzip);
  EXPECT_EQ(zip.entryCount(), 5u);
  std::vector<ZipEntryInfo> infos = zip.listZipEntryInfos();
  ASSERT_EQ(infos.size(), 5u);
  const int readLevels[] = {0, -1, 9, 1, 1};  // level 2 is stored as "fast", read back as 1
  for (size_t i = 0; i < infos.size(); ++i) {
    EXPECT_EQ(infos[i].name(), "dir/level" + std::to_string(levels[i]) + ".txt");
    EXPECT_EQ(infos[i].length(), text.size());
    EXPECT_EQ(infos[i].level(), readLevels[i]);
    EXPECT_DOUBLE_EQ(infos[i].date(), 1'700'000'000.0);  // an even second survives exactly
  }
  // The last entry is current after listing.
  EXPECT_EQ(zip.getCurrentZipEntryInfo().name(), infos.back().name());
  EXPECT_FALSE(zip.goToNextEntry());
  EXPECT_EQ(zip.getCurrentZipEntryInfo().name(), infos.back().name());
  zip.goToFirstEntry();
  do {
    EXPECT_EQ(readCurrent(zip), text);  // the checksum is checked at the end of each read
  } while (zip.goToNextEntry());
  // The archive keeps wall-clock fields: read in a zone 8 hours west they name a later instant.
  plat::Clock::current().setZone(plat::TimeZone::utc());
  EXPECT_DOUBLE_EQ(zip.getCurrentZipEntryInfo().date(), 1'700'000'000.0 + 8 * 3600);
}

TEST_F(ZipFileTest, AppendAddsEntriesAndAFailedAppendKeepsTheOldOnes) {
  writeArchive(path("b.zip"), {{"one", "first"}, {"two", "second"}});
  const std::string before = *plat::files::readFile(path("b.zip"));
  std::string big;
  for (int i = 0; i < 200'000; ++i) big += static_cast<char>((i * 2654435761u) >> 24);
  {
    // The disk fills while the new entry is written: the archive stays as it was.
    struct sigaction ignore {
    }, previousAction{};
    ignore.sa_handler = SIG_IGN;
    sigaction(SIGXFSZ, &ignore, &previousAction);
    rlimit previous{};
    getrlimit(RLIMIT_FSIZE, &previous);
    rlimit small = previous;
    small.rlim_cur = before.size() + 1000;
    setrlimit(RLIMIT_FSIZE, &small);
    EXPECT_THROW(writeArchive(path("b.zip"), {{"big", big}}, 0, ZipFileModeAppend), ZipException);
    setrlimit(RLIMIT_FSIZE, &previous);
    sigaction(SIGXFSZ, &previousAction, nullptr);
  }
  EXPECT_TRUE(plat::files::readFile(path("b.zip")) == before);
  EXPECT_FALSE(plat::files::exists(path("b.zip.append")));
  writeArchive(path("b.zip"), {{"three", "third"}}, 0, ZipFileModeAppend);
  {
    ZipFile leftOpen(path("b.zip"), ZipFileModeAppend);  // finished when it goes away
    leftOpen.writeEntryWithName("four", 0).writeData(std::string_view("fourth"));
  }
  ZipFile zip(path("b.zip"), ZipFileModeUnzip);
  ASSERT_EQ(zip.entryCount(), 4u);
  const Entries expected = {
      {"one", "first"}, {"two", "second"}, {"three", "third"}, {"four", "fourth"}};
  for (const auto& [name, content] : expected) {
    ASSERT_TRUE(zip.locateEntry2(name)) << name;
    EXPECT_EQ(readCurrent(zip), content);
  }
  EXPECT_FALSE(plat::files::exists(path("b.zip.append")));
}

TEST_F(ZipFileTest, OneReadFillsABufferOfTheEntrysLength) {
  std::string big;
  for (int i = 0; i < 3 * 1024 * 1024; ++i) big += static_cast<char>((i * 2654435761u) >> 24);
  writeArchive(path("big.zip"), {{"big.bin", big}});
  ZipFile zip(path("big.zip"), ZipFileModeUnzip);
  ZipReadStream stream = zip.readCurrentEntry();
  plat::Value::Bytes buffer(big.size() + 100);
  EXPECT_EQ(stream.readDataWithBuffer(buffer), big.size());
  EXPECT_EQ(buffer.size(), big.size() + 100);  // the buffer keeps its length
  EXPECT_EQ(std::string(buffer.begin(), buffer.begin() + static_cast<long>(big.size())), big);
  EXPECT_EQ(stream.readDataWithBuffer(buffer), 0u);
  stream.finishedReading();
}

TEST_F(ZipFileTest, PasswordEntriesOpenWithOtherReadersAndTheirsWithUs) {
  std::string text;
  for (int i = 0; i < 20000; ++i) text += "word " + std::to_string(i % 97) + "\n";
  const uint32_t crc = static_cast<uint32_t>(
      crc32(0, reinterpret_cast<const Bytef*>(text.data()), static_cast<uInt>(text.size())));
  {
    ZipFile zip(path("p.zip"), ZipFileModeCreate);
    for (int level : {-1, 0}) {
      ZipWriteStream s = zip.writeEntryWithName(level ? "deflated.txt" : "stored.txt",
                                                1'700'000'000.0, level, "口令 pass", crc);
      s.writeData(std::string_view(text).substr(0, 1000));
      s.writeData(std::string_view(text).substr(1000));
      s.finishedWriting();
    }
    ZipWriteStream plain = zip.writeEntryWithName("plain.txt", 1'700'000'000.0, -1, "", 0);
    plain.writeData(std::string_view("open"));
    plain.finishedWriting();
    // The CRC decides the header's check byte: data of another CRC would be unreadable.
    ZipWriteStream lying = zip.writeEntryWithName("lying.txt", 1'700'000'000.0, -1, "p", crc);
    lying.writeData(std::string_view("other data"));
    EXPECT_THROW(lying.finishedWriting(), ZipException);
  }
  EXPECT_EQ(commandOutput("unzip -P '口令 pass' -p " + path("p.zip") + " deflated.txt"), text);
  EXPECT_EQ(commandOutput("unzip -P '口令 pass' -p " + path("p.zip") + " stored.txt"), text);
  EXPECT_EQ(
      commandOutput("python3 -c \"import zipfile,sys; z=zipfile.ZipFile(sys.argv[1]); "
                    "sys.stdout.write(z.read('deflated.txt', pwd='口令 pass'.encode()).decode())"
                    "\" " +
                    path("p.zip")),
      text);

  // And one that Info-ZIP's zip encrypted, with the sizes after the data.
  ASSERT_TRUE(plat::files::writeFileAtomically(path("theirs.txt"), text));
  ASSERT_EQ(
      std::system(("cd " + home_.path() + " && zip -q -P secret theirs.zip theirs.txt").c_str()),
      0);
  for (const auto& [archive, name, password] : {std::tuple{"p.zip", "deflated.txt", "口令 pass"},
                                                {"p.zip", "stored.txt", "口令 pass"},
                                                {"theirs.zip", "theirs.txt", "secret"}}) {
    SCOPED_TRACE(name);
    ZipFile zip(path(archive), ZipFileModeUnzip);
    ASSERT_TRUE(zip.locateEntry(name));
    EXPECT_TRUE(zip.getCurrentZipEntryInfo().crypted());
    ZipReadStream stream = zip.readCurrentEntryWithPassword(password);
    plat::Value::Bytes buffer(text.size() + 10);
    EXPECT_EQ(stream.readDataWithBuffer(buffer), text.size());
    EXPECT_EQ(std::string(buffer.begin(), buffer.begin() + static_cast<long>(text.size())), text);
    stream.finishedReading();
    // The header's check byte lets one wrong password in 256 through, at random (the header is
    // random): such a password reads nothing but a failure, of the inflating or of the CRC.
    int refusedAtOnce = 0;
    for (const char* wrong : {"wrong", "wrong1", "wrong2", "wrong3"}) {
      try {
        ZipReadStream guess = zip.readCurrentEntryWithPassword(wrong);
        plat::Value::Bytes got(text.size() + 10);
        guess.readDataWithBuffer(got);
        guess.finishedReading();
        ADD_FAILURE() << "the wrong password '" << wrong << "' read the entry";
      } catch (const ZipException& e) {
        if (e.reason() != std::string("Wrong password for '") + name + "'") continue;
        EXPECT_EQ(e.error(), 0);
        ++refusedAtOnce;
      }
    }
    EXPECT_GE(refusedAtOnce, 1);  // all four through the check: one time in four billion
    EXPECT_ZIP_ERROR([&] { zip.readCurrentEntry(); },
                     "Error in opening current file in '" + path(archive) + "'", UNZ_PARAMERROR);
  }
  ZipFile zip(path("p.zip"), ZipFileModeUnzip);
  ASSERT_TRUE(zip.locateEntry("plain.txt"));
  EXPECT_FALSE(zip.getCurrentZipEntryInfo().crypted());
  EXPECT_EQ(readCurrent(zip), "open");
}

TEST_F(ZipFileTest, StreamsOfAClosedArchiveFailInsteadOfTouchingFreedHandles) {
  ZipFile writer(path("c.zip"), ZipFileModeCreate);
  ZipWriteStream out = writer.writeEntryWithName("a", 0);
  out.writeData(std::string_view("abc"));
  writer.close();  // closes the open entry too
  EXPECT_ZIP_ERROR([&] { out.writeData(std::string_view("more")); },
                   "Error in writing 'a' in the zipfile", ZIP_PARAMERROR);
  EXPECT_ZIP_ERROR([&] { out.finishedWriting(); }, "Error in closing 'a' in the zipfile",
                   ZIP_PARAMERROR);
  EXPECT_ZIP_ERROR([&] { writer.close(); }, "Error in closing '" + path("c.zip") + "'",
                   ZIP_PARAMERROR);

  ZipFile reader(path("c.zip"), ZipFileModeUnzip);
  EXPECT_EQ(readCurrent(reader), "abc");
  ZipReadStream in = reader.readCurrentEntry();
  reader.close();
  plat::Value::Bytes buffer(3);
  EXPECT_ZIP_ERROR([&] { in.readDataWithBuffer(buffer); }, "Error in reading 'a' in the zipfile",
                   UNZ_PARAMERROR);
  EXPECT_ZIP_ERROR([&] { reader.locateEntry2("a"); },
                   "Error in going to next file in zip in '" + path("c.zip") + "'", UNZ_PARAMERROR);
  EXPECT_ZIP_ERROR([&] { reader.entryCount(); },
                   "Error in getting global info in '" + path("c.zip") + "'", UNZ_PARAMERROR);
}

TEST_F(ZipFileTest, AnArchiveLeftOpenIsFinishedWhenItGoesAway) {
  {
    ZipFile zip(path("left.zip"), ZipFileModeCreate);
    zip.writeEntryWithName("empty", 9).finishedWriting();
    ZipWriteStream s = zip.writeEntryWithName("a", 0);
    s.writeData(std::string_view("kept"));
  }
  ASSERT_TRUE(ZipFile::unzFileCheck(path("left.zip")));
  ZipFile zip(path("left.zip"), ZipFileModeUnzip);
  ZipEntryInfo info = zip.getCurrentZipEntryInfo();
  EXPECT_EQ(info.length(), 0u);
  EXPECT_NEAR(info.date(), plat::Clock::current().now(), 5);  // no date given: now
  EXPECT_EQ(readCurrent(zip), "");
  ASSERT_TRUE(zip.goToNextEntry());
  EXPECT_EQ(readCurrent(zip), "kept");
}

TEST_F(ZipFileTest, NamesBeyondAsciiReachOtherReadersIntact) {
  {
    ZipFile zip(path("names.zip"), ZipFileModeCreate);
    for (const char* name : {"单词本.scv", "plain.scv"}) {
      ZipWriteStream s = zip.writeEntryWithName(name, 9);
      s.writeData(std::string_view("x"));
      s.finishedWriting();
    }
  }
  const std::string bytes = *plat::files::readFile(path("names.zip"));
  auto utf8Flag = [&](size_t header) { return (static_cast<uint8_t>(bytes[header + 1]) & 8) != 0; };
  const size_t central = bytes.find("PK\x01\x02");
  ASSERT_NE(central, std::string::npos);
  EXPECT_TRUE(utf8Flag(6));            // the first local header, general-purpose flags
  EXPECT_TRUE(utf8Flag(central + 8));  // its central directory record
  EXPECT_FALSE(utf8Flag(bytes.find("PK\x01\x02", central + 4) + 8));
  ZipFile zip(path("names.zip"), ZipFileModeUnzip);
  EXPECT_EQ(zip.listZipEntryInfos().front().name(), "单词本.scv");
  // Info-ZIP's unzip translates the names of archives made on MS-DOS whatever the flag says.
  ASSERT_EQ(
      std::system(("cd " + home_.path() + " && LC_ALL=C.UTF-8 unzip -qq -d out names.zip").c_str()),
      0);
  EXPECT_EQ(plat::files::readFile(path("out/单词本.scv")), std::optional<std::string>("x"));
}
