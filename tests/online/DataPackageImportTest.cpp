// Applying a dump back to the store: sections in any order, rows that are passed over, settings
// that overwrite, and dumps or archives that are damaged, which change nothing.
#include <sys/resource.h>

#include <functional>

#include "platform/base/AppHome.h"
#include "platform/base/Files.h"
#include "store/SqlMgrController.h"
#include "tests/online/OnlineFixture.h"
#include "util/ZipException.h"

namespace onlinetest {
namespace {

using plat::files::exists;
using plat::files::join;

// Growth of the process's peak memory while `work` runs, in MiB.
template <typename Work>
long peakGrowthMiB(Work work) {
  rusage before{}, after{};
  getrusage(RUSAGE_SELF, &before);
  work();
  getrusage(RUSAGE_SELF, &after);
  return (after.ru_maxrss - before.ru_maxrss) / 1024;
}

// Sets the uncompressed size of the archive's first entry, in its local and central headers.
void announceEntrySize(const std::string& path, uint32_t size) {
  std::string zip = *plat::files::readFile(path);
  auto put = [&](size_t at) {
    for (int i = 0; i < 4; ++i) zip[at + i] = static_cast<char>(size >> (8 * i));
  };
  put(22);
  put(zip.find("PK\x01\x02") + 24);
  ASSERT_TRUE(plat::files::writeFileAtomically(path, zip));
}

class ImportTest : public DumpTest {
 protected:
  // Study rows only: the import refreshes the day logs of the last 14 days besides.
  std::string study() {
    return table("select * from Study_List order by 1", "sss") + "/" +
           table("select * from Study_Log order by 1", "ssssssssss") + "/" +
           table("select * from Study_Note order by 1", "sss") + "/" +
           table("select * from Words_YuFa order by 1", "sss") + "/" +
           table("select * from delete_words order by 1", "s");
  }
  void seedDeviceData() {
    exec("insert into Study_List values (1, 100, 0)");
    exec("insert into Study_Log values (1, 0, 100, 0, 0, 0, 0, 0, 0, 0)");
    exec("insert into Study_Note values (1, 'device note', 0)");
    exec("insert into delete_words values (6)");
  }
  void expectRefused(const std::string& dump) {
    std::string before = snapshot();
    EXPECT_THROW(package_.DataToDB(bytes(dump)), plat::NamedException);
    EXPECT_EQ(snapshot(), before);
    EXPECT_FALSE(db_->sqlMgr().inTransaction());
  }
  // Writes the archive, lets `damage` spoil the file, and expects its import to throw and to
  // change nothing.
  template <typename Thrown>
  void expectArchiveRefused(const std::vector<std::pair<std::string, std::string>>& entries,
                            const std::function<void(const std::string&)>& damage = {}) {
    const std::string before = snapshot();
    writeArchive(path_, entries);
    if (damage) damage(path_);
    EXPECT_THROW(package_.backupDataToDB(path_), Thrown);
    EXPECT_EQ(snapshot(), before);
    EXPECT_FALSE(db_->sqlMgr().inTransaction());
  }

