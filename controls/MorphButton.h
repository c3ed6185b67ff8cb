// A windowless button that cross-fades from its rest picture to its hover picture
// when the pointer enters, and back when it leaves. The fade runs to its end inside
// the enter or leave handling, repainting the button at once after every step.
#pragma once

#include <cstdint>
#include <utility>
#include <vector>

#include "framework/Control.h"
#include "framework/Picture.h"

namespace tazu {

// A 24-bit device-independent frame: rows of B, G, R bytes, each padded to 4 bytes.
struct TMorphFrame {
  int width = 0;
  int height = 0;
  int stride = 0;
  std::vector<uint8_t> bytes;

  void SetSize(int w, int h);
  void Fill(TColor color);
  // Nearest-neighbour stretch of `picture` over the whole frame.
  void StretchFrom(const Bitmap32& picture);
  Bitmap32 ToBitmap32() const;
};

// One blend step over `bytes` bytes: each byte becomes
// floor((source * (32 - w) + target * w) / 32). Nothing is written when w is 0.
void MorphBlend(uint8_t* display, const uint8_t* source, const uint8_t* target, size_t bytes,
                int w);

// Every implementation of the blend step this processor can run, by name, so each can
// be checked against the byte formula (MorphBlend picks the fastest).
using MorphBlendFunction = void (*)(uint8_t*, const uint8_t*, const uint8_t*, size_t, int);
std::vector<std::pair<const char*, MorphBlendFunction>> MorphBlendVariants();

class TMorphButton : public TControl {
 public:
  static constexpr int kDefaultMorphRate = 250;

  TMorphButton(TComponent* owner, TForm* parent);

  // Rest and hover pictures; loading into them rebuilds the frames.
  TPicture& MorphPic1() { return pic1_; }
  TPicture& MorphPic2() { return pic2_; }
  TColor MorphColor1() const { return color1_; }
  void SetMorphColor1(TColor color);
  TColor MorphColor2() const { return color2_; }
  int MorphRate() const { return morphRate_; }
  // Kept within 1 to 255.
  void SetMorphRate(int rate);
  bool ProcessMsgs() const { return processMsgs_; }
  void SetProcessMsgs(bool value) { processMsgs_ = value; }

  // Notification hooks (the screens bind none).
  TNotifyEvent OnMouseEntered;
  TNotifyEvent OnMouseLeft;
  TNotifyEvent OnMorphStarted;
  TNotifyEvent OnMorphFinished;
  TNotifyEvent OnFramesRebuilt;
  // Called after every blend step with the weight used (for tests and measurements).
  std::function<void(int weight)> OnMorphStep;

  const TMorphFrame& DisplayFrame() const { return display_; }
  const TMorphFrame& TargetFrame() const { return target_; }

  void Paint(TCanvas& canvas) override;
  bool Opaque() const override { return true; }
  void MouseEnter() override;
  void MouseLeave() override;
  // No standard mouse events: only OnClick fires.
  void MouseDown(MouseButton, unsigned, int, int) override {}
  void MouseUp(MouseButton, unsigned, int, int) override {}
  void MouseMove(unsigned, int, int) override {}

 protected:
  void BoundsChanged() override;

 private:
  void RebuildFrames();
  void RenderFrame(TMorphFrame& frame, const TPicture& picture, TColor color);
  void RunMorph();
  void EnterMorph();
  void LeaveMorph();
  void PictureChanged();

  TMorphFrame display_;
  TMorphFrame target_;
  TMorphFrame source_;
  TPicture pic1_;
  TPicture pic2_;
  TColor color1_ = clBlack;
  TColor color2_ = clWhite;
  int morphRate_ = kDefaultMorphRate;
  bool processMsgs_ = true;
  bool swapped_ = false;
  bool constructed_ = false;
  Bitmap32 shown_;  // DisplayFrame as 32-bit pixels, made when painting
};

}  // namespace tazu
