#include "tools/VoicePack.h"

#include <fcntl.h>
#include <spawn.h>
#include <sqlite3.h>
#include <sys/wait.h>
#include <unistd.h>

#include <utime.h>
#include <algorithm>
#include <atomic>
#include <cerrno>
#include <cstdio>
#include <fstream>
#include <set>
#include <sstream>
#include <thread>

#include "platform/base/Files.h"
#include "platform/base/Utf.h"
#include "tools/TsvFile.h"
#include "util/ZipException.h"
#include "util/ZipFile.h"
#include "voice/AudioControl.h"

extern char** environ;

namespace tools {

namespace {

// Entries carry one fixed date, so the same words give the same archive.
constexpr double kEntryDate = 978307200.0;  // 2001-01-01

const char* const kSpeak[] = {"espeak-ng", "-v", "en-us", "--stdin", "--stdout", nullptr};
// 16 kbit/s mono at 16 kHz: a word is a kilobyte or two and still clear.
const char* const kEncode[] = {"lame",       "--silent", "-m", "m", "-b",   "16",
                               "--resample", "16",       "-",  "-", nullptr};

struct Fd {
  int fd = -1;
  ~Fd() { reset(); }
  void reset() {
    if (fd >= 0) ::close(fd);
    fd = -1;
  }
};

void makePipe(Fd& readEnd, Fd& writeEnd) {
  int fds[2];
  if (::pipe2(fds, O_CLOEXEC) != 0) throw BuildError("cannot make a pipe");
  readEnd.fd = fds[0];
  writeEnd.fd = fds[1];
}

pid_t spawn(const char* const argv[], int in, int out) {
  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  posix_spawn_file_actions_adddup2(&actions, in, 0);
  posix_spawn_file_actions_adddup2(&actions, out, 1);
  pid_t pid = 0;
  int result =
      posix_spawnp(&pid, argv[0], &actions, nullptr, const_cast<char* const*>(argv), environ);
  posix_spawn_file_actions_destroy(&actions);
  if (result != 0) throw BuildError(std::string("cannot run ") + argv[0]);
  return pid;
}

bool exitedWell(pid_t pid) {
  int status = 0;
  while (::waitpid(pid, &status, 0) < 0)
    if (errno != EINTR) return false;
  return WIFEXITED(status) && WEXITSTATUS(status) == 0;
}

// Every entry name of the archive, or an empty set when there is no readable archive.
std::set<std::string> entryNames(const std::string& path) {
  std::set<std::string> names;
  if (!plat::files::exists(path)) return names;
  try {
    ZipFile zip(path, ZipFileModeUnzip);
    for (const ZipEntryInfo& info : zip.listZipEntryInfos()) names.insert(info.name());
    zip.close();
  } catch (const ZipException&) {
    names.clear();
  }
  return names;
}

}  // namespace

std::vector<std::string> readVoiceWords(const std::string& learnDbPath) {
  sqlite3* db = nullptr;
  if (sqlite3_open_v2(learnDbPath.c_str(), &db, SQLITE_OPEN_READONLY, nullptr) != SQLITE_OK) {
    sqlite3_close(db);
    throw BuildError(learnDbPath + ": cannot open the word database");
  }
  sqlite3_stmt* statement = nullptr;
  std::set<std::string> words;
  int result =
      sqlite3_prepare_v2(db, "select wl_tWord from Words_Library", -1, &statement, nullptr);
  while (result == SQLITE_OK && (result = sqlite3_step(statement)) == SQLITE_ROW) {
    const auto* text = reinterpret_cast<const char*>(sqlite3_column_text(statement, 0));
    if (text && *text) words.insert(plat::utf::lowercase(text));
    result = SQLITE_OK;
  }
  std::string failure = result == SQLITE_DONE ? "" : sqlite3_errmsg(db);
  sqlite3_finalize(statement);
  sqlite3_close(db);
  if (!failure.empty()) throw BuildError(learnDbPath + ": " + failure);
  return {words.begin(), words.end()};
}

bool writeWordListIfChanged(const std::vector<std::string>& words, const std::string& path) {
  std::string text;
  for (const std::string& word : words) text += word + "\n";
  if (plat::files::readFile(path) == text) return false;
  if (!plat::files::writeFileAtomically(path, text)) throw BuildError(path + ": cannot write");
  return true;
}

std::vector<std::string> readWordList(const std::string& path) {
  auto text = plat::files::readFile(path);
  if (!text) throw BuildError(path + ": cannot read the word list");
  std::vector<std::string> words;
  std::istringstream lines(*text);
  for (std::string line; std::getline(lines, line);)
    if (!line.empty()) words.push_back(line);
  return words;
}

std::vector<uint8_t> speakWord(const std::string& word) {
  Fd textRead, textWrite, waveRead, waveWrite, mp3Read, mp3Write;
  makePipe(textRead, textWrite);
  makePipe(waveRead, waveWrite);
  makePipe(mp3Read, mp3Write);
  pid_t speaker = spawn(kSpeak, textRead.fd, waveWrite.fd);
  pid_t encoder = -1;
  try {
    encoder = spawn(kEncode, waveRead.fd, mp3Write.fd);
  } catch (...) {
    textWrite.reset();
    waveRead.reset();
    exitedWell(speaker);
    throw;
  }
  // Only the children keep their ends now, so each pipe ends when its writer exits.
  textRead.reset();
  waveWrite.reset();
  waveRead.reset();
  mp3Write.reset();
  // A word fits the pipe's buffer: writing it cannot wait on the reading below.
  bool written = ::write(textWrite.fd, word.data(), word.size()) == ssize_t(word.size());
  textWrite.reset();
  std::vector<uint8_t> mp3;
  uint8_t buffer[8192];
  for (ssize_t n; (n = ::read(mp3Read.fd, buffer, sizeof buffer)) != 0;) {
    if (n < 0 && errno == EINTR) continue;
    if (n < 0) break;
    mp3.insert(mp3.end(), buffer, buffer + n);
  }
  bool spoke = exitedWell(speaker);
  bool encoded = exitedWell(encoder);
  if (!written || !spoke || !encoded || mp3.empty())
    throw BuildError("espeak-ng and lame could not make a recording of \"" + word + "\"");
  return mp3;
}

unsigned recordingJobs(const char* setting, unsigned cores) {
  cores = std::max(1u, cores);
  if (!setting || !*setting) return cores;
  std::string text(setting);
  bool digits = text.size() <= 9 &&
                std::all_of(text.begin(), text.end(), [](char c) { return c >= '0' && c <= '9'; });
  unsigned jobs = digits ? unsigned(std::stoul(text)) : 0;
  if (jobs == 0) throw BuildError("the number of jobs is a whole number from 1 up");
  return std::min(jobs, cores);
}

size_t makeVoicePack(const std::vector<std::string>& words, const std::string& packPath,
                     unsigned jobs) {
  std::set<std::string> wanted;
  for (const std::string& word : words) wanted.insert(AudioControl::entryNameForWord(word));
  if (wanted.size() != words.size()) throw BuildError("the word list names a word twice");
  if (!wanted.empty() && entryNames(packPath) == wanted) {
    ::utime(packPath.c_str(), nullptr);  // up to date: newer than the list now
    return 0;
  }

  std::vector<std::vector<uint8_t>> recordings(words.size());
  std::atomic<size_t> next{0};
  std::string failure;
  std::atomic<bool> failed{false};
  auto work = [&] {
    for (size_t i; !failed && (i = next++) < words.size();) {
      try {
        recordings[i] = speakWord(words[i]);
      } catch (const BuildError& error) {
        if (!failed.exchange(true)) failure = error.what();
      }
    }
  };
  std::vector<std::thread> workers;
  for (unsigned j = 0; j < std::max(1u, jobs); ++j) workers.emplace_back(work);
  for (auto& worker : workers) worker.join();
  if (failed) throw BuildError(failure);

  std::string part = packPath + ".part";
  try {
    ZipFile zip(part, ZipFileModeCreate);
    for (size_t i = 0; i < words.size(); ++i) {
      // MP3 data does not deflate: stored entries are as small and read faster.
      auto stream = zip.writeEntryWithName(AudioControl::entryNameForWord(words[i]), kEntryDate, 0);
      stream.writeData(std::span<const uint8_t>(recordings[i]));
      stream.finishedWriting();
    }
    zip.close();
  } catch (const ZipException& error) {
    plat::files::remove(part);
    throw BuildError(error.what());
  }
  if (std::rename(part.c_str(), packPath.c_str()) != 0)
    throw BuildError(packPath + ": cannot replace the pack");
  return words.size();
}

}  // namespace tools
