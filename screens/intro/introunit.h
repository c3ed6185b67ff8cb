// The intro screen: the frame animation on the console, the language choice, the
// learner's name and the mouse hand. It edits a copy of the learner's session and hands
// it back only when a mouse-hand button closes it.
#pragma once

#include <memory>
#include <string>

#include "archive/StreamArchive.h"
#include "base/Random.h"
#include "base/Streams.h"
#include "controls/MorphButton.h"
#include "controls/ShapeHint.h"
#include "controls/Starter.h"
#include "controls/ThreadedTimer.h"
#include "framework/Edit.h"
#include "framework/Form.h"
#include "framework/Image.h"
#include "screens/LearnerSession.h"

namespace tazu {

// What the intro screen asks of the screen that shows it: the prompts, the mouse
// buttons, and getting out of the way while the volume control runs.
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

class TForm2 : public TForm {
 public:
  // The longest name the field takes: the roster keeps 35 characters.
  static constexpr size_t kMaxNameLength = 35;

  TForm2(TComponent* owner, LearnerSession& session, IntroHost& host);

  // ---- set by the menu before showing ----
  bool Returning = false;

  // ---- state ----
  // The copy being edited; the session changes only when a mouse-hand button accepts
  // it, so a screen closed any other way leaves the learner as it was.
  LearnerSession Choices;
  bool Accepted() const { return accepted_; }
  bool LanguageChoiceActive = false;
  bool NamePromptPlayed = false;
  std::string LibraryName;
  int FrameCount = 0;
  int CurrentFrame = 0;
  std::unique_ptr<TMemoryStream> FrameBuffer;
  bool Animating = false;
  // Which of the console's lamps show at a tick: none, one or the other.
  RandomChoice Flicker = SeededChoice(std::random_device{}());

  // ---- controls and components ----
  TImage* backimage = nullptr;
  TImage* frameviewer = nullptr;
  TImage* cp1 = nullptr;
  TImage* cp2 = nullptr;
  TImage* afroption = nullptr;
  TImage* engoption = nullptr;
  TImage* langselect1 = nullptr;
  TImage* langselect2 = nullptr;
  TImage* nameboard = nullptr;
  TEdit* nameEdit = nullptr;
  TMorphButton* LeftBut = nullptr;
  TMorphButton* RightBut = nullptr;
  TImage* mutebut = nullptr;
  TThreadedTimer* animatetimer = nullptr;
  TStarter* volstarter = nullptr;
  TShapeHint* ShapeHint1 = nullptr;
  TStreamArchive StreamArchive1;

  // ---- handlers ----
  void FormActivate(TObject* sender);
  void animatetimerTimer(TObject* sender);
  void langselect1MouseMove(TObject* sender, unsigned shift, int x, int y);
  void langselect2MouseMove(TObject* sender, unsigned shift, int x, int y);
  void backimageMouseMove(TObject* sender, unsigned shift, int x, int y);
  void langselect1Click(TObject* sender);
  void langselect2Click(TObject* sender);
  void nameEditKeyPress(TObject* sender, char& key);
  void LeftButClick(TObject* sender);
  void RightButClick(TObject* sender);
  void FormClose(TObject* sender, TCloseAction& action);
  void mutebutClick(TObject* sender);
  void volstarterFinished(TObject* sender);

  // Frame count carried by a library name: the number after its first "_".
  static int FrameCountFromName(const std::string& libraryName);

 private:
  void BuildControls();
  void EnterLanguageStage();
  void ChooseLanguage(Lang language, const char* leftHint, const char* rightHint);
  void ChooseHand(bool leftHanded);
  bool ShowFrame(int n);
  void ReleaseLibrary();
  void EndWithMessage(const char* message);
  std::string FindVolumeControl();

  LearnerSession& session_;
  IntroHost& host_;
  bool accepted_ = false;
  bool activated_ = false;  // the start-up steps run once per showing
};

}  // namespace tazu
