// Times the scaled presentation on the real platform; run it under an X server whose
// screen has no 800x600 mode, 1920x1080 for the figures of a full-HD classroom screen:
//  - one whole 800x600 frame scaled to the screen and shown (median), and
//  - one step of the 44x44 morph button's enter morph at MorphRate 250, blended, scaled
//    and shown (median over whole morphs, divided by their steps); target <= 1 ms.
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <memory>
#include <vector>

#include "controls/MorphButton.h"
#include "framework/Application.h"
#include "framework/Form.h"
#include "platform/sdl/SdlPlatform.h"

namespace {

using Clock = std::chrono::steady_clock;
constexpr double kStepTargetMs = 1.0;

// Counts what is shown, so that a morph's time can be divided by its steps.
class CountingPlatform : public tazu::SdlPlatform {
 public:
  void Present(tazu::WindowHandle window, const tazu::Bitmap32& image,
               const tazu::Rect& area) override {
    ++presents;
    SdlPlatform::Present(window, image, area);
  }
  int presents = 0;
};

double Median(std::vector<double> values) {
  std::sort(values.begin(), values.end());
  return values[values.size() / 2];
}

double Ms(Clock::time_point since) {
  return std::chrono::duration<double, std::milli>(Clock::now() - since).count();
}

// Gradients and fine detail, so that the filter has real work everywhere.
tazu::Bitmap32 DetailedFrame() {
  tazu::Bitmap32 image(800, 600);
  for (int y = 0; y < 600; ++y) {
    for (int x = 0; x < 800; ++x) {
      image.SetPixel(x, y,
                     tazu::MakePixel(static_cast<uint8_t>(x), static_cast<uint8_t>(y),
                                     static_cast<uint8_t>((x ^ y) * 3)));
    }
  }
  return image;
}

}  // namespace

int main(int argc, char** argv) {
  const int runs = argc > 1 ? std::max(1, std::atoi(argv[1])) : 21;
  auto owned = std::make_unique<CountingPlatform>();
  CountingPlatform& platform = *owned;
  tazu::TApplication app(std::move(owned));
  const tazu::Rect screen = platform.ScreenRect();
  auto* form = app.CreateForm<tazu::TForm>();
  form->SetBounds(0, 0, 800, 600);
  if (!platform.SetScaledPresentation(800, 600)) {
    std::printf("the platform cannot show the picture scaled\n");
    return 2;
  }
  form->Show();
  app.ProcessMessages();

  const tazu::Bitmap32 frame = DetailedFrame();
  std::vector<double> full;
  for (int i = 0; i < runs; ++i) {
    const auto start = Clock::now();
    platform.Present(form->Handle(), frame, frame.Bounds());
    full.push_back(Ms(start));
  }

  auto* button = form->Create<tazu::TMorphButton>(form);
  button->SetBounds(737, 544, 44, 44);
  button->SetMorphRate(250);
  button->MorphPic1().SetBitmap(tazu::Bitmap32(44, 44, tazu::MakePixel(20, 120, 20)));
  button->MorphPic2().SetBitmap(tazu::Bitmap32(44, 44, tazu::MakePixel(250, 230, 90)));
  form->Update();
  app.ProcessMessages();
  std::vector<double> step;
  int steps = 0;
  for (int i = 0; i < runs; ++i) {
    platform.presents = 0;
    const auto start = Clock::now();
    button->MouseEnter();
    const double ms = Ms(start);
    steps = std::max(platform.presents, 1);
    step.push_back(ms / steps);
    button->MouseLeave();
  }

  const double perStep = Median(step);
  std::printf(
      "scaled to %dx%d: one whole frame %.2f ms (median of %d); one 44x44 morph step %.3f ms "
      "(%d steps a morph, median of %d morphs; target <= %.0f ms)\n",
      screen.Width(), screen.Height(), Median(full), runs, perStep, steps, runs, kStepTargetMs);
  return perStep <= kStepTargetMs ? 0 : 1;
}
