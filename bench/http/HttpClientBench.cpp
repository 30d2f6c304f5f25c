// The HTTP client against libcurl in the same process, both fetching from one loopback server in
// the same run, on the app's own path: the body kept in memory and the end reported on the
// caller's run loop (libcurl fetches on the calling thread). Two jobs: 1,000 small GETs one after
// another on a kept connection, and a 100 MB download with a download progress receiver (as the
// voice packs come). The small GETs are fetched twice: started asynchronously, as most of the app's
// requests are (the network thread does the work, the main thread hears of the end), and started
// synchronously on the main thread, which does all the work itself as libcurl's easy interface
// does. Every body is checked by its hash. Beside the times, the peak memory of one
// download kept in memory and of one handed over piece by piece to a consumer that hashes each
// piece.
#include <benchmark/benchmark.h>
#include <openssl/evp.h>
#include <sched.h>
#include <time.h>

#include <chrono>
#include <cstdio>
#include <cstring>
#include <functional>
#include <memory>
#include <random>
#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

#include "bench/http/LibcurlClient.h"
#include "bench/http/PeakMemory.h"
#include "bench/support/Ratio.h"
#include "net/HttpRequest.h"
#include "platform/base/RunLoop.h"
#include "tests/support/LoopbackHttpServer.h"

namespace {

using testsupport::LoopbackHttpServer;
using testsupport::ServerReply;
using testsupport::ServerRequest;

constexpr size_t kDownloadSize = 100u << 20;
constexpr int kSmallGets = 1000;

size_t hashOf(std::string_view bytes) {
  return std::hash<std::string_view>{}(bytes);
}

std::string_view viewOf(const std::vector<uint8_t>& bytes) {
  return {reinterpret_cast<const char*>(bytes.data()), bytes.size()};
}

// Made on first use, so that a run of the small GETs alone does without it.
const std::shared_ptr<const std::string>& bigBody() {
  static const auto body = [] {
    auto bytes = std::make_shared<std::string>(kDownloadSize, '\0');
    std::mt19937_64 random(30);
    for (size_t i = 0; i + 8 <= bytes->size(); i += 8) {
      const uint64_t word = random();
      std::memcpy(bytes->data() + i, &word, 8);
    }
    return std::shared_ptr<const std::string>(std::move(bytes));
  }();
  return body;
}

// 200 bytes that differ with the query, so that a body handed to the wrong request shows.
std::string smallBody(const std::string& query) {
  std::string body;
  while (body.size() < 200) body += "reply to " + query + ";";
  body.resize(200);
  return body;
}

LoopbackHttpServer& server() {
  static LoopbackHttpServer* instance = new LoopbackHttpServer([](const ServerRequest& r) {
    ServerReply reply;
    if (r.path() == "/big") {
      reply.sharedBody = bigBody();
    } else {
      reply.body = smallBody(r.query());
    }
    reply.header("Content-Type", "application/octet-stream");
    return reply;
  });
  return *instance;
}

std::string smallUrl(int i) {
  return server().url("/small?" + std::to_string(i));
}

// The owner of a request as the app's screens are: a delegate told of the end on the main
// thread, and a download progress receiver.
class Owner : public HttpRequestDelegate, public HttpProgressDelegate {
 public:
  void requestFinished(HttpRequest&) override { done = true; }
  void requestFailed(HttpRequest&) override { done = true; }
  void setProgress(double fraction) override { progress = fraction; }
  bool done = false;
  double progress = 0;
};

// Fetches `url` with this client and waits on the main run loop for the end. With `consume`
// the body goes to it piece by piece on the main thread and the request keeps none of it.
std::shared_ptr<HttpRequest> fetchWithOurs(const std::string& url, bool withProgress = false,
                                           HttpRequest::DataBlock consume = nullptr) {
  auto request = HttpRequest::requestWithURL(url);
  Owner owner;
  request->setDelegate(&owner);
  if (withProgress) request->setDownloadProgressDelegate(&owner);
  if (consume) request->setDataReceivedBlock(std::move(consume));
  request->startAsynchronous();
  plat::RunLoop::main().runUntil([&] { return owner.done; }, 60);
  request->setDelegate(nullptr);
  request->setDownloadProgressDelegate(nullptr);
  if (!owner.done) throw std::runtime_error("no answer within a minute");
  if (request->error()) throw std::runtime_error(request->error()->localizedDescription());
  return request;
}

// Fetches `url` with this client on the calling thread (the main thread), which returns once the
// owner has heard of the end.
std::shared_ptr<HttpRequest> fetchSynchronouslyWithOurs(const std::string& url) {
  auto request = HttpRequest::requestWithURL(url);
  Owner owner;
  request->setDelegate(&owner);
  request->startSynchronous();
  request->setDelegate(nullptr);
  if (!owner.done) throw std::runtime_error("the owner heard nothing of the end");
  if (request->error()) throw std::runtime_error(request->error()->localizedDescription());
  return request;
}

LibcurlClient& libcurl() {
  static LibcurlClient* client = new LibcurlClient();
  return *client;
}

void check(bool good, const char* what) {
  if (!good) throw std::runtime_error(what);
}

// The machine is shared and its load changes from second to second, so the two clients fetch in
// turns within one window of time: the benchmark of this client takes the turns, timing its own
// fetches and keeping libcurl's, and libcurl's benchmark then reports the times kept. `verify`
// runs after each turn, untimed. Beside the wall time each turn's processor time is kept, of the
// whole process (the network thread and the server work for the turn too): a busy machine
// sways it less than the wall time.
struct TurnTime {
  double wall = 0;
  double processor = 0;
};

struct Turns {
  std::vector<TurnTime> reference;
};

double processorSeconds() {
  timespec now{};
  clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &now);
  return static_cast<double>(now.tv_sec) + static_cast<double>(now.tv_nsec) * 1e-9;
}

