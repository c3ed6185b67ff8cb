#include "controls/AppServices.h"

#include <limits>
#include <string>

#include "framework/Application.h"
#include "framework/Timer.h"

namespace tazu {
namespace {

constexpr uint32_t kNewItemInterval = 1000;

void CheckInterval(uint32_t interval) {
  if (interval < TTimerPool::MinInterval || interval % TTimerPool::MinInterval != 0) {
    throw Exception("Interval not compatible with MinInterval property!");
  }
}

}  // namespace

// ---- the pool ----

TTimerPool::TTimerPool(TComponent& owner) : owner_(owner) {
  timer_ = owner_.Create<TTimer>();
  timer_->SetEnabled(false);
  timer_->SetInterval(MinInterval);
  timer_->SetOnTimer([this](TObject*) { Tick(); });
}

TTimerPool::~TTimerPool() { TComponent::Free(timer_); }

uint16_t TTimerPool::Add(uint32_t interval, std::function<void()> callback) {
  const uint32_t wanted = interval == 0 ? MinInterval : interval;
  CheckInterval(wanted);
  int slot = 1;
  while (slot <= kSlots && slotUsed_[static_cast<size_t>(slot)]) ++slot;
  if (slot > kSlots) return 0;
  const auto id = static_cast<uint16_t>(kFirstId + slot);
  if (Find(id) != nullptr) throw Exception("List index out of bounds (" + std::to_string(id) + ")");
  slotUsed_[static_cast<size_t>(slot)] = true;
  auto item = std::make_unique<TTimerItem>();
  item->Id = id;
  item->Interval = kNewItemInterval;
  item->Divisor = kNewItemInterval / MinInterval;
  item->Callback = std::move(callback);
  items_.push_back(std::move(item));
  SetInterval(id, wanted);
  UpdateTimer();
  return id;
}

TTimerItem* TTimerPool::Find(uint16_t id) {
  for (auto& item : items_) {
    if (item->Id == id) return item.get();
  }
  return nullptr;
}

void TTimerPool::SetEnabled(uint16_t id, bool enabled) {
  if (TTimerItem* item = Find(id)) item->Enabled = enabled;
}

void TTimerPool::SetInterval(uint16_t id, uint32_t interval) {
  TTimerItem* item = Find(id);
  if (item == nullptr) return;
  const uint32_t wanted = interval == 0 ? MinInterval : interval;
  CheckInterval(wanted);
  item->Interval = wanted;
  item->Divisor = wanted / MinInterval;
}

void TTimerPool::Remove(uint16_t id) {
  removing_ = true;
  for (auto it = items_.begin(); it != items_.end(); ++it) {
    if ((*it)->Id == id) {
      slotUsed_[static_cast<size_t>(id - kFirstId)] = false;
      items_.erase(it);
      break;
    }
  }
  removing_ = false;
  UpdateTimer();
}

void TTimerPool::UpdateTimer() {
  // The window timer runs while there are items; each addition restarts it.
  timer_->SetEnabled(false);
  timer_->SetEnabled(!items_.empty());
}

void TTimerPool::Tick() {
  if (processing_ || removing_) return;
  processing_ = true;
  try {
    for (size_t i = 0; i < items_.size(); ++i) {
      TTimerItem& item = *items_[i];
      if (!item.Enabled || tickCounter_ % static_cast<int32_t>(item.Divisor) != 0) continue;
      item.CallCount =
          item.CallCount == std::numeric_limits<int32_t>::max() ? 0 : item.CallCount + 1;
      if (item.CallCount == item.CallLimit) item.Enabled = false;
      // A copy: the callback may remove its own item.
      if (std::function<void()> callback = item.Callback) callback();
    }
  } catch (const std::exception& error) {
    processing_ = false;
    if (owner_.Application() != nullptr) owner_.Application()->HandleException(error);
  }
  tickCounter_ = tickCounter_ == std::numeric_limits<int32_t>::max() ? 0 : tickCounter_ + 1;
  processing_ = false;
}

// ---- the services ----

TAppServices::TAppServices(TComponent* owner)
    : TComponent(owner), pool_(std::make_unique<TTimerPool>(*this)) {
  if (TApplication* app = Application()) {
    Platform& platform = app->GetPlatform();
    SecondCopy = platform.CreateCopyMarker(platform.ProgramFileName());
  }
}

TAppServices::~TAppServices() { pool_.reset(); }

TAppServices& TAppServices::Of(TComponent& component) {
  TComponent* root = component.Application();
  if (root == nullptr) throw Exception("The components' services need the application");
  for (TComponent* c : root->Components()) {
    if (auto* services = dynamic_cast<TAppServices*>(c)) return *services;
  }
  auto* services = root->Create<TAppServices>();
  root->FreeLast(services);  // the components that use it go first
  return *services;
}

}  // namespace tazu
