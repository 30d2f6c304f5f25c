// The real vocab-standin over a data folder with a file it cannot read (a folder or a named pipe in
// its place, a loop of links, no permission): it stops at its start naming the file and why, as it
// does for a malformed line, and serves everything again once the file is readable. It aborted on
// a backup, and took any table it could not read for an empty one, which its next write made so.
#include <sys/stat.h>
#include <unistd.h>

#include <chrono>
#include <filesystem>
#include <fstream>
#include <functional>
#include <string>
#include <thread>

#include "tests/server/StandInProgram.h"

namespace servertest {
namespace {

namespace fs = std::filesystem;

constexpr const char* kPassword = "secret12";
const std::string kDump = "Study_List\t1\n457\t818317400\n";

class UnreadableFileProgramTest : public StandInProgramTest {
 protected:
  void SetUp() override {
    StandInProgramTest::SetUp();
    fs::create_directories(folder_ + "/backups");
    std::ofstream(folder_ + "/accounts.tsv") << "alice\t" << standin::md5Hex(kPassword)
                                             << "\t1001\t\t1\t1700000000\t1.0\t0\t0\t0\t-1\t0\t0\n";
    std::ofstream(folder_ + "/messages.tsv") << "alice\t1700000000\thello\n";
    std::ofstream(folder_ + "/backups/alice.dump", std::ios::binary) << kDump;
  }

  // Starts the program and waits for its end; what it printed, or what went wrong instead.
  std::string refusedStart() {
    pid_ = spawn({"--port", "0"});
    if (pid_ <= 0) return "not started";
    const auto until = std::chrono::steady_clock::now() +
                       std::chrono::duration_cast<std::chrono::steady_clock::duration>(
                           std::chrono::duration<double>(testsupport::kPatience));
    int status = 0;
    while (::waitpid(pid_, &status, WNOHANG) == 0) {
      if (has(printed(), "serving") || std::chrono::steady_clock::now() > until) {
        stop();
        return "served: " + printed();
      }
      std::this_thread::sleep_for(std::chrono::milliseconds(20));
    }
    pid_ = -1;
    if (!WIFEXITED(status)) return "ended by signal " + std::to_string(WTERMSIG(status));
    return "status " + std::to_string(WEXITSTATUS(status)) + ": " + printed();
  }
  std::string refusal(const std::string& file, const std::string& cause) const {
    return "status 1: vocab-standin: cannot read " + folder_ + ": " + file + ": " + cause + "\n";
  }
};

TEST_F(UnreadableFileProgramTest, AFileThatCannotBeReadStopsTheStartNamingItAndLosesNothing) {
  const std::string accounts = fileText(folder_ + "/accounts.tsv");
  const std::string loop = "Too many levels of symbolic links";
  struct Case {
    std::string file;
    std::string cause;
    std::function<void(const std::string&)> spoil;
  };
  const Case cases[] = {
      {"backups/alice.dump", "Is a directory",
       [](const std::string& p) { fs::create_directory(p); }},
      {"backups/alice.dump", loop, [](const std::string& p) { fs::create_symlink(p, p); }},
      {"accounts.tsv", "Is a directory", [](const std::string& p) { fs::create_directory(p); }},
      {"messages.tsv", loop, [](const std::string& p) { fs::create_symlink(p, p); }},
      {"lessons.tsv", "not a plain file", [](const std::string& p) { ::mkfifo(p.c_str(), 0644); }},
      {"notice.html", "Is a directory", [](const std::string& p) { fs::create_directory(p); }},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.file);
    const std::string path = folder_ + "/" + c.file;
    const bool existed = fs::exists(path);
    const std::string kept = existed ? fileText(path) : "";
    if (existed) fs::rename(path, path + ".aside");
    c.spoil(path);
    EXPECT_EQ(refusedStart(), refusal(c.file, c.cause));
    fs::remove(path);
    if (existed) fs::rename(path + ".aside", path);
    EXPECT_EQ(fileText(path), kept);
  }
  // Without the right to read it, for a user the system holds to that.
  if (::geteuid() != 0) {
    fs::permissions(folder_ + "/accounts.tsv", fs::perms::none);
    EXPECT_EQ(refusedStart(), refusal("accounts.tsv", "Permission denied"));
    fs::permissions(folder_ + "/accounts.tsv", fs::perms::owner_read | fs::perms::owner_write);
  }
  EXPECT_EQ(fileText(folder_ + "/accounts.tsv"), accounts);

  ASSERT_GT(serve(), 0) << printed();
  const WireReply down =
      exchange(port(), get("synchronize_all_down.php", signedParams("alice", kPassword)));
  const auto entries =
      standin::unzipEntries(exchange(port(), {"GET", archivePath(down.body), {}, ""}).body);
  ASSERT_EQ(entries.size(), 1u) << down.body;
  EXPECT_EQ(entries.front().second, kDump);
  EXPECT_TRUE(
      has(exchange(port(), get("get_user_message.php", signedParams("alice", kPassword))).body,
          "hello"));
}

}  // namespace
}  // namespace servertest
