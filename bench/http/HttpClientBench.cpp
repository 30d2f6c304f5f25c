// The HTTP client against the curl command-line tool, both fetching from one loopback server in
// the same run: a 64 MB download, and 1,000 small GETs one after another on a kept connection.
#include <benchmark/benchmark.h>
#include <fcntl.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <functional>
#include <memory>
#include <stdexcept>
#include <string>
#include <vector>

#include "bench/support/Ratio.h"
#include "net/HttpRequest.h"
#include "platform/base/RunLoop.h"
#include "tests/support/LoopbackHttpServer.h"

extern char** environ;

namespace {

using testsupport::LoopbackHttpServer;
using testsupport::ServerReply;
using testsupport::ServerRequest;

constexpr size_t kDownloadSize = 64u << 20;
constexpr int kSmallGets = 1000;

LoopbackHttpServer& server() {
  static const auto big = std::make_shared<const std::string>(kDownloadSize, 'b');
  static const auto small = std::make_shared<const std::string>(200, 's');
  static LoopbackHttpServer* instance = new LoopbackHttpServer([](const ServerRequest& r) {
    ServerReply reply;
    reply.sharedBody = r.path() == "/big" ? big : small;
    reply.header("Content-Type", "application/octet-stream");
    return reply;
  });
  return *instance;
}

// Fetches `url` with this client on the network thread and waits on the main loop for the end;
// returns the size of the body. With `handOver` the body goes to the owner chunk by chunk on the
// main thread and the request keeps none of it (as curl hands its body to its output); otherwise
// the request keeps it in memory.
size_t fetch(const std::string& url, bool handOver = false) {
  auto request = HttpRequest::requestWithURL(url);
  bool done = false;
  size_t handedOver = 0;
  request->setCompletionBlock([&] { done = true; });
  request->setFailedBlock([&] { done = true; });
  if (handOver) {
    request->setDataReceivedBlock(
        [&](const std::vector<uint8_t>& chunk) { handedOver += chunk.size(); });
  }
  request->startAsynchronous();
  plat::RunLoop::main().runUntil([&] { return done; }, 60);
  if (request->error()) throw std::runtime_error(request->error()->localizedDescription());
  if (handOver) return handedOver;
  return request->rawResponseData() ? request->rawResponseData()->size() : 0;
}

// Runs curl with `arguments`, its output (the body) thrown away.
void runCurl(const std::vector<std::string>& arguments) {
  std::vector<std::string> all = {"curl", "--silent", "--show-error", "--fail", "--noproxy", "*"};
  all.insert(all.end(), arguments.begin(), arguments.end());
  std::vector<char*> argv;
  for (auto& a : all) argv.push_back(a.data());
  argv.push_back(nullptr);
  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  posix_spawn_file_actions_addopen(&actions, 1, "/dev/null", O_WRONLY, 0);
  pid_t pid;
  if (posix_spawnp(&pid, "curl", &actions, nullptr, argv.data(), environ) != 0)
    throw std::runtime_error("cannot start curl");
  posix_spawn_file_actions_destroy(&actions);
  int status = 0;
  waitpid(pid, &status, 0);
  if (!WIFEXITED(status) || WEXITSTATUS(status) != 0) throw std::runtime_error("curl failed");
}

// The machine is shared and its load changes from second to second, so the two clients fetch in
// turns within one window of time: the benchmark of this client takes the turns, timing its own
// fetches and keeping curl's, and curl's benchmark then reports the times kept.
struct Turns {
  std::vector<double> curlSeconds;
};

double secondsOf(const std::function<void()>& work) {
  const auto start = std::chrono::steady_clock::now();
  work();
  return std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
}

void takeTurns(benchmark::State& state, Turns& turns, const std::function<void()>& ours,
               const std::function<void()>& curl) {
  turns.curlSeconds.clear();
  bool oursFirst = true;
  for (auto _ : state) {
    double oursSeconds, curlSeconds;
    if (oursFirst) {
      oursSeconds = secondsOf(ours);
      curlSeconds = secondsOf(curl);
    } else {
      curlSeconds = secondsOf(curl);
      oursSeconds = secondsOf(ours);
    }
    oursFirst = !oursFirst;
    state.SetIterationTime(oursSeconds);
    turns.curlSeconds.push_back(curlSeconds);
  }
}

void reportCurlTurns(benchmark::State& state, const Turns& turns) {
  size_t turn = 0;
  for (auto _ : state) {
    if (turns.curlSeconds.empty()) {
      state.SkipWithError("no turns were taken");
      break;
    }
    state.SetIterationTime(turns.curlSeconds[turn++ % turns.curlSeconds.size()]);
  }
}

Turns downloadTurns, smallGetTurns;

void BM_OursDownload(benchmark::State& state) {
  const std::string url = server().url("/big");
  takeTurns(
      state, downloadTurns,
      [&] {
        if (fetch(url, true) != kDownloadSize) throw std::runtime_error("short download");
      },
      [&] { runCurl({url}); });
  state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * kDownloadSize));
}

void BM_CurlDownload(benchmark::State& state) {
  reportCurlTurns(state, downloadTurns);
  state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * kDownloadSize));
}

void BM_OursSmallGets(benchmark::State& state) {
  const std::string url = server().url("/small");
  // One curl for all of them, so that it too keeps its connection.
  const std::string glob = server().url("/small?[1-" + std::to_string(kSmallGets) + "]");
  takeTurns(
      state, smallGetTurns,
      [&] {
        for (int i = 0; i < kSmallGets; ++i) fetch(url + "?" + std::to_string(i));
      },
      [&] { runCurl({glob}); });
}

void BM_CurlSmallGets(benchmark::State& state) {
  reportCurlTurns(state, smallGetTurns);
}

constexpr int kDownloadTurns = 60;
constexpr int kSmallGetTurns = 16;
BENCHMARK(BM_OursDownload)
    ->Iterations(kDownloadTurns)
    ->UseManualTime()
    ->Unit(benchmark::kMillisecond);
BENCHMARK(BM_CurlDownload)
    ->Iterations(kDownloadTurns)
    ->UseManualTime()
    ->Unit(benchmark::kMillisecond);
BENCHMARK(BM_OursSmallGets)
    ->Iterations(kSmallGetTurns)
    ->UseManualTime()
    ->Unit(benchmark::kMillisecond);
BENCHMARK(BM_CurlSmallGets)
    ->Iterations(kSmallGetTurns)
    ->UseManualTime()
    ->Unit(benchmark::kMillisecond);

}  // namespace

int main(int argc, char** argv) {
  plat::RunLoop::setMainThread();
  HttpRequest::setShouldUpdateNetworkActivityIndicator(false);
  auto turns = [](const char* name, int count) {
    return std::string(name) + "/iterations:" + std::to_string(count) + "/manual_time";
  };
  return bench::runWithRatios(
      argc, argv,
      {{"http_download_vs_curl", turns("BM_OursDownload", kDownloadTurns),
        turns("BM_CurlDownload", kDownloadTurns)},
       {"http_small_gets_vs_curl", turns("BM_OursSmallGets", kSmallGetTurns),
        turns("BM_CurlSmallGets", kSmallGetTurns)}});
}
