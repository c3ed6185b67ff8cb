// A decoded picture with its format, loaded from a file, a stream or memory.
#pragma once

#include <cstdint>
#include <functional>
#include <span>
#include <string>

#include "base/Streams.h"
#include "framework/ImageCodecs.h"
#include "platform/Pixels.h"

namespace tazu {

class TPicture {
 public:
  // Each raises (EFOpenError, EReadError, EInvalidGraphic) and leaves the picture as it
  // was when the data cannot be loaded.
  void LoadFromFile(const std::string& fileName);
  void LoadFromStream(TStream& stream);  // from the current position to the end
  void LoadFromMemory(std::span<const uint8_t> data);

  void Assign(const TPicture& other);
  // Exchanges the contents of two pictures without change notices.
  void Swap(TPicture& other);
  void SetBitmap(Bitmap32 bitmap, bool hasAlpha = false);
  void Clear();

  bool Empty() const { return bitmap_.Empty(); }
  int Width() const { return bitmap_.Width(); }
  int Height() const { return bitmap_.Height(); }
  ImageFormat Format() const { return format_; }
  // True when some pixel is not fully opaque (a PNG with transparency).
  bool HasAlpha() const { return hasAlpha_; }
  const Bitmap32& Bitmap() const { return bitmap_; }

  // Fires after every change of content.
  std::function<void()> OnChange;

 private:
  void Changed();

  Bitmap32 bitmap_;
  ImageFormat format_ = ImageFormat::Unknown;
  bool hasAlpha_ = false;
};

}  // namespace tazu
