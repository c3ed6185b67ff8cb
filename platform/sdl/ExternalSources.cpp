#include "platform/sdl/ExternalSources.h"

#include <SDL.h>

#include <cstdlib>

#include "platform/sdl/FdWatcher.h"
#include "platform/sdl/X11Messenger.h"

namespace tazu {

ExternalSources::ExternalSources(uint32_t eventType) : eventType_(eventType) {}

ExternalSources::~ExternalSources() {
  // The thread goes before the descriptors it watches.
  watcher_.reset();
  messenger_.reset();
}

void ExternalSources::Post(uintptr_t source) {
  SDL_Event e{};
  e.type = eventType_;
  e.user.code = kExternalReadyCode;
  e.user.data1 = reinterpret_cast<void*>(source);
  SDL_PushEvent(&e);
}

FdWatcher& ExternalSources::Watcher() {
  if (!watcher_) watcher_ = std::make_unique<FdWatcher>([this](uint32_t source) { Post(source); });
  return *watcher_;
}

X11Messenger* ExternalSources::Messenger() {
  if (!messengerTried_) {
    messengerTried_ = true;
    const char* display = std::getenv("DISPLAY");
    if (display != nullptr && display[0] != '\0') {
      auto messenger = std::make_unique<X11Messenger>();
      if (messenger->Connected()) {
        messenger_ = std::move(messenger);
        Watcher().Watch(kXSource, {pollfd{messenger_->Fd(), POLLIN, 0}});
      }
    }
  }
  return messenger_.get();
}

void ExternalSources::AnnounceQueued() {
  if (messenger_ && messenger_->HasQueued()) Post(kXSource);
}

void ExternalSources::SetApplicationTitle(const std::string& title) {
  if (X11Messenger* m = Messenger()) {
    m->SetApplicationTitle(title);
    AnnounceQueued();
  }
}

bool ExternalSources::ActivateOtherCopy(const std::string& title) {
  X11Messenger* m = Messenger();
  if (m == nullptr) return false;
  const bool found = m->ActivateOtherCopy(title);
  AnnounceQueued();
  return found;
}

bool ExternalSources::RegisterHotKey(uint32_t id, unsigned modifiers, int virtualKey) {
  X11Messenger* m = Messenger();
  if (m == nullptr) return false;
  const bool taken = m->RegisterHotKey(id, modifiers, virtualKey);
  AnnounceQueued();
  return taken;
}

void ExternalSources::UnregisterHotKey(uint32_t id) {
  if (messenger_) {
    messenger_->UnregisterHotKey(id);
    AnnounceQueued();
  }
}

MixerHandle ExternalSources::MixerOpen(int device) {
  const MixerHandle mixer = mixers_.Open(device);
  if (mixer != 0) {
    std::vector<pollfd> fds = mixers_.PollDescriptors(mixer);
    if (!fds.empty()) Watcher().Watch(static_cast<uint32_t>(mixer), std::move(fds));
  }
  return mixer;
}

void ExternalSources::MixerClose(MixerHandle mixer) {
  if (watcher_) watcher_->Forget(static_cast<uint32_t>(mixer));
  mixers_.Close(mixer);
  // Notices of the closed device that were read already are no longer wanted.
  std::erase_if(pending_, [mixer](const Event& e) {
    return (e.kind == EventKind::MixerLineChange || e.kind == EventKind::MixerControlChange) &&
           e.handle == mixer;
  });
}

void ExternalSources::Read(uintptr_t source) {
  if (source == kXSource) {
    if (messenger_) messenger_->Drain(pending_);
  } else {
    mixers_.Drain(static_cast<MixerHandle>(source), pending_);
  }
  if (watcher_) watcher_->Rearm(static_cast<uint32_t>(source));
}

bool ExternalSources::Take(Event& event) {
  if (pending_.empty()) return false;
  event = std::move(pending_.front());
  pending_.pop_front();
  return true;
}

}  // namespace tazu
