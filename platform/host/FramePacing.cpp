#include "platform/host/FramePacing.h"

#include "platform/base/Rhythm.h"

namespace plat {

FramePacing::Decision FramePacing::decide(bool changed, bool moving, bool exposed, double now,
                                          double lastFrame) {
  if (exposed) return {Next::DrawNow};
  if (!changed && !moving) return {Next::Sleep};
  const double next = lastFrame + kFrameSeconds;
  // A clock set back leaves `lastFrame` ahead of now: draw rather than wait for it.
  if (now >= next || now < lastFrame) return {Next::DrawNow};
  return {Next::DrawAt, next};
}

double FramePacing::slotOf(double now, double lastFrame) {
  return beatTime(now, lastFrame, kFrameSeconds);
}

}  // namespace plat
