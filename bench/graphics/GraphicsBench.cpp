// Decoding the screens' picture sizes and drawing a full-screen picture: a menu
// background is 800 x 600, a name board 403 x 324.
#include <benchmark/benchmark.h>

#include <vector>

#include "framework/Canvas.h"
#include "framework/ImageCodecs.h"

namespace tazu {
namespace {

constexpr int kJpegQuality = 85;

// Gradients, a checkerboard and fine noise: enough detail that the entropy
// decoder has real work, as with a photograph-like background.
Bitmap32 DetailedPicture(int width, int height) {
  Bitmap32 image(width, height);
  uint32_t noise = 12345;
  for (int y = 0; y < height; ++y)
    for (int x = 0; x < width; ++x) {
      noise = noise * 1103515245u + 12345u;
      const auto n = static_cast<uint8_t>((noise >> 16) & 0x1F);
      const auto r = static_cast<uint8_t>(x * 255 / width + n / 2);
      const auto g = static_cast<uint8_t>(y * 255 / height + n / 2);
      const auto b = static_cast<uint8_t>(((x / 20 + y / 20) % 2 ? 180 : 60) + n);
      image.SetPixel(x, y, MakePixel(r, g, b));
    }
  return image;
}

void DecodeJpegOfSize(benchmark::State& state, int width, int height) {
  const std::vector<uint8_t> jpeg = EncodeJpeg(DetailedPicture(width, height), kJpegQuality);
  for (auto _ : state) {
    Bitmap32 image = DecodeJpeg(jpeg);
    benchmark::DoNotOptimize(image.Data());
  }
  state.SetBytesProcessed(static_cast<int64_t>(state.iterations()) *
                          static_cast<int64_t>(jpeg.size()));
  state.counters["jpeg_bytes"] = static_cast<double>(jpeg.size());
}

void BM_DecodeJpeg800x600(benchmark::State& state) { DecodeJpegOfSize(state, 800, 600); }
void BM_DecodeJpeg403x324(benchmark::State& state) { DecodeJpegOfSize(state, 403, 324); }

void BM_DrawOpaque800x600(benchmark::State& state) {
  const Bitmap32 picture = DetailedPicture(800, 600);
  Bitmap32 target(800, 600);
  TCanvas canvas(target);
  for (auto _ : state) {
    canvas.Draw(0, 0, picture);
    benchmark::DoNotOptimize(target.Data());
  }
}

void BM_DrawTranslucent800x600(benchmark::State& state) {
  Bitmap32 picture = DetailedPicture(800, 600);
  for (int y = 0; y < picture.Height(); ++y)
    for (int x = 0; x < picture.Width(); ++x)
      picture.SetPixel(x, y, (picture.Pixel(x, y) & 0x00FFFFFFu) | 0x80000000u);
  Bitmap32 target(800, 600);
  TCanvas canvas(target);
  for (auto _ : state) {
    canvas.Draw(0, 0, picture);
    benchmark::DoNotOptimize(target.Data());
  }
}

void BM_StretchDraw403x324To800x600(benchmark::State& state) {
  const Bitmap32 picture = DetailedPicture(403, 324);
  Bitmap32 target(800, 600);
  TCanvas canvas(target);
  for (auto _ : state) {
    canvas.StretchDraw({0, 0, 800, 600}, picture);
    benchmark::DoNotOptimize(target.Data());
  }
}

BENCHMARK(BM_DecodeJpeg800x600)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_DecodeJpeg403x324)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_DrawOpaque800x600)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_DrawTranslucent800x600)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_StretchDraw403x324To800x600)->Unit(benchmark::kMillisecond);

}  // namespace
}  // namespace tazu
