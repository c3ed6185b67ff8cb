// The menu screen, the application's main form.
#pragma once

#include <string>

#include "framework/Form.h"
#include "framework/Image.h"

namespace tazu {

class TForm1 : public TForm {
 public:
  explicit TForm1(TComponent* owner);

  // Folders, each ending in a back-slash (file names are formed by appending).
  std::string InstallFolder;
  std::string MenuFolder;
  std::string MusicFolder;
  std::string SoundFolder;
  std::string Language = "A";

  TImage* frame = nullptr;

 private:
  void FormCreate(TObject* sender);
};

}  // namespace tazu
