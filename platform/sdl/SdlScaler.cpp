#include "platform/sdl/SdlScaler.h"

#include <SDL.h>

#include <memory>

namespace tazu {
namespace {

struct SurfaceDeleter {
  void operator()(SDL_Surface* s) const { SDL_FreeSurface(s); }
};
using Surface = std::unique_ptr<SDL_Surface, SurfaceDeleter>;

constexpr uint32_t kBlack = 0;

SDL_Rect ToSdl(const Rect& r) { return {r.left, r.top, r.Width(), r.Height()}; }

// The buffer's words read as `format`: ours are 0xAARRGGBB, which a surface of
// 0x00RRGGBB words reads alike (the alpha byte is padding there).
bool ReadsOurPixels(uint32_t format) {
  return format == SDL_PIXELFORMAT_ARGB8888 || format == SDL_PIXELFORMAT_RGB888;
}

Surface Wrap(const Bitmap32& image, uint32_t format) {
  Surface s(SDL_CreateRGBSurfaceWithFormatFrom(const_cast<uint32_t*>(image.Data()), image.Width(),
                                               image.Height(), 32, image.Stride(), format));
  if (s) SDL_SetSurfaceBlendMode(s.get(), SDL_BLENDMODE_NONE);
  return s;
}

bool Inside(const Rect& r, const SDL_Surface* s) {
  return r.left >= 0 && r.top >= 0 && r.right <= s->w && r.bottom <= s->h;
}

int Stretch(SDL_Surface* src, const Rect& from, SDL_Surface* dst, const Rect& to, bool smooth) {
  SDL_Rect sr = ToSdl(from);
  SDL_Rect dr = ToSdl(to);
  return smooth ? SDL_SoftStretchLinear(src, &sr, dst, &dr) : SDL_SoftStretch(src, &sr, dst, &dr);
}

void FillBars(SDL_Surface* target, const Rect& picture) {
  const uint32_t black = SDL_MapRGB(target->format, kBlack, kBlack, kBlack);
  const Rect bars[] = {{0, 0, target->w, picture.top},
                       {0, picture.bottom, target->w, target->h},
                       {0, picture.top, picture.left, picture.bottom},
                       {picture.right, picture.top, target->w, picture.bottom}};
  for (const Rect& bar : bars) {
    if (bar.IsEmpty()) continue;
    SDL_Rect r = ToSdl(bar);
    SDL_FillRect(target, &r, black);
  }
}

}  // namespace

std::optional<Rect> DrawScaled(SDL_Surface* target, const Bitmap32& image, const Rect& area,
                               const ScaledView& view) {
  const Rect bounds = image.Bounds();
  const Rect r = area.Intersect(bounds);
  if (r.IsEmpty() || target == nullptr) return std::nullopt;
  const bool whole = r == bounds;
  const Rect aligned = whole ? bounds : view.Aligned(r);
  const Rect source = view.WithFilterMargin(aligned);
  const Rect dest = view.ToSurface(aligned);
  const Rect sourceDest = view.ToSurface(source);
  if (!Inside(sourceDest, target)) {
    // A surface smaller than the picture (a window the system shrank): clipped, plainly.
    Surface src = Wrap(image, SDL_PIXELFORMAT_ARGB8888);
    SDL_Rect sr = ToSdl(bounds);
    SDL_Rect dr = ToSdl(view.Target());
    if (!src || SDL_BlitScaled(src.get(), &sr, target, &dr) != 0) return std::nullopt;
    return Rect{0, 0, target->w, target->h};
  }
  const uint32_t targetFormat = target->format->format;
  const uint32_t format =
      ReadsOurPixels(targetFormat) ? targetFormat : uint32_t{SDL_PIXELFORMAT_ARGB8888};
  Surface src = Wrap(image, format);
  if (!src) return std::nullopt;
  if (source == aligned && format == targetFormat) {
    if (Stretch(src.get(), source, target, dest, view.Smooth()) != 0) return std::nullopt;
  } else {
    // Drawn with its margin on the side, then only the inside is copied: the margin's
    // own edge pixels would differ from the whole-buffer pass.
    Surface scratch(
        SDL_CreateRGBSurfaceWithFormat(0, sourceDest.Width(), sourceDest.Height(), 32, format));
    if (!scratch) return std::nullopt;
    SDL_SetSurfaceBlendMode(scratch.get(), SDL_BLENDMODE_NONE);
    if (Stretch(src.get(), source, scratch.get(), {0, 0, sourceDest.Width(), sourceDest.Height()},
                view.Smooth()) != 0)
      return std::nullopt;
    SDL_Rect inside = ToSdl(dest.Offset(-sourceDest.left, -sourceDest.top));
    SDL_Rect to = ToSdl(dest);
    if (SDL_BlitSurface(scratch.get(), &inside, target, &to) != 0) return std::nullopt;
  }
  if (!whole) return dest;
  FillBars(target, view.Target());
  return Rect{0, 0, target->w, target->h};
}

Bitmap32 ResizeBitmap(const Bitmap32& image, int width, int height) {
  Bitmap32 out(width, height, 0);
  if (image.Empty() || out.Empty()) return out;
  Surface src = Wrap(image, SDL_PIXELFORMAT_ARGB8888);
  Surface dst = Wrap(out, SDL_PIXELFORMAT_ARGB8888);
  if (!src || !dst) return out;
  const bool whole = width % image.Width() == 0 && height % image.Height() == 0;
  Stretch(src.get(), image.Bounds(), dst.get(), out.Bounds(), !whole);
  return out;
}

}  // namespace tazu
