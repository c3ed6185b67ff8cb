// Access to one of the machine's audio mixer devices: its identity, a tree of its
// destination lines, their source lines (connections) and every line's controls, and
// the device's change notices as two events. Reports nothing: a missing or refused
// device just leaves the component closed.
#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "framework/Component.h"
#include "platform/Platform.h"

namespace tazu {

// A list of untyped pointers. Clearing it (also on destruction) first hands each
// pointer, in list order, to the release callback when one is set.
class TPointerList {
 public:
  using TReleaseProc = std::function<void(void* item)>;

  explicit TPointerList(TReleaseProc release = nullptr) : release_(std::move(release)) {}
  ~TPointerList() { Clear(); }
  TPointerList(const TPointerList&) = delete;
  TPointerList& operator=(const TPointerList&) = delete;

  void Add(void* item) { items_.push_back(item); }
  int Count() const { return static_cast<int>(items_.size()); }
  void* Items(int index) const { return items_.at(static_cast<size_t>(index)); }
  void Clear();

 private:
  TReleaseProc release_;
  std::vector<void*> items_;
};

// All the control descriptions of one line in one block, and a pointer to each.
class TMixerControls {
 public:
  // Asks for every control of line `line`; an answer that fails leaves it empty.
  TMixerControls(Platform& platform, MixerHandle mixer, const MixerLine& line);
  int Count() const { return list_.Count(); }
  const MixerControl& Items(int index) const {
    return *static_cast<const MixerControl*>(list_.Items(index));
  }

 private:
  std::vector<MixerControl> block_;
  TPointerList list_;  // into block_: no release callback
};

// A source line connected to a destination.
class TMixerConnection {
 public:
  TMixerConnection(Platform& platform, MixerHandle mixer, const MixerLine& line);
  MixerLine Data;
  TMixerControls Controls;
};

// The source lines of one destination that the device could describe, in source order.
class TMixerConnections {
 public:
  TMixerConnections(Platform& platform, MixerHandle mixer, const MixerLine& destination);
  int Count() const { return list_.Count(); }
  TMixerConnection& Items(int index) const {
    return *static_cast<TMixerConnection*>(list_.Items(index));
  }

 private:
  TPointerList list_;  // owns its connections: the callback frees each
};

class TMixerDestination {
 public:
  TMixerDestination(Platform& platform, MixerHandle mixer, const MixerLine& line);
  MixerLine Data;
  TMixerConnections Connections;
  TMixerControls Controls;
};

// The destination lines of the device that it could describe, in destination order.
class TMixerDestinations {
 public:
  TMixerDestinations(Platform& platform, MixerHandle mixer, uint32_t count);
  int Count() const { return list_.Count(); }
  TMixerDestination& Items(int index) const {
    return *static_cast<TMixerDestination*>(list_.Items(index));
  }

 private:
  TPointerList list_;  // owns its destinations: the callback frees each
};

// Sender, the device that reported the change, and the line or control identifier.
using TMixerChange = std::function<void(TObject* sender, MixerHandle mixerH, uint32_t id)>;

class TAudioMixer : public TComponent {
 public:
  static constexpr uint16_t kMicrosoft = 1;

  // Counts the devices once, then opens device 0.
  explicit TAudioMixer(TComponent* owner);
  ~TAudioMixer() override;

  // The open device's index, -1 when none is open.
  int MixerId() const { return mixerId_; }
  // Closes and opens device `value` (even the same one): beyond the last opens the
  // last, negative just closes. Without devices nothing happens at all.
  void SetMixerId(int value);
  uint32_t DriverVersion() const { return caps_.driverVersion; }
  uint16_t ProductId() const { return caps_.productId; }
  int NumberOfLine() const { return numberOfLine_; }
  const std::string& Manufacturer() const { return manufacturer_; }
  const std::string& ProductName() const { return caps_.productName; }
  TMixerChange OnLineChange;
  TMixerChange OnControlChange;

  // The line tree; null while no device is open.
  TMixerDestinations* Destinations() const { return destinations_.get(); }
  MixerHandle Handle() const { return handle_; }
  int MixerCount() const { return mixerCount_; }

  void CloseMixer();

 private:
  void Notice(const Event& event);

  int mixerCount_ = 0;
  int mixerId_ = -1;
  MixerHandle handle_ = 0;
  MixerCaps caps_;
  int numberOfLine_ = 0;
  std::string manufacturer_;
  std::unique_ptr<TMixerDestinations> destinations_;
  int lineToken_ = 0;
  int controlToken_ = 0;
};

}  // namespace tazu
