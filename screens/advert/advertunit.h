// The advert screen: the last screen of a run. One tall advert page in a scrollable
// viewer over a background picture, both in the chosen language, and an exit button.
// It closes itself 200 ms after showing when its pictures are missing.
#pragma once

#include <string>

#include "controls/PictureButton.h"
#include "framework/Form.h"
#include "framework/Image.h"
#include "framework/ImageViewer.h"
#include "framework/Timer.h"
#include "screens/LearnerSession.h"

namespace tazu {

class Tadvertform : public TForm {
 public:
  explicit Tadvertform(TComponent* owner);
  // Made by the menu: takes the session's install folder and language.
  Tadvertform(TComponent* owner, const LearnerSession& session);

  // Where the pictures lie (ends in a back-slash) and the language they are in.
  std::string InstallFolder;
  Lang Language = Lang::Afrikaans;

  // ---- controls and components, in stacking order ----
  TImage* bground = nullptr;
  TImage* Image1 = nullptr;
  TPictureButton* exitbut = nullptr;
  TImageViewer* adviewer = nullptr;
  TTimer* closetimer = nullptr;

  // Loads the background and the page for the language; arms closetimer when either
  // is missing. A picture that exists but cannot be read raises to the caller.
  void PrepareAdverts();
  void exitbutClick(TObject* sender);
  void closetimerTimer(TObject* sender);

 private:
  void BuildControls();
};

}  // namespace tazu
