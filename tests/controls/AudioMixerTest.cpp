// The mixer component on scripted mixer devices of the fake platform.
#include "controls/AudioMixer.h"

#include <gtest/gtest.h>

#include "tests/framework/FrameworkFixture.h"

namespace tazu {
namespace {

using test::FrameworkTest;
using Device = FakePlatform::MixerDeviceScript;

MixerLine Line(uint32_t destination, uint32_t source, uint32_t lineId, const std::string& name,
               uint32_t connections, uint32_t controls) {
  MixerLine line;
  line.destination = destination;
  line.source = source;
  line.lineId = lineId;
  line.name = name;
  line.shortName = name;
  line.connections = connections;
  line.controls = controls;
  return line;
}

MixerControl Control(uint32_t id, const std::string& name) {
  MixerControl control;
  control.controlId = id;
  control.name = name;
  control.maximum = 65535;
  return control;
}

// A device with two destinations: "Speakers" (line 0) with sources "Wave" (0x1000) and
// "CD" (0x1001), and "Recording" (line 1) with the source "Microphone" (0x2000).
Device Card(uint16_t manufacturer, const std::string& name) {
  Device d;
  d.caps.manufacturerId = manufacturer;
  d.caps.productId = 42;
  d.caps.driverVersion = 0x0501;
  d.caps.productName = name;
  d.caps.destinations = 2;
  d.destinations = {Line(0, 0, 0, "Speakers", 2, 2), Line(1, 0, 1, "Recording", 1, 1)};
  d.sources = {{Line(0, 0, 0x1000, "Wave", 0, 1), Line(0, 1, 0x1001, "CD", 0, 1)},
               {Line(1, 0, 0x2000, "Microphone", 0, 1)}};
  d.controls = {{0, {Control(1, "Volume"), Control(2, "Mute")}},
                {1, {Control(3, "Recording Volume")}},
                {0x1000, {Control(4, "Wave Volume")}},
                {0x1001, {Control(5, "CD Volume")}},
                {0x2000, {Control(6, "Microphone Volume")}}};
  return d;
}

class AudioMixerTest : public FrameworkTest {
 protected:
  TAudioMixer* Make() { return app->Create<TAudioMixer>(); }
};

TEST_F(AudioMixerTest, NoDevicesLeavesItClosedWhateverIsAsked) {
  TAudioMixer* mixer = Make();
  EXPECT_EQ(mixer->MixerId(), -1);
  EXPECT_EQ(mixer->Destinations(), nullptr);
  mixer->SetMixerId(0);
  mixer->SetMixerId(3);
  EXPECT_EQ(mixer->MixerId(), -1);
  EXPECT_TRUE(fake->mixerOpens.empty());
}

TEST_F(AudioMixerTest, CreationOpensTheFirstDeviceAndReadsItsIdentity) {
  fake->mixerDevices = {Card(1, "Sound Blaster"), Card(2, "Other")};
  TAudioMixer* mixer = Make();
  EXPECT_EQ(mixer->MixerCount(), 2);
  EXPECT_EQ(mixer->MixerId(), 0);
  EXPECT_EQ(fake->mixerOpens, std::vector<int>{0});
  EXPECT_EQ(mixer->Manufacturer(), "Microsoft");
  EXPECT_EQ(mixer->ProductName(), "Sound Blaster");
  EXPECT_EQ(mixer->ProductId(), 42);
  EXPECT_EQ(mixer->DriverVersion(), 0x0501u);
  EXPECT_EQ(mixer->NumberOfLine(), 2);
  mixer->SetMixerId(1);
  EXPECT_EQ(mixer->Manufacturer(), "2 = Unknown");
  EXPECT_EQ(mixer->ProductName(), "Other");
}

TEST_F(AudioMixerTest, EveryWriteClosesAndReopens) {
  fake->mixerDevices = {Card(1, "A"), Card(1, "B")};
  TAudioMixer* mixer = Make();
  const MixerHandle first = mixer->Handle();
  mixer->SetMixerId(0);
  EXPECT_EQ(fake->mixerOpens, (std::vector<int>{0, 0}));
  EXPECT_EQ(fake->mixerCloses, std::vector<MixerHandle>{first});
  EXPECT_NE(mixer->Handle(), first);
  ASSERT_NE(mixer->Destinations(), nullptr);
  EXPECT_EQ(fake->openMixers.size(), 1u);
}

TEST_F(AudioMixerTest, BeyondTheLastOpensTheLastAndNegativeCloses) {
  fake->mixerDevices = {Card(1, "A"), Card(3, "B")};
  TAudioMixer* mixer = Make();
  mixer->SetMixerId(7);
  EXPECT_EQ(mixer->MixerId(), 1);
  EXPECT_EQ(mixer->ProductName(), "B");
  EXPECT_EQ(mixer->Manufacturer(), "3 = Unknown");
  mixer->SetMixerId(-5);
  EXPECT_EQ(mixer->MixerId(), -1);
  EXPECT_EQ(mixer->Destinations(), nullptr);
  EXPECT_TRUE(fake->openMixers.empty());
  // The identity of the last open device stays.
  EXPECT_EQ(mixer->ProductName(), "B");
}

TEST_F(AudioMixerTest, RefusedDeviceStaysClosedWithTheOldIdentity) {
  fake->mixerDevices = {Card(1, "A"), Card(2, "B")};
  fake->mixerDevices[1].openFails = true;
  TAudioMixer* mixer = Make();
  mixer->SetMixerId(1);
  EXPECT_EQ(mixer->MixerId(), -1);
  EXPECT_EQ(mixer->Handle(), 0u);
  EXPECT_EQ(mixer->Destinations(), nullptr);
  EXPECT_EQ(mixer->ProductName(), "A");
  EXPECT_TRUE(fake->openMixers.empty());
}

TEST_F(AudioMixerTest, TreeHoldsDestinationsSourcesAndControlsInOrder) {
  fake->mixerDevices = {Card(1, "A")};
  TAudioMixer* mixer = Make();
  TMixerDestinations* tree = mixer->Destinations();
  ASSERT_NE(tree, nullptr);
  ASSERT_EQ(tree->Count(), 2);
  TMixerDestination& speakers = tree->Items(0);
  EXPECT_EQ(speakers.Data.name, "Speakers");
  ASSERT_EQ(speakers.Controls.Count(), 2);
  EXPECT_EQ(speakers.Controls.Items(0).name, "Volume");
  EXPECT_EQ(speakers.Controls.Items(1).name, "Mute");
  ASSERT_EQ(speakers.Connections.Count(), 2);
  EXPECT_EQ(speakers.Connections.Items(0).Data.name, "Wave");
  EXPECT_EQ(speakers.Connections.Items(1).Data.name, "CD");
  ASSERT_EQ(speakers.Connections.Items(1).Controls.Count(), 1);
  EXPECT_EQ(speakers.Connections.Items(1).Controls.Items(0).name, "CD Volume");
  TMixerDestination& recording = tree->Items(1);
  EXPECT_EQ(recording.Data.name, "Recording");
  ASSERT_EQ(recording.Connections.Count(), 1);
  EXPECT_EQ(recording.Connections.Items(0).Controls.Items(0).controlId, 6u);
}

TEST_F(AudioMixerTest, DescriptionsThatFailAreLeftOut) {
  Device d = Card(1, "A");
  d.failingDestinations = {0};
  d.failingSources = {{1, 0}};
  d.controls.erase(1);      // the recording line's controls cannot be read
  d.caps.destinations = 3;  // one more than the device can describe
  fake->mixerDevices = {d};
  TAudioMixer* mixer = Make();
  TMixerDestinations* tree = mixer->Destinations();
  ASSERT_NE(tree, nullptr);
  ASSERT_EQ(tree->Count(), 1);
  EXPECT_EQ(tree->Items(0).Data.name, "Recording");
  EXPECT_EQ(tree->Items(0).Connections.Count(), 0);
  EXPECT_EQ(tree->Items(0).Controls.Count(), 0);
  EXPECT_EQ(mixer->NumberOfLine(), 3);
}

TEST_F(AudioMixerTest, ControlsNeverExceedTheLinesCount) {
  Device d = Card(1, "A");
  d.destinations[0].controls = 1;  // the device answers with two records
  fake->mixerDevices = {d};
  TAudioMixer* mixer = Make();
  ASSERT_EQ(mixer->Destinations()->Items(0).Controls.Count(), 1);
  EXPECT_EQ(mixer->Destinations()->Items(0).Controls.Items(0).name, "Volume");
}

TEST(PointerListTest, ClearingReleasesEachItemInOrderOnce) {
  std::vector<int> released;
  int items[3] = {7, 8, 9};
  {
    TPointerList list([&](void* item) { released.push_back(*static_cast<int*>(item)); });
    for (int& item : items) list.Add(&item);
    EXPECT_EQ(list.Count(), 3);
    list.Clear();
    EXPECT_EQ(released, (std::vector<int>{7, 8, 9}));
    EXPECT_EQ(list.Count(), 0);
    list.Add(&items[1]);
  }  // destruction clears too
  EXPECT_EQ(released, (std::vector<int>{7, 8, 9, 8}));
  TPointerList plain;  // no callback: nothing is released
  plain.Add(&items[0]);
  plain.Clear();
  EXPECT_EQ(plain.Count(), 0);
}

TEST_F(AudioMixerTest, NoticesOfTheOpenDeviceReachTheHandlers) {
  fake->mixerDevices = {Card(1, "A"), Card(1, "B")};
  TAudioMixer* mixer = Make();
  std::vector<std::string> got;
  mixer->OnLineChange = [&](TObject* sender, MixerHandle h, uint32_t id) {
    got.push_back("line " + std::to_string(id) +
                  (sender == mixer && h == mixer->Handle() ? "" : "?"));
  };
  mixer->OnControlChange = [&](TObject* sender, MixerHandle h, uint32_t id) {
    got.push_back("control " + std::to_string(id) +
                  (sender == mixer && h == mixer->Handle() ? "" : "?"));
  };
  fake->NotifyMixer(EventKind::MixerLineChange, mixer->Handle(), 1);
  fake->NotifyMixer(EventKind::MixerControlChange, mixer->Handle(), 4);
  fake->NotifyMixer(EventKind::MixerControlChange, mixer->Handle() + 99, 5);  // another device
  app->ProcessMessages();
  EXPECT_EQ(got, (std::vector<std::string>{"line 1", "control 4"}));
}

TEST_F(AudioMixerTest, NoticesWithoutHandlersOrAfterClosingAreIgnored) {
  fake->mixerDevices = {Card(1, "A")};
  TAudioMixer* mixer = Make();
  int calls = 0;
  fake->NotifyMixer(EventKind::MixerLineChange, mixer->Handle(), 1);
  app->ProcessMessages();  // no handler: nothing happens
  mixer->OnControlChange = [&](TObject*, MixerHandle, uint32_t) { ++calls; };
  const MixerHandle old = mixer->Handle();
  fake->NotifyMixer(EventKind::MixerLineChange, old, 1);  // only the control handler is bound
  mixer->SetMixerId(-1);
  fake->NotifyMixer(EventKind::MixerControlChange, old, 2);
  app->ProcessMessages();
  EXPECT_EQ(calls, 0);
}

TEST_F(AudioMixerTest, DestructionClosesTheDevice) {
  fake->mixerDevices = {Card(1, "A")};
  TAudioMixer* mixer = Make();
  const MixerHandle handle = mixer->Handle();
  TComponent::Free(mixer);
  EXPECT_EQ(fake->mixerCloses, std::vector<MixerHandle>{handle});
  EXPECT_TRUE(fake->openMixers.empty());
}

}  // namespace
}  // namespace tazu
