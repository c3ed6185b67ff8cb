// The single-copy guard and the system-wide hot key on the fake platform.
#include <gtest/gtest.h>

#include "controls/AppServices.h"
#include "controls/GlobalHotKey.h"
#include "controls/OneInstance.h"
#include "tests/framework/FrameworkFixture.h"

namespace tazu {
namespace {

using test::FrameworkTest;
using HotKeyRecord = FakePlatform::HotKeyRecord;

constexpr TShortCut kCtrlAltZ = 0xC05A;
constexpr int kKeyZ = 0x5A;
constexpr unsigned kCtrlAlt = MOD_CONTROL | MOD_ALT;

// ---- the second-copy flag ----

class AppServicesTest : public FrameworkTest {};

TEST_F(AppServicesTest, ServicesTakeTheMarkerNamedAfterTheProgramFile) {
  fake->programFileName = "tazu.exe";
  EXPECT_FALSE(TAppServices::Of(*app).SecondCopy);
  EXPECT_EQ(fake->copyMarkers, std::vector<std::string>{"tazu.exe"});
  TAppServices::Of(*app);  // made once: the marker is not asked again
  EXPECT_EQ(fake->copyMarkers.size(), 1u);
}

TEST_F(AppServicesTest, ServicesSeeAnotherCopyHoldingTheMarker) {
  fake->otherCopyRunning = true;
  EXPECT_TRUE(TAppServices::Of(*app).SecondCopy);
  EXPECT_EQ(fake->copyMarkers, std::vector<std::string>{"pelkor-tazu"});
}

// ---- the single-instance guard ----

class OneInstanceTest : public FrameworkTest {
 protected:
  // The guard of a copy that finds another one running (or not).
  TOneInstance* Guard(bool secondCopy) {
    fake->otherCopyRunning = secondCopy;
    app->Title = "Pelkor Tazu";
    fake->otherCopyTitles = {"Other program", "Pelkor Tazu"};
    fake->onMessageBox = [this](const MessageBoxRequest& box) {
      log.push_back("box " + box.text);
      return mrOk;
    };
    TOneInstance* guard = app->Create<TOneInstance>();
    guard->EndProcess = [this] {
      log.push_back(std::string("end") + (app->Terminated() ? " terminated" : "") +
                    " activated=" + std::to_string(fake->activatedCopies.size()));
    };
    return guard;
  }

