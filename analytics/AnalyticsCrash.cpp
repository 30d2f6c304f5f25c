#include "analytics/AnalyticsCrash.h"

#include <elf.h>
#include <execinfo.h>
#include <fcntl.h>
#include <link.h>
#include <poll.h>
#include <signal.h>
#include <sys/syscall.h>
#include <unistd.h>

#include <atomic>
#include <chrono>
#include <cstring>
#include <exception>
#include <future>
#include <mutex>

#include "analytics/ANUtil.h"
#include "analytics/AnalyticsContext.h"
#include "analytics/AnalyticsCrashFile.h"
#include "analytics/AnalyticsInternal.h"
#include "analytics/AnalyticsLog.h"
#include "analytics/AnalyticsState.h"
#include "analytics/AnalyticsTexts.h"
#include "platform/base/Files.h"
#include "platform/base/MainThread.h"
#include "platform/base/NotificationCenter.h"

namespace {

const int kFatalSignals[] = {SIGABRT, SIGILL, SIGSEGV, SIGFPE, SIGBUS};
constexpr double kHandOverSeconds = 3;

// Everything the signal handler reads, prepared outside it.
struct Prepared {
  char suffix[1024] = "";  // the report's image part
  char crashPath[4096] = "";
  char appVersion[128] = "";
  char sessionId[64] = "";
  std::atomic<long> launchRealTime{0};
  std::atomic<long> mainThreadId{0};
  int wakeMain[2] = {-1, -1};  // the main thread's descriptor source
  int ack[2] = {-1, -1};       // the main thread's answer
  char report[16384] = "";     // built by the crashing thread
  std::atomic<bool> handling{false};
  std::atomic<bool> recording{true};  // crash reports switched on
};

Prepared& prepared() {
  static Prepared* p = new Prepared();  // never freed: a crash may come at exit
  return *p;
}

std::once_flag installOnce;

long threadId() {
  return static_cast<long>(::syscall(SYS_gettid));
}

long realNow() {
  struct timespec now;
  ::clock_gettime(CLOCK_REALTIME, &now);
  return now.tv_sec;
}

void copyText(char* out, size_t size, const std::string& text) {
  size_t n = text.size() < size - 1 ? text.size() : size - 1;
  std::memcpy(out, text.data(), n);
  out[n] = '\0';
}

// Appending within a fixed buffer, safe in a signal handler.
struct FixedText {
  char* out;
  size_t size;
  size_t length = 0;
  void add(const char* text) {
    while (*text && length + 1 < size) out[length++] = *text++;
    out[length] = '\0';
  }
  void addHex(uintptr_t value) {
    char digits[19] = "0x";
    for (int i = 0; i < 16; ++i) digits[2 + i] = "0123456789abcdef"[(value >> (60 - 4 * i)) & 15];
    digits[18] = '\0';
    add(digits);
  }
};

const char* signalName(int signal) {
  switch (signal) {
    case SIGABRT:
      return "SIGABRT";
    case SIGBUS:
      return "SIGBUS";
    case SIGFPE:
      return "SIGFPE";
    case SIGILL:
      return "SIGILL";
    case SIGSEGV:
      return "SIGSEGV";
    case SIGTRAP:
      return "SIGTRAP";
    default:
      return "UNKNOWN";
  }
}

std::vector<std::string> currentStack() {
  void* frames[64];
  int count = ::backtrace(frames, 64);
  std::vector<std::string> lines;
  char** symbols = ::backtrace_symbols(frames, count);
  for (int i = 0; i < count; ++i) lines.push_back(symbols ? symbols[i] : "");
  std::free(symbols);
  return lines;
}

// On the main thread: the crash becomes a record, the session ends and the cache is written.
void recordOnMain(const std::string& exceptionText) {
  AnalyticsCrashCatcher::removeHandlers();
  plat::NotificationCenter::defaultCenter().post(
      kAnalyticsCrashCatchNotification, nullptr,
      plat::Value::dictionary({{"text", exceptionText}}));
}

void writeDirectly(const char* report) {
  Prepared& p = prepared();
  long now = realNow();
  long launched = p.launchRealTime.load();
  long duration = launched > 0 && now >= launched ? now - launched : 0;
  if (duration > 7200) duration = 3600;
  writeCrashFileSignalSafe(p.crashPath, p.appVersion, p.sessionId, now, duration, report);
}

void restoreDefaultsAndRaise(int signal) {
  for (int s : kFatalSignals) ::signal(s, SIG_DFL);
  ::signal(SIGPIPE, SIG_DFL);
  ::raise(signal);
}

void signalHandler(int signal) {
  Prepared& p = prepared();
  if (p.handling.exchange(true)) restoreDefaultsAndRaise(signal);
  FixedText text{p.report, sizeof p.report};
  text.add("Application received signal ");
  text.add(signalName(signal));
  text.add("\n(null)\n((");
  void* frames[64];
  int count = ::backtrace(frames, 64);
  for (int i = 0; i < count; ++i) {
    text.add("\n\t");
    text.addHex(reinterpret_cast<uintptr_t>(frames[i]));
  }
  text.add("\n)");
  bool handed = false;
  if (threadId() != p.mainThreadId.load() && p.wakeMain[1] >= 0) {
    char byte = 1;
    if (::write(p.wakeMain[1], &byte, 1) == 1) {
      struct pollfd answer = {p.ack[0], POLLIN, 0};
      handed = ::poll(&answer, 1, static_cast<int>(kHandOverSeconds * 1000)) == 1;
    }
  }
  if (!handed && p.recording.load()) {
    text.add(p.suffix);
    writeDirectly(p.report);
  }
  restoreDefaultsAndRaise(signal);
}

void terminateHandler() {
  std::string reason = "Unknown exception";
  if (auto current = std::current_exception()) {
    try {
      std::rethrow_exception(current);
    } catch (const std::exception& e) {
      reason = e.what();
    } catch (...) {
    }
  }
  Prepared& p = prepared();
  if (!p.handling.exchange(true)) {
    std::string exception = AnalyticsCrashCatcher::exceptionText(reason, currentStack());
    bool recorded = false;
    if (plat::isMainThread()) {
      recordOnMain(exception);
      recorded = true;
    } else {
      auto done = std::make_shared<std::promise<void>>();
      auto future = done->get_future();
      plat::RunLoop::main().perform([exception, done] {
        recordOnMain(exception);
        done->set_value();
      });
      recorded = future.wait_for(std::chrono::duration<double>(kHandOverSeconds)) ==
                 std::future_status::ready;
    }
    if (!recorded && p.recording.load()) {
      std::string report = exception + p.suffix;
      writeDirectly(report.c_str());
    }
  }
  AnalyticsCrashCatcher::removeHandlers();
  std::abort();
}

// The main thread's side of the hand-over from a crashing thread.
void onWake(int fd, unsigned) {
  char byte;
  if (::read(fd, &byte, 1) != 1) return;
  recordOnMain(prepared().report);
  byte = 1;
  (void)::write(prepared().ack[1], &byte, 1);
}

struct ExecutableScan {
  plat::Value info;
  bool done = false;
};

int describeFirstObject(struct dl_phdr_info* object, size_t, void* data) {
  auto* scan = static_cast<ExecutableScan*>(data);
  if (scan->done) return 1;
  scan->done = true;  // the first object is the executable itself
  const ElfW(Ehdr)* header = nullptr;
  for (int i = 0; i < object->dlpi_phnum; ++i) {
    const ElfW(Phdr)& segment = object->dlpi_phdr[i];
    if (segment.p_type == PT_LOAD && segment.p_offset == 0) {
      header = reinterpret_cast<const ElfW(Ehdr)*>(object->dlpi_addr + segment.p_vaddr);
      break;
    }
  }
  if (!header) return 1;
  if (std::memcmp(header->e_ident, ELFMAG, SELFMAG) != 0) {
    uint32_t magic;
    std::memcpy(&magic, header->e_ident, sizeof magic);
    analyticsLog(kInvalidHeaderMagic, magic);
    return 1;
  }
  bool is64 = header->e_ident[EI_CLASS] == ELFCLASS64;
  plat::Value info = plat::Value::dictionary();
  const std::string path = plat::files::programPath();
  info.set("image_name", path.substr(path.find_last_of('/') + 1));
  info.set(
      "image_base_address",
      anFormat("0x%016llx", static_cast<unsigned long long>(reinterpret_cast<uintptr_t>(header))));
  for (int i = 0; i < object->dlpi_phnum; ++i) {
    const ElfW(Phdr)& segment = object->dlpi_phdr[i];
    if (segment.p_type == PT_LOAD && (segment.p_flags & PF_X) && !info.has("slide_address")) {
      info.set("slide_address",
               is64 ? anFormat("0x%016llx", static_cast<unsigned long long>(segment.p_vaddr))
                    : anFormat("0x%08x", static_cast<unsigned>(segment.p_vaddr)));
    }
    if (segment.p_type != PT_NOTE) continue;
    const auto* note = reinterpret_cast<const uint8_t*>(object->dlpi_addr + segment.p_vaddr);
    size_t offset = 0;
    while (offset + sizeof(ElfW(Nhdr)) <= segment.p_memsz) {
      const auto* entry = reinterpret_cast<const ElfW(Nhdr)*>(note + offset);
      size_t nameAt = offset + sizeof(ElfW(Nhdr));
      size_t descAt = nameAt + ((entry->n_namesz + 3) & ~3u);
      if (entry->n_type == NT_GNU_BUILD_ID && entry->n_namesz == 4 &&
          std::memcmp(note + nameAt, "GNU", 4) == 0) {
        uint8_t id[16] = {};
        std::memcpy(id, note + descAt, entry->n_descsz < 16 ? entry->n_descsz : 16);
        info.set("binary_uuid", AnalyticsCrashCatcher::formatBinaryUuid(id));
      }
      offset = descAt + ((entry->n_descsz + 3) & ~3u);
    }
  }
  info.set("cpu_arch", AnalyticsCrashCatcher::cpuArchName(header->e_machine));
  scan->info = info;
  return 1;
}

}  // namespace

