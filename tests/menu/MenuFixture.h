// The menu screen on the fake platform, started in a temporary install folder.
#pragma once

#include <gtest/gtest.h>

#include <filesystem>
#include <memory>

#include "framework/Application.h"
#include "platform/fake/FakePlatform.h"
#include "roster/RosterEnvironment.h"
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
    std::filesystem::current_path(install.Path());
  }
  ~MenuTest() override {
    app.reset();
    std::filesystem::current_path(previousDir_);
  }

  // The screen the way the program entry makes it.
  // The menu without its first activation (music and intro) unless `firstActivation`.
  TForm1* CreateMenu(bool firstActivation = false) {
    menu = app->CreateForm<TForm1>();
    menu->RosterEnv = &roster;
    menu->ActivatedOnce = !firstActivation;
    return menu;
  }
  // The state after the intro screen closed with `language` and `name`.
  void SignInAs(const std::string& language, const std::string& name = "ANNA") {
    menu->Language = language;
    menu->LearnerName = name;
    menu->SignIn(false);
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
