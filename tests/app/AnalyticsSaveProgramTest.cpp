// The real program on a file system with neither no-replace renames nor hard links (some network
// and FUSE ones), played by the kernel refusing both calls to it: the usage analytics still save
// the envelope they make at the first start.
#include <gtest/gtest.h>

#include <map>
#include <string>
#include <vector>

#include "analytics/records/ThriftBytes.h"
#include "analytics/records/envelope_types.h"
#include "platform/base/Files.h"
#include "tests/app/ProgramProcess.h"
#include "tests/app/XvfbDesktop.h"
#include "tests/support/LoopbackHttpServer.h"
#include "tests/support/RefusedCalls.h"
#include "tests/support/TempHome.h"

namespace apptest {
namespace {

TEST(AnalyticsSaveProgram, TheFirstEnvelopeIsSavedWhereNoRenameOrLinkRefusesToReplace) {
  const std::string unfiltered = testsupport::runRefusing({}, [] {});
  if (!unfiltered.empty()) GTEST_SKIP() << unfiltered;
  testsupport::clearProxyEnvironment();
  XvfbDesktop desktop;
  ASSERT_FALSE(desktop.display().empty()) << "Xvfb did not start";
  testsupport::LoopbackHttpServer store(
      [](const testsupport::ServerRequest&) { return testsupport::ServerReply::text("{}", 404); });
  const std::string folder = testsupport::makeTempDir("vocab-envelope");
  {
    // Nowhere to send envelopes to, so the first one stays on disk. See the window test for the
    // leak check.
    ProgramProcess program(
        folder, store.url(""),
        std::map<std::string, std::string>{{"DISPLAY", desktop.display()},
                                           {"WAYLAND_DISPLAY", ""},
                                           {"VOCAB_ANALYTICS_LOG_URL", ""},
                                           {"VOCAB_ANALYTICS_FALLBACK_LOG_URL", ""},
                                           {"ASAN_OPTIONS", "detect_leaks=0:abort_on_error=1"}},
        {VOCAB_REFUSE_CALLS, "renameNoReplace=EINVAL", "link=EPERM", "--"});
    ASSERT_TRUE(program.started());
    const std::string analytics = program.home() + "/Library/Caches/.analytics";
    // The identity file is written just after the envelope's save, whether that saved or not.
    ASSERT_TRUE(program.waitWhileRunning([&] {
      return plat::files::exists(analytics + "/exchangeIdentity.json");
    })) << program.log();
    std::vector<std::string> envelopes;
    for (const std::string& name : plat::files::list(analytics)) {
      if (name.ends_with("_envelope.log")) envelopes.push_back(name);
      EXPECT_EQ(name.find(".tmp-"), std::string::npos) << name << " left behind";
    }
    ASSERT_EQ(envelopes.size(), 1u) << "envelopes saved at the first start";
    ATEnvelope::UsageEnvelope envelope;
    EXPECT_TRUE(records::fromBytes(
        plat::files::readFile(analytics + "/" + envelopes[0]).value_or(""), envelope));
    EXPECT_FALSE(envelope.entity.empty());
    EXPECT_EQ(program.terminate(), 0) << program.log();
  }
  plat::files::remove(folder);
}

}  // namespace
}  // namespace apptest
