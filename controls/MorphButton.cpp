#include "controls/MorphButton.h"

#include <algorithm>

#if defined(__x86_64__) || defined(__i386__)
#include <immintrin.h>
#endif

#include "controls/HandCursor.h"
#include "framework/Application.h"
#include "framework/Canvas.h"
#include "framework/Form.h"

namespace tazu {
namespace {

constexpr int kDefaultWidth = 120;
constexpr int kDefaultHeight = 50;
constexpr int kMinRate = 1;
constexpr int kMaxRate = 255;
constexpr int kFullWeight = 32;

// The faces a new button shows before a layout gives it pictures.
Bitmap32 DefaultFace(bool hover) {
  Bitmap32 face(kDefaultWidth, kDefaultHeight);
  TCanvas canvas(face);
  canvas.Brush.color = hover ? RGBColor(255, 236, 140) : RGBColor(200, 200, 200);
  canvas.Pen.color = RGBColor(60, 60, 60);
  canvas.Rectangle(face.Bounds());
  return face;
}

void PutPixel(uint8_t* row, int x, uint32_t p) {
  row[3 * x] = PixelB(p);
  row[3 * x + 1] = PixelG(p);
  row[3 * x + 2] = PixelR(p);
}

}  // namespace

// ---- frames ----

void TMorphFrame::SetSize(int w, int h) {
  width = std::max(0, w);
  height = std::max(0, h);
  stride = (width * 3 + 3) & ~3;
  bytes.assign(static_cast<size_t>(stride) * static_cast<size_t>(height), 0);
}

void TMorphFrame::Fill(TColor color) {
  const uint32_t p = ColorToPixel(color);
  for (int y = 0; y < height; ++y) {
    uint8_t* row = bytes.data() + static_cast<size_t>(y) * stride;
    for (int x = 0; x < width; ++x) PutPixel(row, x, p);
  }
}

void TMorphFrame::StretchFrom(const Bitmap32& picture) {
  if (picture.Empty()) return;
  for (int y = 0; y < height; ++y) {
    const uint32_t* src = picture.Row(static_cast<int>(int64_t{y} * picture.Height() / height));
    uint8_t* row = bytes.data() + static_cast<size_t>(y) * stride;
    for (int x = 0; x < width; ++x) PutPixel(row, x, src[int64_t{x} * picture.Width() / width]);
  }
}

Bitmap32 TMorphFrame::ToBitmap32() const {
  Bitmap32 out(width, height);
  for (int y = 0; y < height; ++y) {
    const uint8_t* row = bytes.data() + static_cast<size_t>(y) * stride;
    uint32_t* dst = out.Row(y);
    for (int x = 0; x < width; ++x) dst[x] = MakePixel(row[3 * x + 2], row[3 * x + 1], row[3 * x]);
  }
  return out;
}

namespace {

// Bytes the portable loop finishes: floor((s * (32 - w) + t * w) / 32) each.
void BlendBytes(uint8_t* display, const uint8_t* source, const uint8_t* target, size_t from,
                size_t bytes, int w) {
  const int ws = kFullWeight - w;
  for (size_t i = from; i < bytes; ++i) {
    display[i] = static_cast<uint8_t>((source[i] * ws + target[i] * w) >> 5);
  }
}

#if defined(__x86_64__) || defined(__i386__)
// Source and target bytes interleaved against interleaved weights: one multiply-add
// gives s * (32 - w) + t * w per 16-bit lane (at most 8160, far from saturation).
__attribute__((target("avx2"))) void BlendAvx2(uint8_t* display, const uint8_t* source,
                                               const uint8_t* target, size_t bytes, int w) {
  const __m256i weights = _mm256_set1_epi16(static_cast<short>((w << 8) | (kFullWeight - w)));
  size_t i = 0;
  for (; i + 32 <= bytes; i += 32) {
    const __m256i s = _mm256_loadu_si256(reinterpret_cast<const __m256i*>(source + i));
    const __m256i t = _mm256_loadu_si256(reinterpret_cast<const __m256i*>(target + i));
    const __m256i lo =
        _mm256_srli_epi16(_mm256_maddubs_epi16(_mm256_unpacklo_epi8(s, t), weights), 5);
    const __m256i hi =
        _mm256_srli_epi16(_mm256_maddubs_epi16(_mm256_unpackhi_epi8(s, t), weights), 5);
    // Unpacking and packing both work within 128-bit halves, so the order comes out right.
    _mm256_storeu_si256(reinterpret_cast<__m256i*>(display + i), _mm256_packus_epi16(lo, hi));
  }
  BlendBytes(display, source, target, i, bytes, w);
}

__attribute__((target("ssse3"))) void BlendSsse3(uint8_t* display, const uint8_t* source,
                                                 const uint8_t* target, size_t bytes, int w) {
  const __m128i weights = _mm_set1_epi16(static_cast<short>((w << 8) | (kFullWeight - w)));
  size_t i = 0;
  for (; i + 16 <= bytes; i += 16) {
    const __m128i s = _mm_loadu_si128(reinterpret_cast<const __m128i*>(source + i));
    const __m128i t = _mm_loadu_si128(reinterpret_cast<const __m128i*>(target + i));
    const __m128i lo = _mm_srli_epi16(_mm_maddubs_epi16(_mm_unpacklo_epi8(s, t), weights), 5);
    const __m128i hi = _mm_srli_epi16(_mm_maddubs_epi16(_mm_unpackhi_epi8(s, t), weights), 5);
    _mm_storeu_si128(reinterpret_cast<__m128i*>(display + i), _mm_packus_epi16(lo, hi));
  }
  BlendBytes(display, source, target, i, bytes, w);
}
#endif

void BlendPortable(uint8_t* display, const uint8_t* source, const uint8_t* target, size_t bytes,
                   int w) {
  BlendBytes(display, source, target, 0, bytes, w);
}

}  // namespace

std::vector<std::pair<const char*, MorphBlendFunction>> MorphBlendVariants() {
  std::vector<std::pair<const char*, MorphBlendFunction>> variants;
#if defined(__x86_64__) || defined(__i386__)
  if (__builtin_cpu_supports("avx2")) variants.emplace_back("avx2", BlendAvx2);
  if (__builtin_cpu_supports("ssse3")) variants.emplace_back("ssse3", BlendSsse3);
#endif
  variants.emplace_back("portable", BlendPortable);
  return variants;
}

void MorphBlend(uint8_t* display, const uint8_t* source, const uint8_t* target, size_t bytes,
                int w) {
  if (w <= 0) return;
  static const MorphBlendFunction blend = MorphBlendVariants().front().second;
  blend(display, source, target, bytes, w);
}

// ---- the button ----

TMorphButton::TMorphButton(TComponent* owner, TForm* parent) : TControl(owner, parent) {
  if (Application() != nullptr) RegisterHandCursor(*Application());
  Cursor = crHandCursor;
  pic1_.SetBitmap(DefaultFace(false));
  pic2_.SetBitmap(DefaultFace(true));
  pic1_.OnChange = [this] { PictureChanged(); };
  pic2_.OnChange = [this] { PictureChanged(); };
  constructed_ = true;
  SetBounds(0, 0, kDefaultWidth, kDefaultHeight);
  RebuildFrames();
}

void TMorphButton::SetMorphColor1(TColor color) {
  if (color == color1_) return;
  color1_ = color;
  RebuildFrames();
  Invalidate();
}

void TMorphButton::SetMorphRate(int rate) { morphRate_ = std::clamp(rate, kMinRate, kMaxRate); }

void TMorphButton::PictureChanged() {
  if (swapped_) return;
  RebuildFrames();
  Invalidate();
}

void TMorphButton::BoundsChanged() {
  if (!constructed_) return;
  RebuildFrames();
  Invalidate();
}

void TMorphButton::RenderFrame(TMorphFrame& frame, const TPicture& picture, TColor color) {
  frame.SetSize(Width(), Height());
  if (picture.Empty()) {
    frame.Fill(color);
  } else {
    frame.StretchFrom(picture.Bitmap());
  }
}

void TMorphButton::RebuildFrames() {
  if (swapped_) {
    std::swap(color1_, color2_);
    pic1_.Swap(pic2_);
    swapped_ = false;
  }
  RenderFrame(display_, pic1_, color1_);
  RenderFrame(target_, pic2_, color2_);
  source_.SetSize(display_.width, display_.height);
  Invalidate();
  if (OnFramesRebuilt) OnFramesRebuilt(this);
}

void TMorphButton::RunMorph() {
  source_.bytes = display_.bytes;
  for (int i = 0; i <= morphRate_; ++i) {
    const int w = i * kFullWeight / morphRate_;
    // A nested morph may have rebuilt the frames; blend over what all three share.
    const size_t n = std::min({display_.bytes.size(), source_.bytes.size(), target_.bytes.size()});
    MorphBlend(display_.bytes.data(), source_.bytes.data(), target_.bytes.data(), n, w);
    if (OnMorphStep) OnMorphStep(w);
    Repaint();
    if (processMsgs_ && Application() != nullptr) Application()->ProcessMessages();
  }
}

void TMorphButton::EnterMorph() {
  RebuildFrames();
  if (OnMorphStarted) OnMorphStarted(this);
  RunMorph();
  if (OnMorphFinished) OnMorphFinished(this);
}

void TMorphButton::LeaveMorph() {
  std::swap(color1_, color2_);
  pic1_.Swap(pic2_);
  RebuildFrames();
  swapped_ = true;
  RunMorph();
  RebuildFrames();
}

void TMorphButton::MouseEnter() {
  TControl::MouseEnter();
  if (OnMouseEntered) OnMouseEntered(this);
  EnterMorph();
}

void TMorphButton::MouseLeave() {
  TControl::MouseLeave();
  if (OnMouseLeft) OnMouseLeft(this);
  LeaveMorph();
}

void TMorphButton::Paint(TCanvas& canvas) {
  shown_ = display_.ToBitmap32();
  canvas.Draw(0, 0, shown_);
  canvas.Brush.style = TBrushStyle::Clear;
}

}  // namespace tazu
