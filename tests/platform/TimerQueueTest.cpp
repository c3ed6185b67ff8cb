#include "platform/TimerQueue.h"

#include <gtest/gtest.h>

namespace tazu {
namespace {

TEST(TimerQueue, DueTimersComeOutOldestFirstAndMissedTicksAreNotMadeUp) {
  TimerQueue q;
  const TimerHandle slow = q.Start(500, 0);
  const TimerHandle fast = q.Start(50, 0);
  EXPECT_EQ(q.MsUntilNext(0), 50);
  EXPECT_FALSE(q.TakeDue(49));
  EXPECT_EQ(q.TakeDue(50), fast);
  EXPECT_FALSE(q.TakeDue(50));
  // Long after both were due (fast at 100, slow at 500): each comes once, the one that
  // has waited longest first.
  EXPECT_EQ(q.TakeDue(2000), fast);
  EXPECT_EQ(q.TakeDue(2000), slow);
  EXPECT_FALSE(q.TakeDue(2000));
  EXPECT_EQ(q.MsUntilNext(2000), 50);
  q.Stop(fast);
  q.Stop(slow);
  EXPECT_EQ(q.MsUntilNext(2000), -1);
  EXPECT_TRUE(q.Empty());
}

TEST(TimerQueue, ZeroIntervalIsRaisedToOneMillisecond) {
  TimerQueue q;
  const TimerHandle t = q.Start(0, 10);
  EXPECT_FALSE(q.TakeDue(10));
  EXPECT_EQ(q.TakeDue(11), t);
}

}  // namespace
}  // namespace tazu
