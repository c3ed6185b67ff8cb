// JPEG (libjpeg-turbo) and PNG (libpng) decoding into Bitmap32, and encoding for the
// tools that make pictures. A damaged or unsupported picture raises EInvalidGraphic;
// no library error handler is allowed to end the process.
#pragma once

#include <cstdint>
#include <span>
#include <string>
#include <vector>

#include "platform/Pixels.h"

namespace tazu {

enum class ImageFormat { Unknown, Jpeg, Png };

ImageFormat DetectImageFormat(std::span<const uint8_t> data);

Bitmap32 DecodeJpeg(std::span<const uint8_t> data);
// PNG alpha is kept (straight, not premultiplied); every format is expanded to 8-bit RGBA.
Bitmap32 DecodePng(std::span<const uint8_t> data);
// By signature; raises EInvalidGraphic for an unknown format.
Bitmap32 DecodeImage(std::span<const uint8_t> data, ImageFormat* format = nullptr);

std::vector<uint8_t> EncodeJpeg(const Bitmap32& image, int quality = 90);
std::vector<uint8_t> EncodePng(const Bitmap32& image);  // keeps alpha

}  // namespace tazu
