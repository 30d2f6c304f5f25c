// The send policy of AnalyticsJob: whether an upload runs now, later after a drawn delay, or not.
#include "analytics/ANUtil.h"
#include "analytics/AnalyticsApp.h"
#include "analytics/AnalyticsConfig.h"
#include "analytics/AnalyticsContext.h"
#include "analytics/AnalyticsEnvelope.h"
#include "analytics/AnalyticsImprint.h"
#include "analytics/AnalyticsInternal.h"
#include "analytics/AnalyticsJob.h"
#include "analytics/AnalyticsLog.h"
#include "analytics/AnalyticsSession.h"
#include "analytics/AnalyticsUtility.h"
#include "platform/base/RunLoop.h"
#include "platform/crypto/Digest.h"

namespace {

constexpr double kSilenceLimit = 1296000;   // 15 days
constexpr double kDisguisedAfter = 129600;  // 36 hours
constexpr double kSmartForegroundWithTasks = 129600;
constexpr double kSmartForegroundWithoutTasks = 10800;
constexpr double kRealtimeSpacing = 15;
constexpr uint32_t kLargestLatency = 1800;

// Row: trigger (0 launch, 1 record); column: policy 0 or 1. Only the policy-1 column is read.
const int32_t kPriority[2][2] = {{1, 1}, {1, 0}};

}  // namespace

bool AnalyticsJob::ready() const {
  return AnalyticsSession::sharedInstance().sessionStatus != 0 && !jobRunning();
}

double AnalyticsJob::elapsedTimeFromPost() {
  plat::Value last = AnalyticsConfig::configureWithKey("lastPostInterval");
  if (last.isNull()) return -1;
  return AnalyticsUtility::durationNowWith1970TimeInterval(last.asDouble());
}

bool AnalyticsJob::defconPass() {
  double elapsed = elapsedTimeFromPost();
  if (elapsed <= 0) return true;
  switch (sharedInstance().defcon()) {
    case 1:
      return elapsed >= 14400;
    case 2:
      return elapsed >= 28800;
    case 3:
      return elapsed >= 86400;
    default:
      return true;
  }
}

bool AnalyticsJob::shouldCommitJob(int trigger) {
  AnalyticsJob& job = sharedInstance();
  AnalyticsSession& session = AnalyticsSession::sharedInstance();
  if (job.latencyJob() || session.appBeKilling || ANUtil::accessString().empty()) return false;
  AnalyticsApp& app = AnalyticsApp::sharedInstance();
  double elapsed = elapsedTimeFromPost();
  int32_t policy = app.reportPolicy();
  switch (policy) {
    case SMART_POLICY:
      if (session.appInBackGround) return app.backgroundTaskEnabled();
      return elapsed < 0 || elapsed > (app.backgroundTaskEnabled() ? kSmartForegroundWithTasks
                                                                   : kSmartForegroundWithoutTasks);
    case SEND_INTERVAL:
      return elapsed < 0 || elapsed > app.logSendInterval();
    case REALTIME:
      return elapsed < 0 || elapsed > kRealtimeSpacing;
    default:
      return kPriority[trigger == 0 ? 0 : 1][1] != 0;
  }
}

bool AnalyticsJob::checkLatentCondition() {
  AnalyticsJob& job = sharedInstance();
  job.setDisguised(false);
  if (!AnalyticsUtility::envelopeFiles().empty() || job.defcon() != 0) return false;
  double limit = kSilenceLimit;
  if (auto hours = imprintValueWithKey("latent_hours"); hours && std::atoll(hours->c_str()) >= 48) {
    limit = static_cast<double>(std::atoll(hours->c_str())) * 3600;
  }
  double elapsed = elapsedTimeFromPost();
  if (elapsed >= limit) {
    job.setLatencyJob(true);
    return true;
  }
  if (elapsed > kDisguisedAfter) {
    job.setDisguised(true);
    return true;
  }
  return false;
}

uint32_t AnalyticsJob::randomNumFrom(uint32_t low, uint32_t high) {
  return low + AnalyticsContext::current().random() % (high - low + 1);
}

uint32_t AnalyticsJob::latencySeed() {
  auto signature = AnalyticsEnvelope::storedSignature();
  if (!signature) return 0;
  std::string digits = plat::crypto::hex(signature->data() + 4, 2);
  return static_cast<uint32_t>(std::strtoul(digits.substr(1, 2).c_str(), nullptr, 16)) | 128u;
}

uint32_t AnalyticsJob::calculateLatency() {
  if (randomNumFrom(1, 1000) == 1) {
    // Without a signature the rare draw keeps to its floor instead of wrapping around.
    uint32_t seed = latencySeed();
    setLatency(seed == 0 ? 128 : randomNumFrom(128, seed));
    return latency();
  }
  uint32_t bound;
  if (auto latent = imprintValueWithKey("latent")) {
    long long value = std::atoll(latent->c_str());
    bound = (value < 0 || value > kLargestLatency) ? kLargestLatency : static_cast<uint32_t>(value);
  } else {
    if (latency_sdk() == 0) setLatency_sdk(10);
    bound = latency_sdk();
  }
  uint32_t drawn = bound == 0 ? 0 : randomNumFrom(0, bound - 1);
  if (drawn >= 128 && drawn <= 255) drawn = 127;
  setLatency(drawn);
  return drawn;
}

void AnalyticsJob::beginPerformJobDelay() {
  sharedInstance().setLatencyJob(false);
  if (!AnalyticsSession::sharedInstance().appInBackGround)
    AnalyticsInternal::sharedInstance().beginPerformJob();
}

void AnalyticsJob::preparePerformJob(int trigger) {
  AnalyticsJob& job = sharedInstance();
  plat::Value defcon = AnalyticsConfig::configureWithKey("anDefcon");
  if (!defcon.isNull()) job.setDefcon(static_cast<int>(std::atoll(defcon.asString().c_str())));
  if (!job.ready() || !defconPass() || !shouldCommitJob(trigger)) return;
  AnalyticsInternal& core = AnalyticsInternal::sharedInstance();
  if (checkLatentCondition()) {
    if (!job.disguised()) {
      uint32_t delay = job.calculateLatency();
      if (core.hasJob()) core.generateEnvelopeFile();
      job.setLatency(0);
      plat::RunLoop::current().performAfter(delay, &job, "latent", [] { beginPerformJobDelay(); });
      return;
    }
    job.setLatency(0);
    if (core.hasJob()) core.generateEnvelopeFile();
    job.setDisguised(false);
  }
  core.beginPerformJob();
}

std::string AnalyticsJob::description() const {
  return anFormat("<AnalyticsJob: self.defcon=%i, self.latency=%i, self.jobRunning=%d>", defcon(),
                  static_cast<int>(latency()), jobRunning() ? 1 : 0);
}