std::string AnalyticsCrashCatcher::formatBinaryUuid(const uint8_t bytes[16]) {
  std::string out;
  for (int i = 0; i < 16; ++i) {
    if (i == 4 || i == 6 || i == 8 || i == 10) out.push_back('-');
    out += anFormat("%02X", bytes[i]);
  }
  return out;
}

std::string AnalyticsCrashCatcher::cpuArchName(unsigned machine) {
  switch (machine) {
    case EM_386:
      return "i386";
    case EM_X86_64:
      return "x86_64";
    case EM_AARCH64:
      return "arm64";
    case EM_ARM:
      return "arm-unknown";
    case EM_PPC:
    case EM_PPC64:
      return "powerpc";
    default:
      return "???";
  }
}

plat::Value AnalyticsCrashCatcher::describeExecutable() {
  ExecutableScan scan;
  ::dl_iterate_phdr(describeFirstObject, &scan);
  return scan.info;
}

std::string AnalyticsCrashCatcher::exceptionText(const std::string& reason,
                                                 const std::vector<std::string>& stack) {
  std::string text = reason + "\n(null)\n((";
  for (const std::string& line : stack) text += "\n\t" + line;
  return text + "\n)";
}

std::string AnalyticsCrashCatcher::reportText(const std::string& exceptionText,
                                              const plat::Value& info) {
  auto field = [&info](const char* key) {
    return info.has(key) ? info[key].asString() : std::string("(null)");
  };
  return anFormat(
      "%s\n\ndSYM UUID: %s\nCPU Type: %s\nSlide Address: %s\nBinary Image: %s\nBase Address: %s\n",
      exceptionText.c_str(), field("binary_uuid").c_str(), field("cpu_arch").c_str(),
      field("slide_address").c_str(), field("image_name").c_str(),
      field("image_base_address").c_str());
}

