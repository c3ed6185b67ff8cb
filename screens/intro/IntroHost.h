// What the intro screen asks of the screen that shows it: the prompts, the mouse
// buttons, and getting out of the way while the volume control runs.
#pragma once

#include <string>

namespace tazu {

class IntroHost {
 public:
  // Plays one prompt when its file exists, cutting off a prompt still playing.
  virtual void PlayCue(const std::string& path) = 0;
  virtual void StopCue() = 0;
  virtual void SetMouseButtonsSwapped(bool swapped) = 0;
  // While the volume control runs the host is minimised; only one runs at a time.
  virtual bool VolumeControlOpen() const = 0;
  virtual void SetVolumeControlOpen(bool open) = 0;

 protected:
  ~IntroHost() = default;
};

}  // namespace tazu
