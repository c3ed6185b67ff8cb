// The process-wide services of the components: the shared tick service that drives
// the process starters' watch and clock checks from one 50 ms window timer.
#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <vector>

#include "base/Exceptions.h"
#include "framework/Component.h"

namespace tazu {

class TTimer;

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
  // Set at start-up when another copy of the program already runs.
  bool SecondCopy = false;

 private:
  std::unique_ptr<TTimerPool> pool_;
};

}  // namespace tazu