void AnalyticsCrashCatcher::installUncaughtExceptionHandler() {
  plat::Value info = describeExecutable();
  AnalyticsInternal::setErrorSupportInfo(info);
  std::call_once(installOnce, [] {
    Prepared& p = prepared();
    currentStack();  // loads the unwinder now, not inside a signal handler
    if (::pipe2(p.wakeMain, O_CLOEXEC) == 0 && ::pipe2(p.ack, O_CLOEXEC) == 0) {
      plat::RunLoop::main().perform([] {
        prepared().mainThreadId.store(threadId());
        plat::RunLoop::main().addFdSource(prepared().wakeMain[0], plat::kFdReadable, onWake);
      });
    }
  });
  if (!info.isNull()) {
    std::string suffix = reportText("", info);
    copyText(prepared().suffix, sizeof prepared().suffix, suffix);
  }
  updateSnapshot();
  prepared().handling.store(false);
  std::set_terminate(terminateHandler);
  for (int s : kFatalSignals) ::signal(s, signalHandler);
}

void AnalyticsCrashCatcher::setRecording(bool on) {
  prepared().recording.store(on);
}

void AnalyticsCrashCatcher::removeHandlers() {
  std::set_terminate(nullptr);
  for (int s : kFatalSignals) ::signal(s, SIG_DFL);
  ::signal(SIGPIPE, SIG_DFL);
}

void AnalyticsCrashCatcher::updateSnapshot() {
  Prepared& p = prepared();
  copyText(p.crashPath, sizeof p.crashPath, AnalyticsInternal::crashFilePath());
  copyText(p.appVersion, sizeof p.appVersion, ANUtil::appVersionString());
  copyText(p.sessionId, sizeof p.sessionId, AnalyticsInternal::sharedInstance().sessionID);
  p.launchRealTime.store(realNow());
  if (plat::isMainThread()) p.mainThreadId.store(threadId());
}
