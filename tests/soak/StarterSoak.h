// Many activity starts in a row through the process starter as the menu screen uses
// it: the native platform (SDL, offscreen), the stand-in activity installed under the activity
// table's names, the install folder as the current folder, the six-field parameter
// string, and the end notice from the starter's watch. Each test drives starts and
// compares what the process holds before and after.
#pragma once

#include <gtest/gtest.h>

#include <chrono>
#include <cstdint>
#include <filesystem>
#include <memory>
#include <string>

#include "controls/Starter.h"
#include "framework/Application.h"
#include "tests/base/TempDir.h"
#include "tests/soak/ProcessFigures.h"

namespace tazu::test {

// Sanitizer builds keep freed memory in quarantine and shadow it, so resident memory
// says nothing about leaks there; the leak checker covers that case instead.
#if defined(__SANITIZE_ADDRESS__) || defined(__SANITIZE_THREAD__)
inline constexpr bool kResidentMemoryMeaningful = false;
#elif defined(__has_feature)
#if __has_feature(address_sanitizer) || __has_feature(thread_sanitizer)
inline constexpr bool kResidentMemoryMeaningful = false;
#else
inline constexpr bool kResidentMemoryMeaningful = true;
#endif
#else
inline constexpr bool kResidentMemoryMeaningful = true;
#endif

class StarterSoak : public ::testing::Test {
 protected:
  // How the end notice is waited for.
  enum class Clock {
    // The tick service beats as fast as the loop turns (about once a millisecond), so
    // the watch checks every ~10 ms instead of every 500 ms; the window timer goes on
    // beating too. Everything else is as in the launcher.
    Compressed,
    // Only the tick service's own 50 ms window timer, through the message loop.
    Real,
  };

  static constexpr int64_t kResidentGrowthLimitKb = 2048;
  static constexpr auto kStartDeadline = std::chrono::seconds(60);  // only a hang takes this long

  void SetUp() override;
  void TearDown() override;

  // Starts the addition program and waits for its end notice; false (with a test
  // failure recorded) when the start failed or no notice came in time.
  bool StartAndWaitForEnd(Clock clock);
  // Runs `count` starts in a row; returns the starts per second.
  double RunStarts(int count, Clock clock);
  // Lines of the stand-in's start log: one per start that really ran.
  int LoggedStarts() const;
  // The figures, also printed as a "SOAK:" line.
  ProcessFigures Measure(const std::string& label) const;

  TempDir dir;
  std::filesystem::path install;
  std::filesystem::path previousFolder;
  std::unique_ptr<TApplication> app;
  TStarter* starter = nullptr;
  int finished = 0;
  int errors = 0;
  int afterStarts = 0;
};

}  // namespace tazu::test
