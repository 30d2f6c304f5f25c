// vocab-standin: the stand-in account server as a program, so that the app's online screens can be
// tried on one machine. It serves 127.0.0.1 only, keeps its state in the data folder it is given,
// and logs every request on standard output.
//
//   vocab-standin --data FOLDER [--port PORT]
//
// PORT defaults to 8080, the app's shipped server base; 0 takes a free port. The first line of
// output names the address. The notice the app shows above the review screen comes from the
// folder's notice-title.txt and notice.html when they exist (an empty notice.html hides it).
#include <signal.h>

#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <fstream>
#include <iterator>
#include <optional>
#include <string>
#include <thread>

#include "server/Form.h"
#include "server/HttpListener.h"
#include "server/Service.h"

namespace {

const char* const kUsage = "usage: vocab-standin --data FOLDER [--port PORT]\n";

std::optional<std::string> fileText(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  if (!in) return std::nullopt;
  return std::string(std::istreambuf_iterator<char>(in), {});
}

standin::Notice noticeIn(const std::string& folder) {
  standin::Notice notice{"公告",
                         "<p>这是本机的练习服务器：注册、登录、备份与恢复、消息、签到、每日课堂和"
                         "助记分享都可以在这里试用。</p>"};
  if (auto title = fileText(folder + "/notice-title.txt")) {
    notice.title = *title;
    while (!notice.title.empty() && (notice.title.back() == '\n' || notice.title.back() == '\r'))
      notice.title.pop_back();
  }
  if (auto html = fileText(folder + "/notice.html")) notice.html = *html;
  return notice;
}

void logExchange(const standin::Request& request, const standin::Reply& reply) {
  const std::time_t now = std::time(nullptr);
  char when[32];
  std::strftime(when, sizeof when, "%Y-%m-%d %H:%M:%S", std::localtime(&now));
  const std::string account = standin::Form::of(request)["account"];
  std::printf("%s %s %s%s%s -> %d (%zu bytes)\n", when, request.method.c_str(),
              request.path().c_str(), account.empty() ? "" : " account=", account.c_str(),
              reply.status, reply.body.size());
  std::fflush(stdout);
}

}  // namespace

int main(int argc, char** argv) {
  std::string folder;
  long port = 8080;
  for (int i = 1; i < argc; ++i) {
    const std::string arg = argv[i];
    if (arg == "--data" && i + 1 < argc) {
      folder = argv[++i];
    } else if (arg == "--port" && i + 1 < argc) {
      char* end = nullptr;
      port = std::strtol(argv[++i], &end, 10);
      if (*end != '\0' || port < 0 || port > 65535) {
        std::fprintf(stderr, "vocab-standin: no port number: %s\n", argv[i]);
        return 2;
      }
    } else {
      std::fputs(kUsage, stderr);
      return 2;
    }
  }
  if (folder.empty()) {
    std::fputs(kUsage, stderr);
    return 2;
  }

  standin::Options options;
  options.dataFolder = folder;
  options.notice = noticeIn(folder);
  options.countedSignIns = true;
  options.sampleLessons = true;
  options.welcomeMessage = "欢迎注册！这是您的第一条消息：读过之后，设置页上的消息数就会消失。";
  standin::Service service(options);
  if (std::string error = service.load(); !error.empty()) {
    std::fprintf(stderr, "vocab-standin: cannot read %s: %s\n", folder.c_str(), error.c_str());
    return 1;
  }

  // The signals that end the server are taken by the main thread alone, below.
  sigset_t endSignals;
  sigemptyset(&endSignals);
  sigaddset(&endSignals, SIGINT);
  sigaddset(&endSignals, SIGTERM);
  pthread_sigmask(SIG_BLOCK, &endSignals, nullptr);

  standin::HttpListener listener(static_cast<uint16_t>(port), [&](const standin::Request& request) {
    standin::Reply reply = service.answer(request);
    logExchange(request, reply);
    return reply;
  });
  if (!listener.error().empty()) {
    std::fprintf(stderr, "vocab-standin: %s\n", listener.error().c_str());
    return 1;
  }
  const std::string base = "http://127.0.0.1:" + std::to_string(listener.port());
  service.setBase(base);
  std::printf("vocab-standin: serving %s with its data in %s\n", base.c_str(), folder.c_str());
  std::fflush(stdout);
  std::thread([&listener] { listener.run(); }).detach();

  int signal = 0;
  sigwait(&endSignals, &signal);
  std::printf("vocab-standin: stopped\n");
  std::fflush(stdout);
  // Under the state's lock, so that no script is half-way through writing the data folder.
  service.withState([](standin::State&) { std::_Exit(0); });
}
