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

// A frame a turn of work kept past its slot counts as drawn in that slot, so the next one keeps its
// own; one drawn more than a frame late, or early (the window uncovered), starts the pace anew.
TEST(FramePacing, AFrameDrawnLateCountsInItsSlot) {
  const double frame = FramePacing::kFrameSeconds;
  const double last = 100;
  EXPECT_DOUBLE_EQ(FramePacing::slotOf(last + frame, last), last + frame);
  EXPECT_DOUBLE_EQ(FramePacing::slotOf(last + 1.9 * frame, last), last + frame);
  EXPECT_DOUBLE_EQ(FramePacing::slotOf(last + 2.5 * frame, last), last + 2.5 * frame);
  EXPECT_DOUBLE_EQ(FramePacing::slotOf(last + 0.5 * frame, last), last + 0.5 * frame);
  EXPECT_DOUBLE_EQ(FramePacing::slotOf(last - 50, last), last - 50);
}

}  // namespace
