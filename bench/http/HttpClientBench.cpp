// The HTTP client against the curl command-line tool, both fetching from one loopback server in
// the same run: a 64 MB download, and 1,000 small GETs one after another on a kept connection.
#include <benchmark/benchmark.h>
#include <fcntl.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

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
// the body stays in memory, as the application reads it.
size_t fetch(const std::string& url) {
  auto request = HttpRequest::requestWithURL(url);
  bool done = false;
  request->setCompletionBlock([&] { done = true; });
  request->setFailedBlock([&] { done = true; });
  request->startAsynchronous();
  plat::RunLoop::main().runUntil([&] { return done; }, 60);
  if (request->error()) throw std::runtime_error(request->error()->localizedDescription());
  return request->rawResponseData() ? request->rawResponseData()->size() : 0;
}

// Runs curl with `arguments`, its output thrown away (curl keeps no copy of what it fetched).
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

void BM_OursDownload(benchmark::State& state) {
  const std::string url = server().url("/big");
  for (auto _ : state) {
    if (fetch(url) != kDownloadSize) state.SkipWithError("short download");
  }
  state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * kDownloadSize));
}

void BM_CurlDownload(benchmark::State& state) {
  const std::string url = server().url("/big");
  for (auto _ : state) runCurl({url});
  state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * kDownloadSize));
}

void BM_OursSmallGets(benchmark::State& state) {
  const std::string url = server().url("/small");
  for (auto _ : state) {
    for (int i = 0; i < kSmallGets; ++i) fetch(url + "?" + std::to_string(i));
  }
}

void BM_CurlSmallGets(benchmark::State& state) {
  // One curl for all of them, so that it too keeps its connection.
  const std::string url = server().url("/small?[1-" + std::to_string(kSmallGets) + "]");
  for (auto _ : state) runCurl({url});
}

BENCHMARK(BM_OursDownload)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_CurlDownload)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_OursSmallGets)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_CurlSmallGets)->Unit(benchmark::kMillisecond)->UseRealTime();

}  // namespace

int main(int argc, char** argv) {
  plat::RunLoop::setMainThread();
  HttpRequest::setShouldUpdateNetworkActivityIndicator(false);
  return bench::runWithRatios(
      argc, argv,
      {{"http_download_vs_curl", "BM_OursDownload/real_time", "BM_CurlDownload/real_time"},
       {"http_small_gets_vs_curl", "BM_OursSmallGets/real_time", "BM_CurlSmallGets/real_time"}});
}
