// The root of the component tree: every component has an owner that frees it.
// The application owns the forms, a form owns its controls and components.
#pragma once

#include <functional>
#include <memory>
#include <string>
#include <vector>

namespace tazu {

class TApplication;

class TObject {
 public:
  virtual ~TObject() = default;
};

using TNotifyEvent = std::function<void(TObject* sender)>;

class TComponent : public TObject {
 public:
  // Registers with `owner`, which deletes this component in its own destructor
  // (last created first). A component deleted earlier unregisters itself.
  explicit TComponent(TComponent* owner);
  ~TComponent() override;
  TComponent(const TComponent&) = delete;
  TComponent& operator=(const TComponent&) = delete;

  TComponent* Owner() const { return owner_; }
  const std::vector<TComponent*>& Components() const { return components_; }
  // The application at the root of the ownership chain (null for a free component).
  TApplication* Application() const { return application_; }

  std::string Name;
  int Tag = 0;

  // Creates a component owned by this one; returns a non-owning pointer.
  template <class T, class... Args>
  T* Create(Args&&... args) {
    return new T(this, std::forward<Args>(args)...);
  }

  // Moves `owned` (one of this component's own) so that it is freed after all the
  // others: for services that everything else may still use while it goes.
  void FreeLast(TComponent* owned);

  // Called once the screen that holds it has been built (the layouts' "Loaded").
  virtual void Loaded() {}
  // Runs while the component is still whole, right before it is deleted by its owner
  // or by Free (forms fire OnDestroy here).
  virtual void BeforeDestruction() {}

  // Deletes `component` the way an owner does (BeforeDestruction first). Null is fine.
  static void Free(TComponent* component);

 protected:
  // The application itself is the root; it has no owner.
  explicit TComponent(TApplication* self);
  // Deletes the owned components now. Containers call it first in their destructors
  // so the children go while the container is still whole.
  void DestroyComponents();

 private:
  TComponent* owner_ = nullptr;
  TApplication* application_ = nullptr;
  std::vector<TComponent*> components_;
};

// Frees a component the owner's way when it goes out of scope (for forms made on
// demand and released right after their modal showing).
struct FreeComponent {
  void operator()(TComponent* component) const { TComponent::Free(component); }
};
template <class T>
using TOwned = std::unique_ptr<T, FreeComponent>;

}  // namespace tazu
