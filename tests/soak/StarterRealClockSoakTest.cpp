// Activity starts in a row with the end notices coming only from the tick service's
// own window timer through the message loop, as in the launcher: fewer starts, since
// each waits for a 500 ms watch check, but every thread of the platform and the
// framework is at work (also built under ThreadSanitizer).
#include <iostream>

#include "tests/soak/StarterSoak.h"

namespace tazu::test {
namespace {

constexpr int kWarmUpStarts = 5;
constexpr int kTotalStarts = 30;

TEST_F(StarterSoak, StartsThroughTheWindowTimerLeaveNothingBehind) {
  Measure("realclock before");
  ASSERT_GT(RunStarts(kWarmUpStarts, Clock::Real), 0);
  const ProcessFigures warm = Measure("realclock after " + std::to_string(kWarmUpStarts));
  const double rate = RunStarts(kTotalStarts - kWarmUpStarts, Clock::Real);
  ASSERT_GT(rate, 0);
  const ProcessFigures after = Measure("realclock after " + std::to_string(kTotalStarts));
  std::cout << "SOAK: realclock starts_per_second=" << rate << std::endl;

  EXPECT_EQ(finished, kTotalStarts);
  EXPECT_EQ(errors, 0);
  EXPECT_EQ(LoggedStarts(), kTotalStarts);
  EXPECT_EQ(after.openFiles, warm.openFiles);
  EXPECT_EQ(after.threads, warm.threads);
  EXPECT_EQ(after.zombies, 0);
  // Each end is seen at a watch check, so a start takes at least a part of the 500 ms
  // between checks; many more starts a second would mean the checks are not waited for.
  EXPECT_LT(rate, 1000.0 / TStarter::kWatchIntervalMs * 2);
}

}  // namespace
}  // namespace tazu::test