  const std::string path_ = join(plat::AppHome::tmpDir(), "down.zip");
};

TEST_F(ImportTest, DumpReplacesTheStudyTablesWithRowsInStepInAnySectionOrder) {
  seedDeviceData();
  const std::string list = "Study_List\t2\n2\t200\n3\t300\n", note = "Study_Note\t1\n2\tnote\n",
                    log = "Study_Log\t1\n2\t10\t20\t1\t2\t3\t4\t5\t6\n";
  package_.DataToDB(bytes(list + note + log));
  EXPECT_EQ(study(), "2|200|1;3|300|1/2|10|20|1|2|3|4|5|6|1/2|note|1//");
  EXPECT_FALSE(db_->sqlMgr().inTransaction());
  package_.DataToDB(bytes(log + note + list));
  EXPECT_EQ(study(), "2|200|1;3|300|1/2|10|20|1|2|3|4|5|6|1/2|note|1//");
}

// Whole dumps and archives the writer makes come back in the account round trip; a changed-rows
// dump reads back too, but for its deleted words.
TEST_F(ImportTest, AChangedRowsDumpReadsBackWithoutItsDeletedWords) {
  exec("insert into Study_Note values (2, 'a\tb\nc', 0)");
  exec("insert into delete_words values (4)");
  package_.DataToDB(bytes(package_.getsqlData(1)));
  EXPECT_EQ(study(), "//2|a b c|1//");
}

TEST_F(ImportTest, LinesOutsideKnownSectionsArePassedOver) {
  package_.DataToDB(
      bytes("Study_Note\t0\n"
            "Other_Table\t3\n"
            "5\tx\n"
            "Study_List\t3\n"  // looks like a header, so it is one
            "4\t400\n"
            "4\t999\n"
            "5\t500\n"
            "\n"
            "study_note\t1\n"  // names match exactly
            "9\tz\n"
            "Study_Note\t-2\n"
            "Study_Note\t1\n"
            "4\tkept\textra field\n"));
  EXPECT_EQ(study(), "4|400|1;5|500|1//4|kept|1//");
}

TEST_F(ImportTest, AShortRowATruncatedDumpOrNoUtf8RefusesTheWholeDump) {
  seedDeviceData();
  for (const char* dump : {"Study_List\t1\n2\t200\nStudy_Log\t1\n2\t10\t20\t1\t2\t3\t4\t5\n",
                           "Study_List\t3\n2\t200\n3\t300", "Study_Note\t1\n2\t\xff\xfe\n"})
    expectRefused(dump);
}

TEST_F(ImportTest, ArchiveEntriesApplyInTurnAndTheFileGoes) {
  db_->UpdatePersonalValue_isNeed("show_eg", "1");
  db_->UpdatePersonalValue("account", "someone");
  writeArchive(path_, {{"one.scv", "Study_List\t1\n2\t200\nVar_Config\t1\nshow_eg\t0\n"},
                       {"two.scv", "Study_List\t1\n3\t300\nVar_Config\t1\nshow_we\t0\n"}});
  package_.backupDataToDB(path_);
  EXPECT_FALSE(exists(path_));
  EXPECT_EQ(study(), "3|300|1////");
  EXPECT_EQ(db_->getPersonalValue("show_eg"), "0");
  EXPECT_EQ(db_->getPersonalValue("show_we"), "0");
  EXPECT_EQ(db_->getPersonalValue("account"), "someone");
}

// A cut archive, a bad second entry (which undoes the first), an entry that announces more than
// its archive can hold (refused before it is read into memory) and a missing file.
TEST_F(ImportTest, DamagedArchivesChangeNothing) {
  seedDeviceData();
  const std::pair<std::string, std::string> good = {"one.scv", "Study_List\t1\n2\t200\n"};
  expectArchiveRefused<ZipException>({good}, [](const std::string& path) {
    std::string content = *plat::files::readFile(path);
    ASSERT_TRUE(plat::files::writeFileAtomically(path, content.substr(0, content.size() / 2)));
  });
  EXPECT_FALSE(exists(path_));
  expectArchiveRefused<DumpException>({good, {"two.scv", "Study_Log\t1\n2\t10\n"}});
  EXPECT_LT(peakGrowthMiB([&] {
              expectArchiveRefused<ZipException>(
                  {good}, [](const std::string& path) { announceEntrySize(path, 200u << 20); });
            }),
            32);
  const std::string before = snapshot();
  EXPECT_THROW(package_.backupDataToDB(join(plat::AppHome::tmpDir(), "missing.zip")), ZipException);
  EXPECT_EQ(snapshot(), before);
}

TEST_F(ImportTest, MillionsOfEmptyLinesArePassedOverWithoutAStringEach) {
  writeArchive(path_, {{"one.scv", "Study_List\t1\n2\t200\n" + std::string(4 << 20, '\n')}});
  EXPECT_LT(peakGrowthMiB([&] { package_.backupDataToDB(path_); }), 48);
  EXPECT_EQ(study(), "2|200|1////");
}

}  // namespace
}  // namespace onlinetest
