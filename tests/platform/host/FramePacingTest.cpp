// When the desktop window draws: nothing while nothing changes, a burst of changes paced to one
// frame a slot, animations at the pace, an uncovered window at once.
#include "platform/host/FramePacing.h"

#include <gtest/gtest.h>

namespace {

using plat::FramePacing;
using Next = FramePacing::Next;

TEST(FramePacing, AnIdleWindowSleepsAndChangesAreDrawnAtMostOncePerSlot) {
  const double frame = FramePacing::kFrameSeconds;
  const double last = 100;
  EXPECT_EQ(FramePacing::decide(false, false, false, last + 60, last).next, Next::Sleep);
  EXPECT_EQ(FramePacing::decide(true, false, false, last + frame, last).next, Next::DrawNow);
  // A change right after a frame waits for the next slot; so does an animation.
  for (const bool moving : {false, true}) {
    const FramePacing::Decision soon = FramePacing::decide(!moving, moving, false, last + 0.001, last);
    EXPECT_EQ(soon.next, Next::DrawAt);
    EXPECT_DOUBLE_EQ(soon.at, last + frame);
  }
  // The window uncovered, or a clock set back behind the last frame: at once.
  EXPECT_EQ(FramePacing::decide(false, false, true, last + 0.001, last).next, Next::DrawNow);
  EXPECT_EQ(FramePacing::decide(true, false, false, last - 50, last).next, Next::DrawNow);
}

}  // namespace
