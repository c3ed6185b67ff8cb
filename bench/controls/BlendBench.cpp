// The morph blend over a full 800x600 24-bit frame against a plain copy of the same
// bytes; the blend should cost at most three copies.
#include <benchmark/benchmark.h>

#include <cstdio>
#include <cstring>
#include <random>

#include "bench/common/RatioReporter.h"
#include "controls/MorphButton.h"

namespace {

struct Frames {
  tazu::TMorphFrame source, target, display;
  Frames() {
    std::mt19937 random(1);
    for (tazu::TMorphFrame* f : {&source, &target, &display}) f->SetSize(800, 600);
    for (auto& b : source.bytes) b = static_cast<uint8_t>(random());
    for (auto& b : target.bytes) b = static_cast<uint8_t>(random());
  }
};

void BM_Blend800x600(benchmark::State& state) {
  Frames f;
  int w = 1;
  for (auto _ : state) {
    tazu::MorphBlend(f.display.bytes.data(), f.source.bytes.data(), f.target.bytes.data(),
                     f.display.bytes.size(), w);
    benchmark::DoNotOptimize(f.display.bytes.data());
    w = w % 32 + 1;
  }
  state.SetBytesProcessed(state.iterations() * static_cast<int64_t>(f.display.bytes.size()));
}

void BM_Memcpy800x600(benchmark::State& state) {
  Frames f;
  for (auto _ : state) {
    std::memcpy(f.display.bytes.data(), f.source.bytes.data(), f.display.bytes.size());
    benchmark::DoNotOptimize(f.display.bytes.data());
    benchmark::ClobberMemory();
  }
  state.SetBytesProcessed(state.iterations() * static_cast<int64_t>(f.display.bytes.size()));
}

BENCHMARK(BM_Blend800x600);
BENCHMARK(BM_Memcpy800x600);

}  // namespace

int main(int argc, char** argv) {
  benchmark::Initialize(&argc, argv);
  tazu::bench::RatioReporter reporter;
  benchmark::RunSpecifiedBenchmarks(&reporter);
  const double ratio = reporter.Ratio("BM_Blend800x600", "BM_Memcpy800x600");
  std::printf("blend of an 800x600 24-bit frame / memcpy of the same bytes: %.2f (target <= 3)\n",
              ratio);
  return 0;
}
