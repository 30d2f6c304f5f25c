// vocab-standin: the stand-in account server as a program, so that the app's online screens can be
// tried on one machine. It serves 127.0.0.1 only, keeps its state in the data folder it is given,
// and logs every request on standard output.
//
//   vocab-standin --data FOLDER [--port PORT] [--library LEARN_DB] [--store-version VERSION]
//   vocab-standin --data FOLDER --set-password ACCOUNT PASSWORD
//
// PORT defaults to 8080, the app's shipped server base; 0 takes a free port. The first line of
// output names the address. The notice the app shows above the review screen comes from the
// folder's notice-title.txt and notice.html when they exist (an empty notice.html hides it).
// With the app's library, a folder without excellent mnemonics gets a few samples. The store
// lookup ("/lookup") reports VERSION as the newest, else nothing. --set-password changes an
// account's password in the folder (while no server runs on it) and ends.
#include <malloc.h>
#include <signal.h>

#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <optional>
#include <string>
#include <thread>
#include <utility>
#include <vector>

#include "server/CommandLine.h"
#include "server/Echo.h"
#include "server/ExchangeLog.h"
#include "server/HttpListener.h"
#include "server/SampleMnemonics.h"
#include "server/Service.h"
#include "server/WholeFile.h"

namespace {

// Below the welcome message every new account finds a few older ones: more than a page.
const std::vector<std::string> kPastMessages = {
    "每日课堂更新了：打开复习页上方公告栏里的“每日课堂”看看今天的句子。",
    "小提示：单词卡片上的“优秀助记”来自其他学员，觉得好就采纳它。",
    "小提示：在设置页的“备份与同步”里可以把学习数据备份到服务器。",
    "连续签到可以让您在排行榜上更靠前，统计页里能看到排行榜。",
    "小提示：设置页的“卡片内容排序”里可以调整单词卡片各部分的顺序。",
    "新的单词本已经上线，到“单词本”页里挑选吧。",
    "小提示：在文本页粘贴一段英文，就能提取出里面的生词。",
    "小提示：设置页的“特权功能”里可以打开或关闭优秀助记。",
    "语音包可以在设置页的“特权功能”里下载，下载后单词都能发音。",
    "您的反馈我们都会认真阅读，谢谢您的支持。",
    "欢迎来到本机的练习服务器，这里的消息都是示例。",
};

// The notice the app shows above the review screen: the folder's own when it has one. A notice
// file that cannot be read stops the start, naming it, as the folder's other files do.
std::optional<standin::Notice> noticeIn(const std::string& folder, std::string& error) {
  standin::Notice notice{"公告",
                         "<p>这是本机的练习服务器：注册、登录、备份与恢复、消息、签到、每日课堂和"
                         "助记分享都可以在这里试用。</p>"};
  standin::WholeFile title = standin::readWholeFile(folder + "/notice-title.txt");
  standin::WholeFile html = standin::readWholeFile(folder + "/notice.html");
  if (!title.error.empty()) error = "notice-title.txt: " + title.error;
  if (!html.error.empty()) error = "notice.html: " + html.error;
  if (!error.empty()) return std::nullopt;
  if (title.bytes) {
    notice.title = std::move(*title.bytes);
    while (!notice.title.empty() && (notice.title.back() == '\n' || notice.title.back() == '\r'))
      notice.title.pop_back();
  }
  if (html.bytes) notice.html = std::move(*html.bytes);
  return notice;
}

void logExchange(const standin::Request& request, const standin::Form& form,
                 const standin::Reply& reply) {
  const std::string text = standin::exchangeLogText(request, form, reply, std::time(nullptr));
  std::fputs(text.c_str(), stdout);
  std::fflush(stdout);
}

// Every upload passes buffers of tens of megabytes (the request, its archive, the backup and its
// merge), and each is mapped on its own and given back to the system when freed, as the C library
// does with large blocks at first. Left to itself the library raises that bound to the size of
// every mapped block freed, up to 32 MB: after the first upload, the next ones' buffers came from
// the heaps (one for each connection's thread), which keep what they free below their top and
// seldom had a gap that fitted the next buffer, so the peak climbed by tens of megabytes an upload
// and the memory at rest with it. A bound set by hand stays put.
void mapLargeBlocks() {
  constexpr int kMappedFrom = 128 * 1024;  // the library's own starting bound
  mallopt(M_MMAP_THRESHOLD, kMappedFrom);
}

}  // namespace

