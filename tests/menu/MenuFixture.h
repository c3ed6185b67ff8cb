// The menu screen on the fake platform, started in a temporary install folder.
#pragma once

#include <gtest/gtest.h>

#include <chrono>
#include <filesystem>
#include <memory>

#include "controls/ThreadedTimer.h"
#include "framework/Application.h"
#include "platform/ProcessRoster.h"
#include "platform/fake/FakePlatform.h"
#include "screens/menu/menuunit_v2.h"
#include "tests/base/TempDir.h"

namespace tazu::test {

inline DisplayMode Mode(uint32_t w, uint32_t h, uint32_t bpp, uint32_t hz, uint64_t id = 0) {
  DisplayMode m;
  m.pelsWidth = w;
  m.pelsHeight = h;
  m.bitsPerPel = bpp;
  m.displayFrequency = hz;
  m.native = id;
  return m;
}

// A roster in the test's own folder ("documents" under the install folder).
class TestRosterEnvironment : public RosterEnvironment {
 public:
  explicit TestRosterEnvironment(std::string profile) : profile_(std::move(profile)) {}
  std::vector<std::string> EnvironmentBlock() const override {
    return {"ALLUSERSPROFILE=" + profile_};
  }
  std::string SystemFolder() const override { return profile_; }
  std::string CurrentFolder() const override { return profile_; }
  std::shared_ptr<RosterStorage> Storage() const override { return ProcessRosterStorage(); }

 private:
  std::string profile_;
};

class MenuTest : public ::testing::Test {
 protected:
  MenuTest() : previousDir_(std::filesystem::current_path()) {
    auto platform = std::make_unique<FakePlatform>();
    fake = platform.get();
    app = std::make_unique<TApplication>(std::move(platform));
    app->Title = "Pelkor Tazu";
    // The launch delay and the intro's animation are threaded timers waiting in real
    // time, however long a loaded machine keeps them; this only ends a hung test.
    fake->realWaitLimitMs = 60000;
    std::filesystem::current_path(install.Path());
  }
  ~MenuTest() override {
    app.reset();
    std::filesystem::current_path(previousDir_);
  }

  // The screen the way the program entry makes it.
  // The menu without its first activation (music and intro) unless `firstActivation`.
  TForm1* CreateMenu(bool firstActivation = false) {
    menu = app->CreateForm<TForm1>(roster);
    menu->ActivatedOnce = !firstActivation;
    return menu;
  }
  // The state after the intro screen closed with `language` and `name`.
  void SignInAs(const std::string& language, const std::string& name = "ANNA") {
    menu->Session.Language = LanguageFromLetter(language);
    menu->Session.LearnerName = name;
    menu->SignIn(false);
  }
  // Runs the loop until `done`; the limit only ends a test that would hang.
  template <class Pred>
  bool RunUntil(Pred done) {
    const auto end = std::chrono::steady_clock::now() + std::chrono::seconds(60);
    while (!done() && std::chrono::steady_clock::now() < end) app->HandleMessage();
    return done();
  }
  // Runs the loop until a threaded timer enabled now with `ms` has ticked: a threaded
  // tick due sooner (a pending start, say) has had its turn by then, however slow the
  // machine. What must not happen is checked after this.
  void RunPastThreadedTick(uint32_t ms) {
    auto* witness = app->Create<TThreadedTimer>();
    bool ticked = false;
    witness->SetInterval(ms);
    witness->OnTimer = [&](TObject*) {
      ticked = true;
      witness->SetEnabled(false);
    };
    witness->SetEnabled(true);
    EXPECT_TRUE(RunUntil([&] { return ticked; }));
    TComponent::Free(witness);
  }
  // Destroys the menu screen as the end of the program does; the application (and the
  // fake platform with its records) stays for the test to look at.
  void EndProgram() {
    TComponent::Free(menu);
    menu = nullptr;
  }

  TempDir install;
  TestRosterEnvironment roster{install.Str()};
  FakePlatform* fake = nullptr;
  std::unique_ptr<TApplication> app;
  TForm1* menu = nullptr;

 private:
  std::filesystem::path previousDir_;
};

}  // namespace tazu::test
