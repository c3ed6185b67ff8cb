// Five hundred activity starts and ends in a row through the real process starter and
// platform: after a warm-up, nothing the launcher holds may grow with the number of
// starts, and no started program may be left as a zombie.
#include <iostream>

#include "tests/soak/StarterSoak.h"

namespace tazu::test {
namespace {

constexpr int kWarmUpStarts = 50;
constexpr int kTotalStarts = 500;

TEST_F(StarterSoak, FiveHundredStartsInARowLeaveNothingBehind) {
  const ProcessFigures before = Measure("starter before");
  const double warmUpRate = RunStarts(kWarmUpStarts, Clock::Compressed);
  ASSERT_GT(warmUpRate, 0);
  const ProcessFigures warm = Measure("starter after " + std::to_string(kWarmUpStarts));
  const double rate = RunStarts(kTotalStarts - kWarmUpStarts, Clock::Compressed);
  ASSERT_GT(rate, 0);
  const ProcessFigures after = Measure("starter after " + std::to_string(kTotalStarts));
  std::cout << "SOAK: starter starts_per_second=" << rate << " (warm-up " << warmUpRate
            << ") rss_growth_kb=" << after.residentKb - warm.residentKb
            << " since_start_kb=" << after.residentKb - before.residentKb << std::endl;

  EXPECT_EQ(finished, kTotalStarts);
  EXPECT_EQ(afterStarts, kTotalStarts);
  EXPECT_EQ(errors, 0);
  EXPECT_EQ(LoggedStarts(), kTotalStarts);
  EXPECT_EQ(after.openFiles, warm.openFiles);
  EXPECT_EQ(after.threads, warm.threads);
  EXPECT_EQ(after.zombies, 0);
  EXPECT_EQ(starter->WatchId(), 0);
  if (kResidentMemoryMeaningful) {
    EXPECT_LT(after.residentKb - warm.residentKb, kResidentGrowthLimitKb);
  }
}

}  // namespace
}  // namespace tazu::test