TurnTime timeOf(const std::function<void()>& work) {
  const double processorStart = processorSeconds();
  const auto start = std::chrono::steady_clock::now();
  work();
  return {std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count(),
          processorSeconds() - processorStart};
}

// The processor time per iteration, read by the ratio report in place of the calling thread's.
void reportProcessorTime(benchmark::State& state, double seconds) {
  state.counters[bench::kProcessCpuCounter] =
      benchmark::Counter(seconds, benchmark::Counter::kAvgIterations);
}

void takeTurns(
    benchmark::State& state, Turns& turns, const std::function<void()>& ours,
    const std::function<void()>& reference, const std::function<void()>& verify = [] {}) {
  turns.reference.clear();
  bool oursFirst = true;
  double oursProcessor = 0;
  for (auto _ : state) {
    TurnTime oursTime, referenceTime;
    if (oursFirst) {
      oursTime = timeOf(ours);
      referenceTime = timeOf(reference);
    } else {
      referenceTime = timeOf(reference);
      oursTime = timeOf(ours);
    }
    oursFirst = !oursFirst;
    state.SetIterationTime(oursTime.wall);
    oursProcessor += oursTime.processor;
    turns.reference.push_back(referenceTime);
    verify();
  }
  reportProcessorTime(state, oursProcessor);
}

void reportReferenceTurns(benchmark::State& state, const Turns& turns) {
  size_t turn = 0;
  double processor = 0;
  for (auto _ : state) {
    if (turns.reference.empty()) {
      state.SkipWithError("no turns were taken");
      break;
    }
    const TurnTime& kept = turns.reference[turn++ % turns.reference.size()];
    state.SetIterationTime(kept.wall);
    processor += kept.processor;
  }
  reportProcessorTime(state, processor);
}

Turns downloadTurns, smallGetTurns, smallSyncGetTurns;

void BM_OursDownload(benchmark::State& state) {
  const std::string url = server().url("/big");
  const size_t expected = hashOf(*bigBody());
  std::shared_ptr<HttpRequest> kept;
  std::string curlBody;
  takeTurns(
      state, downloadTurns, [&] { kept = fetchWithOurs(url, true); },
      [&] { curlBody = libcurl().fetch(url); },
      [&] {
        check(kept->rawResponseData() && hashOf(viewOf(*kept->rawResponseData())) == expected,
              "our download differs");
        check(hashOf(curlBody) == expected, "libcurl's download differs");
        kept.reset();
        curlBody = std::string();
      });
  state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * kDownloadSize));
}

void BM_LibcurlDownload(benchmark::State& state) {
  reportReferenceTurns(state, downloadTurns);
  state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * kDownloadSize));
}

// 1,000 small GETs one after another with each client, every body checked against its query.
void takeSmallGetTurns(benchmark::State& state, Turns& turns,
                       std::shared_ptr<HttpRequest> (*fetch)(const std::string&)) {
  std::vector<std::string> urls;
  std::vector<size_t> expected;
  for (int i = 0; i < kSmallGets; ++i) {
    urls.push_back(smallUrl(i));
    expected.push_back(hashOf(smallBody(std::to_string(i))));
  }
  takeTurns(
      state, turns,
      [&] {
        for (int i = 0; i < kSmallGets; ++i) {
          auto request = fetch(urls[i]);
          const auto body = request->responseData();
          check(body && hashOf(viewOf(*body)) == expected[i], "our small reply differs");
        }
      },
      [&] {
        for (int i = 0; i < kSmallGets; ++i)
          check(hashOf(libcurl().fetch(urls[i])) == expected[i], "libcurl's small reply differs");
      });
}

void BM_OursSmallGets(benchmark::State& state) {
  takeSmallGetTurns(state, smallGetTurns,
                    [](const std::string& url) { return fetchWithOurs(url); });
}

void BM_LibcurlSmallGets(benchmark::State& state) {
  reportReferenceTurns(state, smallGetTurns);
}

void BM_OursSmallSyncGets(benchmark::State& state) {
  takeSmallGetTurns(state, smallSyncGetTurns, fetchSynchronouslyWithOurs);
}

void BM_LibcurlSmallSyncGets(benchmark::State& state) {
  reportReferenceTurns(state, smallSyncGetTurns);
}

constexpr int kDownloadTurns = 30;
constexpr int kSmallGetTurns = 16;
BENCHMARK(BM_OursDownload)
    ->Iterations(kDownloadTurns)
    ->UseManualTime()
    ->Unit(benchmark::kMillisecond);
