// JPEG and PNG decoding and encoding. Both libraries report errors through a
// callback that must not return; the callbacks here record the message and
// longjmp back to a C-style driver function that owns only trivially
// destructible locals, so no C++ destructor is ever skipped. The driver then
// returns an error flag and the C++ caller raises EInvalidGraphic.
//
// Damage policy: a JPEG whose data stops early ("Premature end of JPEG file") or
// whose entropy-coded data is corrupt is an error, although libjpeg itself would
// only warn and pad the picture with grey. A damaged picture must be detected,
// not shown half grey. Warnings that do not mean lost picture data (stray bytes
// between markers, an unknown JFIF revision, a bad ICC marker) are ignored.
#include "framework/ImageCodecs.h"

#include <algorithm>
#include <bit>
#include <csetjmp>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <new>

#include <jerror.h>
#include <jpeglib.h>
#include <png.h>

#include "base/Exceptions.h"

namespace tazu {

namespace {

static_assert(std::endian::native == std::endian::little,
              "Bitmap32 rows are read as B, G, R, A bytes");

constexpr int kMaxImageSide = 16384;                    // pixels in either direction
constexpr int64_t kMaxImagePixels = int64_t{64} << 20;  // 64 Mpixels
constexpr int kMaxProgressiveScans = 1000;              // real files use about ten
constexpr int kBytesPerPixel = 4;
constexpr int kMinJpegQuality = 1;
constexpr int kMaxJpegQuality = 100;
constexpr size_t kMessageSize = 200;
constexpr uint8_t kJpegSignature[] = {0xFF, 0xD8, 0xFF};
constexpr uint8_t kPngSignature[] = {0x89, 'P', 'N', 'G', 0x0D, 0x0A, 0x1A, 0x0A};
constexpr int kPngBitDepth = 8;

bool StartsWith(std::span<const uint8_t> data, std::span<const uint8_t> signature) {
  return data.size() >= signature.size() &&
         std::memcmp(data.data(), signature.data(), signature.size()) == 0;
}

// The size check that runs before any pixel memory is allocated.
bool SizeAcceptable(uint64_t width, uint64_t height) {
  return width > 0 && height > 0 && width <= kMaxImageSide && height <= kMaxImageSide &&
         static_cast<int64_t>(width * height) <= kMaxImagePixels;
}

const char kTooLarge[] = "picture too large";
const char kOutOfMemory[] = "out of memory";

// Everything a driver function needs; trivially destructible on purpose.
struct CodecJob {
  std::span<const uint8_t> input;
  Bitmap32* image = nullptr;  // decoded into / encoded from
  std::vector<uint8_t>* output = nullptr;
  int quality = 0;
  char message[kMessageSize] = {};
};

void SetMessage(CodecJob& job, const char* text) {
  std::snprintf(job.message, sizeof job.message, "%s", text);
}

// Allocates the picture without letting std::bad_alloc cross a C frame.
bool AllocateImage(CodecJob& job, int width, int height) {
  try {
    job.image->Resize(width, height, MakePixel(0, 0, 0));
    return true;
  } catch (const std::bad_alloc&) {
    SetMessage(job, kOutOfMemory);
    return false;
  }
}

// ---- JPEG -----------------------------------------------------------------

struct JpegErrorManager {
  jpeg_error_mgr pub;  // first, so the library's pointer can be cast back
  std::jmp_buf jump;
  CodecJob* job;
};

[[noreturn]] void JpegFail(j_common_ptr cinfo) {
  auto* err = reinterpret_cast<JpegErrorManager*>(cinfo->err);
  char text[JMSG_LENGTH_MAX];
  err->pub.format_message(cinfo, text);
  SetMessage(*err->job, text);
  std::longjmp(err->jump, 1);
}

bool IsHarmlessJpegWarning(int code) {
  return code == JWRN_EXTRANEOUS_DATA || code == JWRN_JFIF_MAJOR || code == JWRN_BOGUS_ICC ||
         code == JWRN_ADOBE_XFORM;
}

// Level -1 is a warning; higher levels are trace output.
void JpegMessage(j_common_ptr cinfo, int level) {
  if (level < 0 && !IsHarmlessJpegWarning(cinfo->err->msg_code)) JpegFail(cinfo);
}

void JpegProgress(j_common_ptr cinfo) {
  auto* dinfo = reinterpret_cast<j_decompress_ptr>(cinfo);
  if (dinfo->input_scan_number > kMaxProgressiveScans) {
    auto* err = reinterpret_cast<JpegErrorManager*>(cinfo->err);
    SetMessage(*err->job, "too many progressive scans");
    std::longjmp(err->jump, 1);
  }
}

void InstallJpegErrors(JpegErrorManager& err, CodecJob& job) {
  jpeg_std_error(&err.pub);
  err.pub.error_exit = JpegFail;
  err.pub.emit_message = JpegMessage;
  err.job = &job;
}

// Library state lives in the caller's frame, so nothing that the library changes
// after setjmp is an automatic variable of the driver (whose value a longjmp would
// leave indeterminate).
struct JpegDecodeState {
  jpeg_decompress_struct cinfo;
  JpegErrorManager err;
  jpeg_progress_mgr progress;
};

struct JpegEncodeState {
  jpeg_compress_struct cinfo;
  JpegErrorManager err;
  unsigned char* buffer;
  unsigned long size;
};

// C-style driver: returns false with job.message set on any failure.
bool RunJpegDecode(CodecJob& job, JpegDecodeState& s) {
  std::memset(&s, 0, sizeof s);
  InstallJpegErrors(s.err, job);
  s.cinfo.err = &s.err.pub;
  if (setjmp(s.err.jump)) {
    jpeg_destroy_decompress(&s.cinfo);
    return false;
  }
  jpeg_create_decompress(&s.cinfo);
  s.progress.progress_monitor = JpegProgress;
  s.cinfo.progress = &s.progress;
  jpeg_mem_src(&s.cinfo, job.input.data(), static_cast<unsigned long>(job.input.size()));
  jpeg_read_header(&s.cinfo, TRUE);
  if (!SizeAcceptable(s.cinfo.image_width, s.cinfo.image_height)) {
    SetMessage(job, kTooLarge);
    jpeg_destroy_decompress(&s.cinfo);
    return false;
  }
  if (s.cinfo.jpeg_color_space == JCS_CMYK || s.cinfo.jpeg_color_space == JCS_YCCK) {
    SetMessage(job, "CMYK pictures are not supported");
    jpeg_destroy_decompress(&s.cinfo);
    return false;
  }
  s.cinfo.out_color_space = JCS_EXT_BGRA;  // alpha filled with 0xFF by the library
  jpeg_start_decompress(&s.cinfo);
  if (!AllocateImage(job, static_cast<int>(s.cinfo.output_width),
                     static_cast<int>(s.cinfo.output_height))) {
    jpeg_destroy_decompress(&s.cinfo);
    return false;
  }
  while (s.cinfo.output_scanline < s.cinfo.output_height) {
    JSAMPROW row =
        reinterpret_cast<JSAMPROW>(job.image->Row(static_cast<int>(s.cinfo.output_scanline)));
    jpeg_read_scanlines(&s.cinfo, &row, 1);
  }
  jpeg_finish_decompress(&s.cinfo);
  jpeg_destroy_decompress(&s.cinfo);
  return true;
}

bool RunJpegEncode(CodecJob& job, JpegEncodeState& s) {
  std::memset(&s, 0, sizeof s);
  InstallJpegErrors(s.err, job);
  s.cinfo.err = &s.err.pub;
  if (setjmp(s.err.jump)) {
    jpeg_destroy_compress(&s.cinfo);
    std::free(s.buffer);
    return false;
  }
  jpeg_create_compress(&s.cinfo);
  jpeg_mem_dest(&s.cinfo, &s.buffer, &s.size);
  s.cinfo.image_width = static_cast<JDIMENSION>(job.image->Width());
  s.cinfo.image_height = static_cast<JDIMENSION>(job.image->Height());
  s.cinfo.input_components = kBytesPerPixel;
  s.cinfo.in_color_space = JCS_EXT_BGRX;  // alpha is not stored in a JPEG
  jpeg_set_defaults(&s.cinfo);
  jpeg_set_quality(&s.cinfo, job.quality, TRUE);
  jpeg_start_compress(&s.cinfo, TRUE);
  while (s.cinfo.next_scanline < s.cinfo.image_height) {
    JSAMPROW row = reinterpret_cast<JSAMPROW>(
        const_cast<uint32_t*>(job.image->Row(static_cast<int>(s.cinfo.next_scanline))));
    jpeg_write_scanlines(&s.cinfo, &row, 1);
  }
  jpeg_finish_compress(&s.cinfo);
  bool copied = true;
  try {
    job.output->assign(s.buffer, s.buffer + s.size);
  } catch (const std::bad_alloc&) {
    SetMessage(job, kOutOfMemory);
    copied = false;
  }
  jpeg_destroy_compress(&s.cinfo);
  std::free(s.buffer);
  return copied;
}

// ---- PNG ------------------------------------------------------------------

struct PngReader {
  CodecJob* job;
  size_t offset;
};

[[noreturn]] void PngFail(png_structp png, png_const_charp text) {
  auto* job = static_cast<CodecJob*>(png_get_error_ptr(png));
  SetMessage(*job, text);
  png_longjmp(png, 1);
}

void PngWarning(png_structp, png_const_charp) {}

void PngRead(png_structp png, png_bytep out, png_size_t count) {
  auto* reader = static_cast<PngReader*>(png_get_io_ptr(png));
  const std::span<const uint8_t> input = reader->job->input;
  if (count > input.size() - reader->offset) png_error(png, "Premature end of PNG data");
  std::memcpy(out, input.data() + reader->offset, count);
  reader->offset += count;
}

void PngWrite(png_structp png, png_bytep data, png_size_t count) {
  auto* job = static_cast<CodecJob*>(png_get_io_ptr(png));
  try {
    job->output->insert(job->output->end(), data, data + count);
  } catch (const std::bad_alloc&) {
    png_error(png, kOutOfMemory);
  }
}

void PngFlush(png_structp) {}

// Every colour type becomes 8-bit B, G, R, A (straight alpha).
void SetPngTransforms(png_structp png, png_infop info) {
  const png_byte colorType = png_get_color_type(png, info);
  png_set_expand(png);  // palette to RGB, low-depth grey to 8 bits, tRNS to alpha
  png_set_scale_16(png);
  if (colorType == PNG_COLOR_TYPE_GRAY || colorType == PNG_COLOR_TYPE_GRAY_ALPHA)
    png_set_gray_to_rgb(png);
  png_set_bgr(png);
  png_set_add_alpha(png, 0xFF, PNG_FILLER_AFTER);  // no effect when alpha exists
}

bool RunPngDecode(CodecJob& job) {
  PngReader reader{&job, 0};
  png_structp png = png_create_read_struct(PNG_LIBPNG_VER_STRING, &job, PngFail, PngWarning);
  if (png == nullptr) {
    SetMessage(job, kOutOfMemory);
    return false;
  }
  png_infop info = png_create_info_struct(png);
  if (info == nullptr) {
    png_destroy_read_struct(&png, nullptr, nullptr);
    SetMessage(job, kOutOfMemory);
    return false;
  }
  if (setjmp(png_jmpbuf(png))) {
    png_destroy_read_struct(&png, &info, nullptr);
    return false;
  }
  png_set_read_fn(png, &reader, PngRead);
  png_set_user_limits(png, kMaxImageSide, kMaxImageSide);
  png_read_info(png, info);
  const png_uint_32 width = png_get_image_width(png, info);
  const png_uint_32 height = png_get_image_height(png, info);
  if (!SizeAcceptable(width, height)) png_error(png, kTooLarge);
  SetPngTransforms(png, info);
  const int passes = png_set_interlace_handling(png);
  png_read_update_info(png, info);
  if (png_get_rowbytes(png, info) != static_cast<png_size_t>(width) * kBytesPerPixel ||
      png_get_bit_depth(png, info) != kPngBitDepth)
    png_error(png, "unsupported PNG pixel layout");
  if (!AllocateImage(job, static_cast<int>(width), static_cast<int>(height)))
    png_error(png, kOutOfMemory);
  for (int pass = 0; pass < passes; ++pass) {
    for (png_uint_32 y = 0; y < height; ++y)
      png_read_row(png, reinterpret_cast<png_bytep>(job.image->Row(static_cast<int>(y))), nullptr);
  }
  png_read_end(png, nullptr);
  png_destroy_read_struct(&png, &info, nullptr);
  return true;
}

bool RunPngEncode(CodecJob& job) {
  png_structp png = png_create_write_struct(PNG_LIBPNG_VER_STRING, &job, PngFail, PngWarning);
  if (png == nullptr) {
    SetMessage(job, kOutOfMemory);
    return false;
  }
  png_infop info = png_create_info_struct(png);
  if (info == nullptr) {
    png_destroy_write_struct(&png, nullptr);
    SetMessage(job, kOutOfMemory);
    return false;
  }
  if (setjmp(png_jmpbuf(png))) {
    png_destroy_write_struct(&png, &info);
    return false;
  }
  png_set_write_fn(png, &job, PngWrite, PngFlush);
  const int width = job.image->Width();
  const int height = job.image->Height();
  png_set_IHDR(png, info, static_cast<png_uint_32>(width), static_cast<png_uint_32>(height),
               kPngBitDepth, PNG_COLOR_TYPE_RGB_ALPHA, PNG_INTERLACE_NONE,
               PNG_COMPRESSION_TYPE_DEFAULT, PNG_FILTER_TYPE_DEFAULT);
  png_write_info(png, info);
  png_set_bgr(png);
  for (int y = 0; y < height; ++y)
    png_write_row(png, reinterpret_cast<png_const_bytep>(job.image->Row(y)));
  png_write_end(png, nullptr);
  png_destroy_write_struct(&png, &info);
  return true;
}

[[noreturn]] void Fail(const char* codec, const CodecJob& job) {
  throw EInvalidGraphic(std::string(codec) + " error: " + job.message);
}

void RequireEncodable(const Bitmap32& image, const char* codec) {
  if (!SizeAcceptable(static_cast<uint64_t>(image.Width()), static_cast<uint64_t>(image.Height())))
    throw EInvalidGraphic(std::string(codec) + " error: picture size not encodable");
}

}  // namespace

ImageFormat DetectImageFormat(std::span<const uint8_t> data) {
  if (StartsWith(data, kJpegSignature)) return ImageFormat::Jpeg;
  if (StartsWith(data, kPngSignature)) return ImageFormat::Png;
  return ImageFormat::Unknown;
}

Bitmap32 DecodeJpeg(std::span<const uint8_t> data) {
  Bitmap32 image;
  CodecJob job;
  job.input = data;
  job.image = &image;
  JpegDecodeState state;
  if (!RunJpegDecode(job, state)) Fail("JPEG", job);
  return image;
}

Bitmap32 DecodePng(std::span<const uint8_t> data) {
  Bitmap32 image;
  CodecJob job;
  job.input = data;
  job.image = &image;
  if (!RunPngDecode(job)) Fail("PNG", job);
  return image;
}

Bitmap32 DecodeImage(std::span<const uint8_t> data, ImageFormat* format) {
  const ImageFormat detected = DetectImageFormat(data);
  if (format != nullptr) *format = detected;
  switch (detected) {
    case ImageFormat::Jpeg:
      return DecodeJpeg(data);
    case ImageFormat::Png:
      return DecodePng(data);
    case ImageFormat::Unknown:
      break;
  }
  throw EInvalidGraphic("Not a JPEG or PNG picture");
}

std::vector<uint8_t> EncodeJpeg(const Bitmap32& image, int quality) {
  RequireEncodable(image, "JPEG");
  std::vector<uint8_t> out;
  CodecJob job;
  job.image = const_cast<Bitmap32*>(&image);
  job.output = &out;
  job.quality = std::clamp(quality, kMinJpegQuality, kMaxJpegQuality);
  JpegEncodeState state;
  if (!RunJpegEncode(job, state)) Fail("JPEG", job);
  return out;
}

std::vector<uint8_t> EncodePng(const Bitmap32& image) {
  RequireEncodable(image, "PNG");
  std::vector<uint8_t> out;
  CodecJob job;
  job.image = const_cast<Bitmap32*>(&image);
  job.output = &out;
  if (!RunPngEncode(job)) Fail("PNG", job);
  return out;
}

}  // namespace tazu
