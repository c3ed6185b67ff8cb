// Where the program's random choices come from, so that a test can fix them.
#pragma once

#include <chrono>
#include <cstddef>
#include <cstdint>
#include <functional>
#include <memory>
#include <random>

namespace tazu {

// An index below `count` (count > 0).
using RandomChoice = std::function<size_t(size_t count)>;

// One generator seeded once with `seed`: the same seed gives the same choices.
inline RandomChoice SeededChoice(uint32_t seed) {
  auto generator = std::make_shared<std::mt19937>(seed);
  return [generator](size_t count) {
    return std::uniform_int_distribution<size_t>(0, count - 1)(*generator);
  };
}

// A generator seeded afresh from the clock for every choice.
inline size_t ClockSeededChoice(size_t count) {
  std::mt19937 generator(
      static_cast<uint32_t>(std::chrono::system_clock::now().time_since_epoch().count()));
  return std::uniform_int_distribution<size_t>(0, count - 1)(generator);
}

}  // namespace tazu