// Changes an account's password in the data folder: the app's stored one goes stale, and its next
// signed request opens the login window again.
int setPassword(standin::Service& service, const std::string& name, const std::string& password) {
  const bool found = service.withState([&](standin::State& state) {
    auto account = state.accounts.find(standin::lowercase(name));
    if (account == state.accounts.end()) return false;
    account->second.passwordMd5 = standin::md5Hex(password);
    return true;
  });
  if (!found) {
    std::fprintf(stderr, "vocab-standin: no account %s\n", standin::echoed(name).c_str());
    return 1;
  }
  if (std::string error = service.save(); !error.empty()) {
    std::fprintf(stderr, "vocab-standin: cannot write the new password: %s\n",
                 standin::echoed(error, standin::kLongestEchoedPath).c_str());
    return 1;
  }
  std::printf("vocab-standin: the password of %s is changed\n", standin::echoed(name).c_str());
  return 0;
}

int main(int argc, char** argv) {
  mapLargeBlocks();
  const standin::CommandLine line =
      standin::CommandLine::parse(std::vector<std::string>(argv + 1, argv + argc));
  if (!line.error.empty()) {
    std::fputs(line.error.c_str(), stderr);
    return 2;
  }
  const std::string& folder = line.dataFolder;
  standin::Options options;
  if (!line.storeVersion.empty()) {
    options.storeVersion = line.storeVersion;
    options.releaseNotes = "版本 " + options.storeVersion + "：本机练习服务器报告的新版本。";
  }
  options.dataFolder = folder;
  std::string unreadable;
  if (auto notice = noticeIn(folder, unreadable)) {
    options.notice = std::move(*notice);
  } else {
    std::fprintf(stderr, "vocab-standin: cannot read %s: %s\n",
                 standin::echoed(folder, standin::kLongestEchoedPath).c_str(),
                 standin::echoed(unreadable, standin::kLongestEchoedPath).c_str());
    return 1;
  }
  options.countedSignIns = true;
  options.sampleLessons = true;
  options.welcomeMessage = "欢迎注册！这是您的第一条消息：读过之后，设置页上的消息数就会消失。";
  options.pastMessages = kPastMessages;
  options.rankingPage = true;
  standin::Service service(options);
  if (std::string error = service.load(); !error.empty()) {
    std::fprintf(stderr, "vocab-standin: cannot read %s: %s\n",
                 standin::echoed(folder, standin::kLongestEchoedPath).c_str(),
                 standin::echoed(error, standin::kLongestEchoedPath).c_str());
    return 1;
  }
  if (line.newPassword)
    return setPassword(service, line.newPassword->first, line.newPassword->second);
  const std::string& library = line.library;
  if (!library.empty()) {
    const std::string error = service.withState(
        [&](standin::State& state) { return standin::addSampleMnemonics(state, library); });
    if (!error.empty()) {
      std::fprintf(stderr, "vocab-standin: cannot read the library %s\n",
                   standin::echoed(error, standin::kLongestEchoedPath).c_str());
      return 1;
    }
  }

  // The signals that end the server are taken by the main thread alone, below.
  sigset_t endSignals;
  sigemptyset(&endSignals);
  sigaddset(&endSignals, SIGINT);
  sigaddset(&endSignals, SIGTERM);
  pthread_sigmask(SIG_BLOCK, &endSignals, nullptr);

  standin::HttpListener listener(static_cast<uint16_t>(line.port), [&](standin::Request request) {
    const standin::Form form = standin::Form::of(request);
    // An upload's archive is most of its body: once the form holds it, the body, as large, goes
    // before the script runs.
    if (!form.files.empty()) std::string().swap(request.body);
    standin::Reply reply = service.answer(request, form);
    logExchange(request, form, reply);
    return reply;
  });
  if (!listener.error().empty()) {
    std::fprintf(stderr, "vocab-standin: %s\n", listener.error().c_str());
    return 1;
  }
  const std::string base = "http://127.0.0.1:" + std::to_string(listener.port());
  service.setBase(base);
  std::printf("vocab-standin: serving %s with its data in %s\n", base.c_str(),
              standin::echoed(folder, standin::kLongestEchoedPath).c_str());
  std::fflush(stdout);
  std::thread([&listener] { listener.run(); }).detach();

  int signal = 0;
  sigwait(&endSignals, &signal);
  std::printf("vocab-standin: stopped\n");
  std::fflush(stdout);
  // Under the state's lock, so that no script is half-way through writing the data folder.
  service.withState([](standin::State&) { std::_Exit(0); });
}
