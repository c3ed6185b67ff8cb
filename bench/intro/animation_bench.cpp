// Times the intro animation on the real platform (run it in a demo install under an X
// server): from the first tick to the language stage, against 1.1 x 127 x 50 ms, and
// the mean interval from one tick to the next.
#include <chrono>
#include <cstdio>
#include <memory>
#include <vector>

#include "framework/Application.h"
#include "platform/ProcessRoster.h"
#include "platform/sdl/SdlPlatform.h"
#include "screens/intro/introunit.h"
#include "screens/menu/menuunit_v2.h"

int main() {
  using Clock = std::chrono::steady_clock;
  tazu::TApplication app(std::make_unique<tazu::SdlPlatform>());
  app.Title = "Pelkor Tazu";
  const tazu::DefaultRosterEnvironment roster;
  auto* menu = app.CreateForm<tazu::TForm1>(roster);
  menu->ActivatedOnce = true;  // the intro is shown here instead
  menu->Show();
  auto* intro = app.CreateForm<tazu::TForm2>(menu->Session, *menu);
  intro->Returning = false;

  std::vector<Clock::time_point> ticks;
  const tazu::TNotifyEvent tick = intro->animatetimer->OnTimer;
  intro->animatetimer->OnTimer = [&](tazu::TObject* sender) {
    ticks.push_back(Clock::now());
    tick(sender);
  };
  intro->Show();
  const auto limit = Clock::now() + std::chrono::seconds(30);
  while (!intro->LanguageChoiceActive && !app.Terminated() && Clock::now() < limit) {
    app.HandleMessage();
  }
  if (!intro->LanguageChoiceActive || ticks.size() < 2) {
    std::printf("the animation did not reach the language stage\n");
    return 1;
  }
  const double total =
      std::chrono::duration<double, std::milli>(ticks.back() - ticks.front()).count();
  const double target = 1.1 * 127 * 50;
  std::printf(
      "intro animation: %zu ticks, first tick to language stage %.0f ms (target <= %.0f), "
      "mean tick-to-tick %.1f ms\n",
      ticks.size(), total, target, total / static_cast<double>(ticks.size() - 1));
  return total <= target ? 0 : 1;
}
