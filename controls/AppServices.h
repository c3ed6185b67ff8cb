// The process-wide services of the components: the shared tick service that drives
// the process starters' watch and clock checks from one 50 ms window timer, and the
// second-copy flag of the single-copy guard.
#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <vector>

#include "base/Exceptions.h"
#include "framework/Component.h"

namespace tazu {

class TTimer;
class TShapeHint;

// The system refused a timer, or the tick service has no free identifier.
class EOutOfResources : public Exception {
 public:
  EOutOfResources() : Exception("Not enough timers available") {}
};

class TTimerItem {
 public:
  uint16_t Id = 0;
  uint32_t Interval = 1000;  // ms, a multiple of the pool's MinInterval
  uint32_t Divisor = 1;      // Interval / MinInterval
  bool Enabled = true;
  int32_t CallCount = 0;
  int32_t CallLimit = -1;  // -1: no limit
  std::function<void()> Callback;
};

class TTimerPool {
 public:
  static constexpr uint32_t MinInterval = 50;
  static constexpr uint16_t kFirstId = 0xFD00;
  static constexpr int kSlots = 250;

  TTimerPool(TComponent& owner);
  ~TTimerPool();
  TTimerPool(const TTimerPool&) = delete;
  TTimerPool& operator=(const TTimerPool&) = delete;

  // Adds an enabled item; returns its identifier, or 0 when all slots are in use.
  // Raises when the interval does not suit MinInterval.
  uint16_t Add(uint32_t interval, std::function<void()> callback);
  TTimerItem* Find(uint16_t id);
  void SetEnabled(uint16_t id, bool enabled);
  // Accepted only for multiples of MinInterval; 0 stands for MinInterval itself.
  void SetInterval(uint16_t id, uint32_t interval);
  void Remove(uint16_t id);
  size_t Count() const { return items_.size(); }
  int32_t TickCount() const { return tickCounter_; }

  // One beat of the window timer.
  void Tick();

 private:
  void UpdateTimer();

  TComponent& owner_;
  TTimer* timer_ = nullptr;
  std::vector<std::unique_ptr<TTimerItem>> items_;
  std::vector<bool> slotUsed_ = std::vector<bool>(kSlots + 1, false);
  int32_t tickCounter_ = 0;
  bool processing_ = false;
  bool removing_ = false;
};

class TAppServices : public TComponent {
 public:
  explicit TAppServices(TComponent* owner);
  ~TAppServices() override;

  // The services of the application `app` belongs to, made on first use.
  static TAppServices& Of(TComponent& component);

  TTimerPool& TimerPool() { return *pool_; }
  // Set at creation when another copy of the program already runs: the platform's
  // copy marker, named after the program file, is held for the life of the process.
  bool SecondCopy = false;
  // The single-instance components that exist now (at most one may).
  uint8_t OneInstanceCount = 0;
  // Hands out the hot-key identifiers, one per hot-key component, never twice.
  uint16_t NewHotKeyId() { return nextHotKeyId_++; }
  // The shape hint whose settings the application's balloon hints use (none: plain).
  TShapeHint* ActiveShapeHint = nullptr;

 private:
  // Where the identifiers start: the range of the classic string atoms.
  static constexpr uint16_t kFirstHotKeyId = 0xC000;

  std::unique_ptr<TTimerPool> pool_;
  uint16_t nextHotKeyId_ = kFirstHotKeyId;
};

}  // namespace tazu