BENCHMARK(BM_LibcurlDownload)
    ->Iterations(kDownloadTurns)
    ->UseManualTime()
    ->Unit(benchmark::kMillisecond);
BENCHMARK(BM_OursSmallGets)
    ->Iterations(kSmallGetTurns)
    ->UseManualTime()
    ->Unit(benchmark::kMillisecond);
BENCHMARK(BM_LibcurlSmallGets)
    ->Iterations(kSmallGetTurns)
    ->UseManualTime()
    ->Unit(benchmark::kMillisecond);
BENCHMARK(BM_OursSmallSyncGets)
    ->Iterations(kSmallGetTurns)
    ->UseManualTime()
    ->Unit(benchmark::kMillisecond);
BENCHMARK(BM_LibcurlSmallSyncGets)
    ->Iterations(kSmallGetTurns)
    ->UseManualTime()
    ->Unit(benchmark::kMillisecond);

// A consumer slower than loopback: SHA-256 over each piece as it comes.
class PieceHasher {
 public:
  PieceHasher() : context_(EVP_MD_CTX_new()) { EVP_DigestInit_ex(context_, EVP_sha256(), nullptr); }
  ~PieceHasher() { EVP_MD_CTX_free(context_); }
  void add(std::string_view piece) { EVP_DigestUpdate(context_, piece.data(), piece.size()); }
  std::string digest() {
    unsigned char out[EVP_MAX_MD_SIZE];
    unsigned length = 0;
    EVP_DigestFinal_ex(context_, out, &length);
    return std::string(reinterpret_cast<char*>(out), length);
  }

 private:
  EVP_MD_CTX* context_;
};

// Peak memory of one 100 MB download with each client, kept in memory and handed over to the
// hashing consumer; printed beside the ratios.
void reportPeakMemory() {
  const std::string url = server().url("/big");
  auto megabytes = [](size_t bytes) { return static_cast<double>(bytes) / (1 << 20); };
  // The network thread may hold a finished request a moment longer than its owner.
  auto settle = [] { plat::RunLoop::main().runUntil([] { return false; }, 0.1); };
  const size_t oursKept = peakMemoryGrowth([&] { fetchWithOurs(url, true); });
  settle();
  const size_t libcurlKept = peakMemoryGrowth([&] { libcurl().fetch(url); });
  std::string oursDigest, libcurlDigest;
  const size_t oursHashed = peakMemoryGrowth([&] {
    PieceHasher hasher;
    fetchWithOurs(url, false,
                  [&](const std::vector<uint8_t>& piece) { hasher.add(viewOf(piece)); });
    oursDigest = hasher.digest();
  });
  settle();
  const size_t libcurlHashed = peakMemoryGrowth([&] {
    PieceHasher hasher;
    libcurl().fetchInPieces(url, [&](std::string_view piece) { hasher.add(piece); });
    libcurlDigest = hasher.digest();
  });
  check(oursDigest == libcurlDigest, "the hashed downloads differ");
  std::printf("PEAK_MB http_download_in_memory ours %.1f libcurl %.1f\n", megabytes(oursKept),
              megabytes(libcurlKept));
  std::printf("PEAK_MB http_download_hashed_pieces ours %.1f libcurl %.1f\n", megabytes(oursHashed),
              megabytes(libcurlHashed));
}

// Every thread of the run (both clients and the server) on the processor the run starts on. On
// a shared virtual machine a wake-up that crosses to another processor costs more than the
// hand-over it carries and varies tenfold with the other tenants' load; on one processor the
// figures compare the work each client does. (Without this, the small GETs measured 6 to 20
// times libcurl's time on a busy day, 1.4 when the machine was quiet.)
void runOnOneProcessor() {
  cpu_set_t one;
  CPU_ZERO(&one);
  CPU_SET(sched_getcpu(), &one);
  if (sched_setaffinity(0, sizeof one, &one) != 0) std::perror("sched_setaffinity");
}

}  // namespace

int main(int argc, char** argv) {
  runOnOneProcessor();  // before any thread is made: they inherit it
  plat::RunLoop::setMainThread();
  testsupport::clearProxyEnvironment();
  auto turns = [](const char* name, int count) {
    return std::string(name) + "/iterations:" + std::to_string(count) + "/manual_time";
  };
  const int status = bench::runWithRatios(
      argc, argv,
      {{"http_download_vs_libcurl", turns("BM_OursDownload", kDownloadTurns),
        turns("BM_LibcurlDownload", kDownloadTurns)},
       {"http_small_gets_vs_libcurl", turns("BM_OursSmallGets", kSmallGetTurns),
        turns("BM_LibcurlSmallGets", kSmallGetTurns)},
       {"http_small_sync_gets_vs_libcurl", turns("BM_OursSmallSyncGets", kSmallGetTurns),
        turns("BM_LibcurlSmallSyncGets", kSmallGetTurns)}});
  // Only a whole run (not one filtered down to some benchmarks) measures memory too.
  if (status == 0) reportPeakMemory();
  return status;
}
