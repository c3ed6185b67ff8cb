#include "framework/MediaPlayer.h"

#include "framework/Application.h"

namespace tazu {

TMediaPlayer::TMediaPlayer(TComponent* owner) : TComponent(owner) {
  if (Application() != nullptr) Application()->MediaPlayerCreated(this);
}

TMediaPlayer::~TMediaPlayer() {
  if (open_) OS().MusicClose();
  if (Application() != nullptr) Application()->MediaPlayerDestroyed(this);
}

Platform& TMediaPlayer::OS() { return Application()->GetPlatform(); }

void TMediaPlayer::Open() {
  if (open_) Close();
  if (const std::optional<std::string> error = OS().MusicOpen(FileName)) {
    throw EMCIDeviceError(*error);
  }
  open_ = true;
}

void TMediaPlayer::Close() {
  if (!open_) return;
  OS().MusicClose();
  open_ = false;
}

void TMediaPlayer::Play() {
  if (open_) OS().MusicPlay();
}

void TMediaPlayer::Stop() {
  if (open_) OS().MusicStop();
}

void TMediaPlayer::Rewind() {
  if (open_) OS().MusicRewind();
}

MusicMode TMediaPlayer::Mode() { return open_ ? OS().MusicGetMode() : MusicMode::NotReady; }

uint32_t TMediaPlayer::Position() { return open_ ? OS().MusicPosition() : 0; }

uint32_t TMediaPlayer::Length() { return open_ ? OS().MusicLength() : 0; }

void TMediaPlayer::Notify() {
  if (OnNotify) OnNotify(this);
}

}  // namespace tazu
