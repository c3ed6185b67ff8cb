// TPicture: a decoded picture that remembers its source format. Every load decodes
// into a fresh bitmap first and only then replaces the content, so a failed load
// leaves the picture as it was.
#include "framework/Picture.h"

#include <algorithm>
#include <utility>
#include <vector>

#include "base/Exceptions.h"

namespace tazu {

namespace {

constexpr uint8_t kOpaque = 0xFF;

bool AnyTranslucentPixel(const Bitmap32& bitmap) {
  const uint32_t* begin = bitmap.Data();
  const uint32_t* end = begin + static_cast<size_t>(bitmap.Width()) * bitmap.Height();
  return std::any_of(begin, end, [](uint32_t p) { return PixelA(p) != kOpaque; });
}

}  // namespace

void TPicture::LoadFromFile(const std::string& fileName) {
  const std::vector<uint8_t> data = ReadWholeFile(fileName);
  LoadFromMemory(data);
}

void TPicture::LoadFromStream(TStream& stream) {
  const int64_t remaining = stream.Size() - stream.Position();
  std::vector<uint8_t> data(static_cast<size_t>(std::max<int64_t>(0, remaining)));
  if (!data.empty()) stream.ReadBuffer(data.data(), static_cast<int64_t>(data.size()));
  LoadFromMemory(data);
}

void TPicture::LoadFromMemory(std::span<const uint8_t> data) {
  ImageFormat format = ImageFormat::Unknown;
  Bitmap32 decoded = DecodeImage(data, &format);
  hasAlpha_ = format == ImageFormat::Png && AnyTranslucentPixel(decoded);
  bitmap_ = std::move(decoded);
  format_ = format;
  Changed();
}

void TPicture::Assign(const TPicture& other) {
  if (&other == this) return;
  bitmap_ = other.bitmap_;
  format_ = other.format_;
  hasAlpha_ = other.hasAlpha_;
  Changed();
}

void TPicture::SetBitmap(Bitmap32 bitmap, bool hasAlpha) {
  if (!hasAlpha) {
    // The caller says the alpha channel means nothing: make it opaque so that
    // drawing never blends with leftover alpha values.
    uint32_t* p = bitmap.Data();
    const size_t count = static_cast<size_t>(bitmap.Width()) * bitmap.Height();
    for (size_t i = 0; i < count; ++i) p[i] |= uint32_t{kOpaque} << 24;
  }
  hasAlpha_ = hasAlpha && AnyTranslucentPixel(bitmap);
  bitmap_ = std::move(bitmap);
  format_ = ImageFormat::Unknown;
  Changed();
}

void TPicture::Clear() {
  bitmap_ = Bitmap32();
  format_ = ImageFormat::Unknown;
  hasAlpha_ = false;
  Changed();
}

void TPicture::Changed() {
  if (OnChange) OnChange();
}

void TPicture::Swap(TPicture& other) {
  std::swap(bitmap_, other.bitmap_);
  std::swap(format_, other.format_);
  std::swap(hasAlpha_, other.hasAlpha_);
}

}  // namespace tazu
