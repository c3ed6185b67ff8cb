// Geometry and the 32-bit pixel buffer that forms paint into and the platform shows.
#pragma once

#include <algorithm>
#include <cstdint>
#include <vector>

namespace tazu {

struct Point {
  int x = 0;
  int y = 0;
  friend bool operator==(const Point&, const Point&) = default;
};

// Half-open rectangle: left <= x < right, top <= y < bottom.
struct Rect {
  int left = 0;
  int top = 0;
  int right = 0;
  int bottom = 0;

  static Rect FromSize(int left, int top, int width, int height) {
    return {left, top, left + width, top + height};
  }
  int Width() const { return right - left; }
  int Height() const { return bottom - top; }
  bool IsEmpty() const { return right <= left || bottom <= top; }
  bool Contains(Point p) const { return p.x >= left && p.x < right && p.y >= top && p.y < bottom; }
  Rect Offset(int dx, int dy) const { return {left + dx, top + dy, right + dx, bottom + dy}; }
  Rect Intersect(const Rect& o) const {
    Rect r{std::max(left, o.left), std::max(top, o.top), std::min(right, o.right),
           std::min(bottom, o.bottom)};
    return r.IsEmpty() ? Rect{} : r;
  }
  // The smallest rectangle holding both; an empty rectangle adds nothing.
  Rect Union(const Rect& o) const {
    if (IsEmpty()) return o;
    if (o.IsEmpty()) return *this;
    return {std::min(left, o.left), std::min(top, o.top), std::max(right, o.right),
            std::max(bottom, o.bottom)};
  }
  friend bool operator==(const Rect&, const Rect&) = default;
};

// Pixels are 0xAARRGGBB words, so in memory a row reads B, G, R, A like a 32-bit
// device-independent bitmap. Alpha 0xFF is opaque.
class Bitmap32 {
 public:
  Bitmap32() = default;
  Bitmap32(int width, int height, uint32_t fill = 0xFF000000u) { Resize(width, height, fill); }

  void Resize(int width, int height, uint32_t fill = 0xFF000000u) {
    width_ = std::max(0, width);
    height_ = std::max(0, height);
    pixels_.assign(static_cast<size_t>(width_) * static_cast<size_t>(height_), fill);
  }
  int Width() const { return width_; }
  int Height() const { return height_; }
  bool Empty() const { return width_ == 0 || height_ == 0; }
  Rect Bounds() const { return {0, 0, width_, height_}; }

  uint32_t* Row(int y) { return pixels_.data() + static_cast<size_t>(y) * width_; }
  const uint32_t* Row(int y) const { return pixels_.data() + static_cast<size_t>(y) * width_; }
  uint32_t Pixel(int x, int y) const { return Row(y)[x]; }
  void SetPixel(int x, int y, uint32_t value) { Row(y)[x] = value; }
  uint32_t* Data() { return pixels_.data(); }
  const uint32_t* Data() const { return pixels_.data(); }
  // Bytes from one row to the next.
  int Stride() const { return width_ * 4; }

  friend bool operator==(const Bitmap32&, const Bitmap32&) = default;

 private:
  int width_ = 0;
  int height_ = 0;
  std::vector<uint32_t> pixels_;
};

constexpr uint32_t MakePixel(uint8_t r, uint8_t g, uint8_t b, uint8_t a = 0xFF) {
  return (uint32_t{a} << 24) | (uint32_t{r} << 16) | (uint32_t{g} << 8) | uint32_t{b};
}
constexpr uint8_t PixelR(uint32_t p) { return static_cast<uint8_t>(p >> 16); }
constexpr uint8_t PixelG(uint32_t p) { return static_cast<uint8_t>(p >> 8); }
constexpr uint8_t PixelB(uint32_t p) { return static_cast<uint8_t>(p); }
constexpr uint8_t PixelA(uint32_t p) { return static_cast<uint8_t>(p >> 24); }

}  // namespace tazu
