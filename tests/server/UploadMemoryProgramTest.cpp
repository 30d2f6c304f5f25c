// The real vocab-standin under a learner who backs up a large study dump that hardly compresses,
// again and again: the server's peak memory stays where one upload took it. What is watched is the
// C library's allocator, which a sanitizer replaces with its own, so in a sanitized build the
// program run is the same one built without sanitizers (tests/server/CMakeLists.txt).
#include <filesystem>
#include <fstream>
#include <random>
#include <string>

#include "server/State.h"
#include "tests/server/StandInProgram.h"

namespace servertest {
namespace {

constexpr const char* kPassword = "secret12";

// Notes of random printable characters, a row a word, `bytes` long in all: deflate takes little
// more than a quarter off.
std::string hardlyCompressibleDump(size_t bytes) {
  std::mt19937 random(83);
  std::uniform_int_distribution<int> printable('!', '~');
  std::string rows;
  int count = 0;
  while (rows.size() < bytes) {
    rows += std::to_string(++count) + "\t";
    for (int i = 0; i < 40; ++i) rows += static_cast<char>(printable(random));
    rows += "\n";
  }
  return "Study_Note\t" + std::to_string(count) + "\n" + rows;
}

class UploadMemoryProgramTest : public StandInProgramTest {
 protected:
  UploadMemoryProgramTest() { program_ = VOCAB_STANDIN_PLAIN; }

  // An account that has backed up `dump` before, laid in the data folder.
  void layAccount(const std::string& name, const std::string& dump) {
    std::filesystem::create_directories(folder_ + "/backups");
    std::ofstream(folder_ + "/accounts.tsv") << name << "\t" << standin::md5Hex(kPassword)
                                             << "\t1000\t\t1\t1700000000\t1.0\t0\t0\t0\t-1\t0\t0\n";
    std::ofstream(folder_ + "/backups/" + name + ".dump", std::ios::binary) << dump;
  }
};

// Each upload's buffers (the request, the archive, the dump and its merge) used to come from the
// heap once the first upload's were freed, and the heap kept what it freed without finding room
// in it for the next ones: the peak climbed by megabytes an upload.
TEST_F(UploadMemoryProgramTest, APeakAfterManyLargeUploadsIsWhereOneUploadTookIt) {
  constexpr size_t kDump = 8 * kMiB;
  constexpr int kUploads = 16;
  const std::string dump = hardlyCompressibleDump(kDump);
  // Each upload replaces a backup as large, as it does for a learner who backs up every day.
  layAccount("ann", dump);
  ASSERT_GT(serve(), 0) << printed();
  const standin::Request upload = fullUpload("ann", kPassword, dump);
  ASSERT_GT(upload.body.size(), kDump * 2 / 3) << "the dump compresses too well";

  ASSERT_TRUE(has(exchange(port(), upload).body, "备份成功")) << printed();
  const size_t one = peakMemory();
  for (int i = 1; i < kUploads; ++i)
    ASSERT_TRUE(has(exchange(port(), upload).body, "备份成功")) << "upload " << i + 1;
  EXPECT_LT(peakMemory(), one + kDump / 2)
      << "peak memory after the first upload " << one / kMiB << " MB, after " << kUploads << ": "
      << peakMemory() / kMiB << " MB";
}

}  // namespace
}  // namespace servertest