  std::vector<std::string> log;
};

TEST_F(OneInstanceTest, DefaultsActivateOnly) {
  TOneInstance* guard = Guard(false);
  EXPECT_TRUE(guard->Enabled);
  EXPECT_EQ(guard->Mode, oiActivateOnly);
  EXPECT_FALSE(guard->OnCustom);
}

TEST_F(OneInstanceTest, FirstCopyGoesOn) {
  TOneInstance* guard = Guard(false);
  guard->Loaded();
  EXPECT_TRUE(log.empty());
  EXPECT_FALSE(app->Terminated());
  EXPECT_TRUE(fake->activations.empty());
  EXPECT_TRUE(fake->applicationTitles.empty());
}

TEST_F(OneInstanceTest, SecondCopyActivatesTheFirstByTitleThenTerminatesAndEnds) {
  TOneInstance* guard = Guard(true);
  guard->Loaded();
  EXPECT_EQ(log, std::vector<std::string>{"end terminated activated=1"});
  // Its own window is hidden from the search first, then the first copy is found.
  EXPECT_EQ(fake->applicationTitles, std::vector<std::string>{""});
  EXPECT_EQ(fake->activations, std::vector<std::string>{"Pelkor Tazu"});
  EXPECT_EQ(fake->activatedCopies, std::vector<std::string>{"Pelkor Tazu"});
  EXPECT_TRUE(fake->shownBoxes.empty());
}

TEST_F(OneInstanceTest, SecondCopyEndsSilentlyWhenTheFirstIsNotFound) {
  TOneInstance* guard = Guard(true);
  app->Title = "Renamed";
  guard->Loaded();
  EXPECT_EQ(fake->activations, std::vector<std::string>{"Renamed"});
  EXPECT_EQ(log, std::vector<std::string>{"end terminated activated=0"});
  EXPECT_TRUE(fake->shownBoxes.empty());
}

TEST_F(OneInstanceTest, DefaultMessageComesBeforeTheActivation) {
  TOneInstance* guard = Guard(true);
  guard->Mode = oiDefaultMessage;
  guard->Loaded();
  EXPECT_EQ(log, (std::vector<std::string>{"box \"Pelkor Tazu\" was already started...",
                                           "end terminated activated=1"}));
  ASSERT_EQ(fake->shownBoxes.size(), 1u);
  EXPECT_EQ(fake->shownBoxes[0].kind, MessageBoxKind::Information);
  EXPECT_EQ(fake->shownBoxes[0].buttons, MessageBoxButtons::Ok);
}

TEST_F(OneInstanceTest, CustomModeCallsTheHandlerInsteadOfActivating) {
  TOneInstance* guard = Guard(true);
  guard->Mode = oiCustom;
  TObject* sender = nullptr;
  guard->OnCustom = [&](TObject* s) {
    sender = s;
    log.push_back(std::string("custom") + (app->Terminated() ? " terminated" : ""));
  };
  guard->Loaded();
  EXPECT_EQ(sender, guard);
  EXPECT_EQ(log, (std::vector<std::string>{"custom", "end terminated activated=0"}));
  EXPECT_TRUE(fake->activations.empty());
}

TEST_F(OneInstanceTest, CustomModeWithoutHandlerActivates) {
  TOneInstance* guard = Guard(true);
  guard->Mode = oiCustom;
  guard->Loaded();
  EXPECT_EQ(log, std::vector<std::string>{"end terminated activated=1"});
}

TEST_F(OneInstanceTest, DisabledGuardLetsASecondCopyRun) {
  TOneInstance* guard = Guard(true);
  guard->Enabled = false;
  guard->Loaded();
  EXPECT_TRUE(log.empty());
  EXPECT_FALSE(app->Terminated());
  EXPECT_TRUE(fake->activations.empty());
}

TEST_F(OneInstanceTest, ActivationOnAFirstCopyDoesNothing) {
  TOneInstance* guard = Guard(false);
  guard->ActivateFirstCopy();
  EXPECT_TRUE(fake->activations.empty());
  EXPECT_TRUE(fake->applicationTitles.empty());
}

TEST_F(OneInstanceTest, ASecondGuardInTheProcessIsRefused) {
  TOneInstance* first = Guard(false);
  try {
    app->Create<TOneInstance>();
    FAIL() << "a second guard was made";
  } catch (const EOneInstError& error) {
    EXPECT_STREQ(error.what(), "TOneInstance:\rAlready one TOneInstance control in this project!");
  }
  // The refused one does not count: once the first goes, a new one may be made.
  TComponent::Free(first);
  TOneInstance* again = app->Create<TOneInstance>();
  EXPECT_EQ(TAppServices::Of(*app).OneInstanceCount, 1);
  EXPECT_THROW(app->Create<TOneInstance>(), EOneInstError);
  TComponent::Free(again);
  EXPECT_EQ(TAppServices::Of(*app).OneInstanceCount, 0);
}

// ---- the global hot key ----

class GlobalHotKeyTest : public FrameworkTest {
 protected:
  void SetUp() override {
    hotKey = app->Create<TGlobalHotKey>();
    id = hotKey->Identifier();
  }
  void Press() {
    fake->PressHotKey(id);
    app->ProcessMessages();
  }

