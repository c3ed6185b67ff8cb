#include "controls/ThreadedTimer.h"

#include <gtest/gtest.h>

#include <chrono>

#include "base/Exceptions.h"
#include "tests/framework/FrameworkFixture.h"

namespace tazu {
namespace {

using Clock = std::chrono::steady_clock;
using test::FrameworkTest;

class ThreadedTimerTest : public FrameworkTest {
 protected:
  // The workers wait in real time: a loaded machine may keep them waiting long, so the
  // limits only keep a broken timer from hanging the test.
  ThreadedTimerTest() { fake->realWaitLimitMs = 60000; }
  // Runs the loop until `done` or the time limit; returns whether `done` came true.
  template <class Pred>
  bool RunUntil(Pred done) {
    const auto end = Clock::now() + std::chrono::seconds(60);
    while (!done()) {
      if (Clock::now() > end) return false;
      Event e;
      if (fake->WaitEvent(e, 5)) {
        app->CheckSynchronize();
      }
    }
    return true;
  }
  // Waits until the worker has queued a hand-over (its wake-up reached the loop).
  bool WaitForHandOver() {
    const auto end = Clock::now() + std::chrono::seconds(60);
    Event e;
    while (Clock::now() < end) {
      if (fake->WaitEvent(e, 5) && e.kind == EventKind::Wake) return true;
    }
    return false;
  }
  // Runs the loop until a second timer, enabled now with `ms`, has ticked `count`
  // times: a tick due within that time has come by then, however slow the machine.
  void RunWhileAnotherTicks(uint32_t ms, int count) {
    auto* witness = app->Create<TThreadedTimer>();
    int ticks = 0;
    witness->SetInterval(ms);
    witness->OnTimer = [&](TObject*) { ++ticks; };
    witness->SetEnabled(true);
    EXPECT_TRUE(RunUntil([&] { return ticks >= count; }));
    TComponent::Free(witness);
  }
};

TEST_F(ThreadedTimerTest, TicksRunOnTheUiThreadOneAfterAnotherAtTheInterval) {
  auto* timer = app->Create<TThreadedTimer>();
  timer->SetInterval(20);
  std::vector<Clock::time_point> ticks;
  bool inside = false, overlapped = false;
  const auto ui = std::this_thread::get_id();
  bool onUi = true;
  timer->OnTimer = [&](TObject* sender) {
    EXPECT_EQ(sender, timer);
    overlapped |= inside;
    inside = true;
    onUi &= std::this_thread::get_id() == ui;
    ticks.push_back(Clock::now());
    std::this_thread::sleep_for(std::chrono::milliseconds(5));  // the next wait starts after
    inside = false;
  };
  const auto enabled = Clock::now();
  timer->SetEnabled(true);
  ASSERT_TRUE(RunUntil([&] { return ticks.size() >= 5; }));
  timer->SetEnabled(false);
  EXPECT_FALSE(overlapped);
  EXPECT_TRUE(onUi);
  EXPECT_GE(ticks[0] - enabled, std::chrono::milliseconds(19));
  for (size_t i = 1; i < ticks.size(); ++i) {
    EXPECT_GE(ticks[i] - ticks[i - 1], std::chrono::milliseconds(24));  // 20 + the handler's 5
  }
}

TEST_F(ThreadedTimerTest, ATickOnItsWayWhenDisabledIsDropped) {
  auto* timer = app->Create<TThreadedTimer>();
  timer->SetInterval(10);
  int ticks = 0;
  timer->OnTimer = [&](TObject*) { ++ticks; };
  timer->SetEnabled(true);
  ASSERT_TRUE(WaitForHandOver());
  timer->SetEnabled(false);
  app->CheckSynchronize();  // the tick arrives now, and finds the timer disabled
  EXPECT_EQ(ticks, 0);
}

TEST_F(ThreadedTimerTest, IntervalZeroPausesUntilANonZeroInterval) {
  auto* timer = app->Create<TThreadedTimer>();
  int ticks = 0;
  timer->OnTimer = [&](TObject*) { ++ticks; };
  timer->SetInterval(0);
  timer->SetEnabled(true);
  RunWhileAnotherTicks(10, 5);
  EXPECT_EQ(ticks, 0);
  timer->SetInterval(10);  // starts without Enabled being set again
  EXPECT_TRUE(RunUntil([&] { return ticks > 0; }));
  EXPECT_TRUE(timer->Enabled());
}

TEST_F(ThreadedTimerTest, DisablingInsideTheHandlerMakesThatTickTheLast) {
  auto* timer = app->Create<TThreadedTimer>();
  timer->SetInterval(10);
  int ticks = 0;
  timer->OnTimer = [&](TObject*) {
    ++ticks;
    timer->SetEnabled(false);
  };
  timer->SetEnabled(true);
  ASSERT_TRUE(RunUntil([&] { return ticks == 1; }));
  RunWhileAnotherTicks(10, 5);
  EXPECT_EQ(ticks, 1);
  timer->SetEnabled(true);  // and enabling again starts it over
  EXPECT_TRUE(RunUntil([&] { return ticks == 2; }));
}

TEST_F(ThreadedTimerTest, EnablingTwiceOrSettingTheSameIntervalChangesNothing) {
  auto* timer = app->Create<TThreadedTimer>();
  timer->SetInterval(40);
  std::vector<Clock::time_point> ticks;
  timer->OnTimer = [&](TObject*) { ticks.push_back(Clock::now()); };
  timer->SetEnabled(true);
  // Enabled and set again every few milliseconds, well within the interval: a timer
  // that started its timing over at each call would never tick.
  ASSERT_TRUE(RunUntil([&] {
    timer->SetEnabled(true);
    timer->SetInterval(40);
    return !ticks.empty();
  }));
  // A real change restarts the timing.
  timer->SetInterval(30);
  const auto changed = Clock::now();
  ticks.clear();
  ASSERT_TRUE(RunUntil([&] { return !ticks.empty(); }));
  EXPECT_GE(ticks[0] - changed, std::chrono::milliseconds(29));
}

TEST_F(ThreadedTimerTest, AHandlerThatRaisesStopsItsTimerForGoodWithoutAMessage) {
  auto* failing = app->Create<TThreadedTimer>();
  auto* other = app->Create<TThreadedTimer>();
  int failingTicks = 0, otherTicks = 0;
  failing->OnTimer = [&](TObject*) {
    ++failingTicks;
    throw Exception("boom");
  };
  other->OnTimer = [&](TObject*) { ++otherTicks; };
  failing->SetInterval(10);
  other->SetInterval(10);
  failing->SetEnabled(true);
  other->SetEnabled(true);
  ASSERT_TRUE(RunUntil([&] { return otherTicks >= 5; }));
  EXPECT_EQ(failingTicks, 1);
  failing->SetEnabled(false);
  failing->SetEnabled(true);
  ASSERT_TRUE(RunUntil([&] { return otherTicks >= 10; }));
  EXPECT_EQ(failingTicks, 1);
  EXPECT_TRUE(fake->shownBoxes.empty());
  TComponent::Free(failing);  // still ends at once
}

TEST_F(ThreadedTimerTest, DestroyingNeverHangsEvenWithATickInFlight) {
  for (int i = 0; i < 1000; ++i) {
    auto* timer = app->Create<TThreadedTimer>();
    int ticks = 0;
    timer->OnTimer = [&](TObject*) { ++ticks; };
    if (i % 2 == 0) {
      timer->SetInterval(1);
      timer->SetEnabled(true);
      if (i % 4 == 0) WaitForHandOver();  // a hand-over is queued right now
    }
    TComponent::Free(timer);
    app->CheckSynchronize();
    EXPECT_EQ(ticks, 0);
  }
}

TEST_F(ThreadedTimerTest, ATimerDestroyedUnderItsOwnTickDoesNotWaitForItself) {
  // Straight from its handler.
  auto* timer = app->Create<TThreadedTimer>();
  timer->SetInterval(5);
  bool freed = false;
  timer->OnTimer = [&](TObject*) {
    TComponent::Free(timer);
    freed = true;
  };
  timer->SetEnabled(true);
  ASSERT_TRUE(RunUntil([&] { return freed; }));

  // From a loop that its handler runs: another timer's tick frees it in there.
  auto* outer = app->Create<TThreadedTimer>();
  auto* other = app->Create<TThreadedTimer>();
  outer->SetInterval(5);
  other->SetInterval(5);
  bool outerFreed = false, handlerReturned = false;
  other->OnTimer = [&](TObject*) {
    other->SetEnabled(false);
    TComponent::Free(outer);
    outerFreed = true;
  };
  outer->OnTimer = [&](TObject*) {
    other->SetEnabled(true);
    EXPECT_TRUE(RunUntil([&] { return outerFreed; }));
    handlerReturned = true;
  };
  outer->SetEnabled(true);
  ASSERT_TRUE(RunUntil([&] { return handlerReturned; }));
  int ticks = 0;
  other->OnTimer = [&](TObject*) { ++ticks; };
  other->SetEnabled(true);  // the loop goes on serving the timers that remain
  EXPECT_TRUE(RunUntil([&] { return ticks > 0; }));
}

TEST_F(ThreadedTimerTest, ATimerIsDestroyedAtOnceWithoutWaitingOutItsInterval) {
  // An hour-long interval: destruction that waited for it would meet the test's time
  // limit instead of passing.
  constexpr uint32_t kHour = 3600 * 1000;
  auto* idle = app->Create<TThreadedTimer>();
  EXPECT_FALSE(idle->Enabled());
  EXPECT_EQ(idle->Interval(), 1000u);
  idle->SetInterval(kHour);
  TComponent::Free(idle);
  auto* waiting = app->Create<TThreadedTimer>();
  waiting->SetInterval(kHour);
  waiting->SetEnabled(true);
  TComponent::Free(waiting);
}

}  // namespace
}  // namespace tazu
