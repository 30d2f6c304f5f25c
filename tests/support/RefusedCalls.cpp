#include "tests/support/RefusedCalls.h"

#include <fcntl.h>
#include <linux/audit.h>
#include <linux/filter.h>
#include <linux/seccomp.h>
#include <stdio.h>  // RENAME_NOREPLACE
#include <sys/prctl.h>
#include <sys/syscall.h>

#include <cerrno>
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <thread>

namespace testsupport {
namespace {

#if defined(__x86_64__)
constexpr uint32_t kArch = AUDIT_ARCH_X86_64;
#elif defined(__aarch64__)
constexpr uint32_t kArch = AUDIT_ARCH_AARCH64;
#else
constexpr uint32_t kArch = 0;
#endif

// One system call behind a refused call; with a flag argument, only where the flag is set (or,
// with `flagSet` false, where it is not).
struct Rule {
  long number;
  int flagArgument = -1;
  uint32_t flag = 0;
  bool flagSet = true;
};

std::vector<Rule> rulesOf(RefusedCall call) {
  switch (call) {
    case RefusedCall::renameNoReplace:
      return {{__NR_renameat2, 4, RENAME_NOREPLACE, true}};
    case RefusedCall::link:
      return {
#ifdef __NR_link
          {__NR_link},
#endif
          {__NR_linkat}};
    case RefusedCall::exclusiveCreate:
      return {
#ifdef __NR_open
          {__NR_open, 1, O_EXCL, true},
#endif
          {__NR_openat, 2, O_EXCL, true}};
    case RefusedCall::renameOver:
      return {
#ifdef __NR_rename
          {__NR_rename},
#endif
#ifdef __NR_renameat
          {__NR_renameat},
#endif
          {__NR_renameat2, 4, RENAME_NOREPLACE, false}};
  }
  return {};
}

sock_filter statement(uint16_t code, uint32_t value) {
  return sock_filter{code, 0, 0, value};
}

// Goes on `ifTrue` or `ifFalse` instructions past the next one.
sock_filter jump(uint16_t code, uint32_t value, uint8_t ifTrue, uint8_t ifFalse) {
  return sock_filter{code, ifTrue, ifFalse, value};
}

// The filter: for each rule, load the call's number, skip on to the next rule when it differs or
// the flag does not match, else answer the error.
std::vector<sock_filter> filterOf(const std::vector<Refusal>& refusals) {
  const auto number = static_cast<uint32_t>(offsetof(seccomp_data, nr));
  std::vector<sock_filter> program = {
      statement(BPF_LD | BPF_W | BPF_ABS, static_cast<uint32_t>(offsetof(seccomp_data, arch))),
      jump(BPF_JMP | BPF_JEQ | BPF_K, kArch, 1, 0),
      statement(BPF_RET | BPF_K, SECCOMP_RET_ALLOW),
  };
  for (const Refusal& refusal : refusals) {
    const uint32_t answer =
        SECCOMP_RET_ERRNO | (static_cast<uint32_t>(refusal.error) & SECCOMP_RET_DATA);
    for (const Rule& rule : rulesOf(refusal.call)) {
      const bool flagged = rule.flagArgument >= 0;
      program.push_back(statement(BPF_LD | BPF_W | BPF_ABS, number));
      program.push_back(
          jump(BPF_JMP | BPF_JEQ | BPF_K, static_cast<uint32_t>(rule.number), 0, flagged ? 3 : 1));
      if (flagged) {
        // The argument's low half, where both machines above keep it.
        const auto argument =
            static_cast<uint32_t>(offsetof(seccomp_data, args) + 8 * rule.flagArgument);
        program.push_back(statement(BPF_LD | BPF_W | BPF_ABS, argument));
        program.push_back(jump(BPF_JMP | BPF_JSET | BPF_K, rule.flag, rule.flagSet ? 0 : 1,
                               rule.flagSet ? 1 : 0));
      }
      program.push_back(statement(BPF_RET | BPF_K, answer));
    }
  }
  program.push_back(statement(BPF_RET | BPF_K, SECCOMP_RET_ALLOW));
  return program;
}

struct Name {
  const char* text;
  int value;
};
constexpr Name kCalls[] = {{"renameNoReplace", static_cast<int>(RefusedCall::renameNoReplace)},
                           {"link", static_cast<int>(RefusedCall::link)},
                           {"exclusiveCreate", static_cast<int>(RefusedCall::exclusiveCreate)},
                           {"renameOver", static_cast<int>(RefusedCall::renameOver)}};
constexpr Name kErrors[] = {{"EINVAL", EINVAL}, {"ENOSYS", ENOSYS}, {"EOPNOTSUPP", EOPNOTSUPP},
                            {"EPERM", EPERM},   {"EACCES", EACCES}, {"EIO", EIO},
                            {"ENOSPC", ENOSPC}};

template <size_t N>
const char* nameOf(const Name (&names)[N], int value) {
  for (const Name& name : names)
    if (name.value == value) return name.text;
  return "?";
}

template <size_t N>
bool valueOf(const Name (&names)[N], const std::string& text, int& value) {
  for (const Name& name : names) {
    if (text == name.text) {
      value = name.value;
      return true;
    }
  }
  return false;
}

}  // namespace

std::string refuseOnThisThread(const std::vector<Refusal>& refusals) {
  if (kArch == 0) return "no system call filter is written for this machine";
  std::vector<sock_filter> filter = filterOf(refusals);
  sock_fprog program = {static_cast<unsigned short>(filter.size()), filter.data()};
  // A filter needs no privilege once the thread can gain none.
  if (::prctl(PR_SET_NO_NEW_PRIVS, 1, 0, 0, 0) != 0 ||
      ::prctl(PR_SET_SECCOMP, SECCOMP_MODE_FILTER, &program) != 0)
    return std::string("the kernel takes no system call filter here: ") + std::strerror(errno);
  return "";
}

std::string runRefusing(const std::vector<Refusal>& refusals, const std::function<void()>& work) {
  std::string refused;
  std::thread thread([&] {
    refused = refuseOnThisThread(refusals);
    if (refused.empty()) work();
  });
  thread.join();
  return refused;
}

bool parseRefusal(const std::string& text, Refusal& refusal) {
  const size_t equals = text.find('=');
  int call = 0;
  if (equals == std::string::npos || !valueOf(kCalls, text.substr(0, equals), call) ||
      !valueOf(kErrors, text.substr(equals + 1), refusal.error))
    return false;
  refusal.call = static_cast<RefusedCall>(call);
  return true;
}

std::string describe(const Refusal& refusal) {
  return std::string(nameOf(kCalls, static_cast<int>(refusal.call))) + "=" +
         nameOf(kErrors, refusal.error);
}

}  // namespace testsupport