  TGlobalHotKey* hotKey = nullptr;
  uint32_t id = 0;
};

TEST_F(GlobalHotKeyTest, StartsActiveWithoutACombination) {
  EXPECT_TRUE(hotKey->Active());
  EXPECT_EQ(hotKey->HotKey(), 0);
  EXPECT_TRUE(fake->hotKeyRegistrations.empty());
  EXPECT_NE(id, 0u);
  // Each component has an identifier of its own.
  EXPECT_NE(app->Create<TGlobalHotKey>()->Identifier(), id);
}

TEST_F(GlobalHotKeyTest, ShortCutsSplitIntoKeyAndModifiers) {
  int key = 0;
  unsigned shift = 0;
  ShortCutToKey(kCtrlAltZ, key, shift);
  EXPECT_EQ(key, kKeyZ);
  EXPECT_EQ(shift, unsigned{ssCtrl | ssAlt});
  EXPECT_EQ(HotKeyModifiersOf(shift), kCtrlAlt);
  ShortCutToKey(0x2041, key, shift);
  EXPECT_EQ(key, 'A');
  EXPECT_EQ(shift, unsigned{ssShift});
  EXPECT_EQ(HotKeyModifiersOf(ssShift | ssAlt), unsigned{MOD_SHIFT | MOD_ALT});
}

TEST_F(GlobalHotKeyTest, CtrlAltZRegistersWithModifiersThreeAndKey5A) {
  hotKey->SetHotKey(kCtrlAltZ);
  EXPECT_EQ(fake->hotKeys, (std::vector<HotKeyRecord>{{id, 3, 0x5A}}));
  hotKey->SetHotKey(kCtrlAltZ);  // the same value: nothing
  EXPECT_EQ(fake->hotKeyRegistrations.size(), 1u);
}

TEST_F(GlobalHotKeyTest, PressGivesKeyAndShiftToTheHandler) {
  hotKey->SetHotKey(kCtrlAltZ);
  std::vector<std::string> got;
  hotKey->OnKeyDown = [&](TObject* sender, int& key, unsigned shift) {
    got.push_back(std::to_string(key) + "/" + std::to_string(shift) +
                  (sender == hotKey ? "" : " other"));
  };
  Press();
  EXPECT_EQ(got,
            std::vector<std::string>{std::to_string(kKeyZ) + "/" + std::to_string(ssCtrl | ssAlt)});
  // Another identifier's key is not ours.
  fake->PressHotKey(id + 1000);
  app->ProcessMessages();
  EXPECT_EQ(got.size(), 1u);
}

TEST_F(GlobalHotKeyTest, PressWithoutHandlerDoesNothing) {
  hotKey->SetHotKey(kCtrlAltZ);
  Press();
  EXPECT_TRUE(fake->shownBoxes.empty());
  EXPECT_FALSE(app->Terminated());
}

TEST_F(GlobalHotKeyTest, HandlerErrorsGoToTheApplication) {
  hotKey->SetHotKey(kCtrlAltZ);
  hotKey->OnKeyDown = [](TObject*, int&, unsigned) { throw Exception("Key trouble"); };
  std::string caught;
  app->OnException = [&](TObject*, const std::exception& error) { caught = error.what(); };
  Press();
  EXPECT_EQ(caught, "Key trouble");
}

TEST_F(GlobalHotKeyTest, ActiveOffAndOnRegistersAgainUnderTheSameIdentifier) {
  hotKey->SetHotKey(kCtrlAltZ);
  hotKey->SetActive(false);
  EXPECT_TRUE(fake->hotKeys.empty());
  EXPECT_EQ(fake->hotKeyUnregistrations, std::vector<uint32_t>{id});
  hotKey->SetActive(false);  // no change: nothing
  EXPECT_EQ(fake->hotKeyUnregistrations.size(), 1u);
  hotKey->SetActive(true);
  EXPECT_EQ(fake->hotKeys, (std::vector<HotKeyRecord>{{id, kCtrlAlt, kKeyZ}}));
  EXPECT_EQ(fake->hotKeyRegistrations.size(), 2u);
}

TEST_F(GlobalHotKeyTest, InactiveComponentStoresTheCombinationOnly) {
  hotKey->SetActive(false);
  hotKey->SetHotKey(kCtrlAltZ);
  EXPECT_EQ(hotKey->HotKey(), kCtrlAltZ);
  EXPECT_TRUE(fake->hotKeyRegistrations.empty());
  hotKey->SetActive(true);
  EXPECT_EQ(fake->hotKeys, (std::vector<HotKeyRecord>{{id, kCtrlAlt, kKeyZ}}));
}

TEST_F(GlobalHotKeyTest, ZeroUnregistersAndANewCombinationKeepsTheOld) {
  hotKey->SetHotKey(kCtrlAltZ);
  hotKey->SetHotKey(0x2041);  // Shift+A: registered without releasing Ctrl+Alt+Z
  EXPECT_EQ(fake->hotKeys,
            (std::vector<HotKeyRecord>{{id, kCtrlAlt, kKeyZ}, {id, MOD_SHIFT, 'A'}}));
  EXPECT_TRUE(fake->hotKeyUnregistrations.empty());
  hotKey->SetHotKey(0);
  EXPECT_TRUE(fake->hotKeys.empty());
  EXPECT_EQ(fake->hotKeyUnregistrations, std::vector<uint32_t>{id});
}

TEST_F(GlobalHotKeyTest, TakenCombinationIsSilentlyNotRegistered) {
  fake->takenHotKeys.insert({kCtrlAlt, kKeyZ});
  hotKey->SetHotKey(kCtrlAltZ);
  EXPECT_EQ(hotKey->HotKey(), kCtrlAltZ);
  EXPECT_EQ(fake->hotKeyRegistrations.size(), 1u);
  EXPECT_TRUE(fake->hotKeys.empty());
  EXPECT_TRUE(fake->shownBoxes.empty());
}

TEST_F(GlobalHotKeyTest, DestructionReleasesTheCombinationAndTheEvents) {
  hotKey->SetHotKey(kCtrlAltZ);
  int presses = 0;
  hotKey->OnKeyDown = [&](TObject*, int&, unsigned) { ++presses; };
  TComponent::Free(hotKey);
  EXPECT_TRUE(fake->hotKeys.empty());
  EXPECT_EQ(fake->hotKeyUnregistrations, std::vector<uint32_t>{id});
  Press();
  EXPECT_EQ(presses, 0);
}

}  // namespace
}  // namespace tazu
