#include "framework/Component.h"

#include <algorithm>

namespace tazu {

TComponent::TComponent(TComponent* owner)
    : owner_(owner), application_(owner != nullptr ? owner->application_ : nullptr) {
  if (owner_ != nullptr) owner_->components_.push_back(this);
}

TComponent::TComponent(TApplication* self) : application_(self) {}

TComponent::~TComponent() {
  DestroyComponents();
  if (owner_ != nullptr) {
    auto& list = owner_->components_;
    list.erase(std::remove(list.begin(), list.end(), this), list.end());
  }
}

void TComponent::DestroyComponents() {
  // The one place owned components are deleted: newest first, each unregistering itself.
  while (!components_.empty()) Free(components_.back());
}

void TComponent::FreeLast(TComponent* owned) {
  auto it = std::find(components_.begin(), components_.end(), owned);
  if (it == components_.end()) return;
  components_.erase(it);
  components_.insert(components_.begin(), owned);  // freed newest first, so this goes last
}

void TComponent::Free(TComponent* component) {
  if (component == nullptr) return;
  component->BeforeDestruction();
  delete component;
}

}  // namespace tazu
