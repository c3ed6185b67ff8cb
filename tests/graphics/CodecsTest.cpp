#include "framework/ImageCodecs.h"

#include <gtest/gtest.h>
#include <jpeglib.h>

#include <cstdlib>
#include <random>

#include "base/Exceptions.h"
#include "tests/graphics/TestImages.h"

namespace tazu {
namespace {

using test::MakeDetailedImage;
using test::PngBuilder;

// A JPEG written by libjpeg directly, for the kinds our encoder does not make.
enum class JpegKind { Gray, Progressive, Cmyk };

std::vector<uint8_t> LibJpegEncode(JpegKind kind, int width, int height) {
  jpeg_compress_struct cinfo;
  jpeg_error_mgr err;
  cinfo.err = jpeg_std_error(&err);
  jpeg_create_compress(&cinfo);
  unsigned char* buffer = nullptr;
  unsigned long size = 0;
  jpeg_mem_dest(&cinfo, &buffer, &size);
  cinfo.image_width = static_cast<JDIMENSION>(width);
  cinfo.image_height = static_cast<JDIMENSION>(height);
  cinfo.input_components = kind == JpegKind::Gray ? 1 : kind == JpegKind::Cmyk ? 4 : 3;
  cinfo.in_color_space = kind == JpegKind::Gray   ? JCS_GRAYSCALE
                         : kind == JpegKind::Cmyk ? JCS_CMYK
                                                  : JCS_RGB;
  jpeg_set_defaults(&cinfo);
  jpeg_set_quality(&cinfo, 95, TRUE);
  if (kind == JpegKind::Progressive) jpeg_simple_progression(&cinfo);
  jpeg_start_compress(&cinfo, TRUE);
  std::vector<uint8_t> row(static_cast<size_t>(width) * cinfo.input_components);
  while (cinfo.next_scanline < cinfo.image_height) {
    for (size_t i = 0; i < row.size(); ++i)
      row[i] = static_cast<uint8_t>((i * 7 + cinfo.next_scanline * 3) & 0xFF);
    JSAMPROW p = row.data();
    jpeg_write_scanlines(&cinfo, &p, 1);
  }
  jpeg_finish_compress(&cinfo);
  jpeg_destroy_compress(&cinfo);
  std::vector<uint8_t> out(buffer, buffer + size);
  std::free(buffer);
  return out;
}

// Mean and largest difference of the colour channels of two pictures of equal size.
struct Difference {
  double mean = 0;
  int worst = 0;
};

Difference ChannelDifference(const Bitmap32& a, const Bitmap32& b) {
  Difference d;
  long total = 0;
  for (int y = 0; y < a.Height(); ++y)
    for (int x = 0; x < a.Width(); ++x) {
      const uint32_t p = a.Pixel(x, y), q = b.Pixel(x, y);
      for (const int diff : {std::abs(PixelR(p) - PixelR(q)), std::abs(PixelG(p) - PixelG(q)),
                             std::abs(PixelB(p) - PixelB(q))}) {
        total += diff;
        d.worst = std::max(d.worst, diff);
      }
    }
  d.mean = static_cast<double>(total) / (3.0 * a.Width() * a.Height());
  return d;
}

// Decoding must raise EInvalidGraphic (never end the process); returns the message.
std::string DecodeError(std::span<const uint8_t> data) {
  try {
    DecodeImage(data);
  } catch (const EInvalidGraphic& e) {
    return e.what();
  }
  ADD_FAILURE() << "no EInvalidGraphic";
  return {};
}

// Offset of the first SOFn marker's height field in a JPEG.
size_t SofSizeOffset(const std::vector<uint8_t>& jpeg) {
  for (size_t i = 2; i + 9 < jpeg.size(); ++i)
    if (jpeg[i] == 0xFF && (jpeg[i + 1] == 0xC0 || jpeg[i + 1] == 0xC2)) return i + 5;
  ADD_FAILURE() << "no SOF marker";
  return 0;
}

TEST(ImageFormat, DetectedBySignature) {
  const std::vector<uint8_t> jpeg = EncodeJpeg(MakeDetailedImage(8, 8));
  const std::vector<uint8_t> png = EncodePng(MakeDetailedImage(8, 8));
  EXPECT_EQ(DetectImageFormat(jpeg), ImageFormat::Jpeg);
  EXPECT_EQ(DetectImageFormat(png), ImageFormat::Png);
  EXPECT_EQ(DetectImageFormat(std::vector<uint8_t>{'B', 'M', 0, 0}), ImageFormat::Unknown);
  EXPECT_EQ(DetectImageFormat({}), ImageFormat::Unknown);
  EXPECT_EQ(DetectImageFormat(std::vector<uint8_t>{0xFF, 0xD8}), ImageFormat::Unknown);
  ImageFormat format = ImageFormat::Unknown;
  DecodeImage(png, &format);
  EXPECT_EQ(format, ImageFormat::Png);
}

TEST(PngCodec, RoundTripIsExactIncludingAlpha) {
  Bitmap32 image = MakeDetailedImage(37, 23);
  image.SetPixel(0, 0, MakePixel(10, 20, 30, 0));
  image.SetPixel(5, 7, MakePixel(200, 100, 50, 128));
  image.SetPixel(36, 22, MakePixel(1, 2, 3, 254));
  const Bitmap32 decoded = DecodePng(EncodePng(image));
  EXPECT_EQ(decoded, image);
}

TEST(PngCodec, ExpandsEveryColourTypeToRgba) {
  // 8-bit grey, 2 x 1.
  Bitmap32 grey = DecodePng(PngBuilder().Header(2, 1, 8, 0).Data({0, 0x10, 0xF0}).End().Bytes());
  EXPECT_EQ(grey.Pixel(0, 0), MakePixel(0x10, 0x10, 0x10));
  EXPECT_EQ(grey.Pixel(1, 0), MakePixel(0xF0, 0xF0, 0xF0));
  // 1-bit grey: bits 1,0,1 scale to 255, 0, 255.
  Bitmap32 bits = DecodePng(PngBuilder().Header(3, 1, 1, 0).Data({0, 0b10100000}).End().Bytes());
  EXPECT_EQ(bits.Pixel(0, 0), MakePixel(255, 255, 255));
  EXPECT_EQ(bits.Pixel(1, 0), MakePixel(0, 0, 0));
  // 2-bit palette with a transparency entry for index 1.
  Bitmap32 pal = DecodePng(PngBuilder()
                               .Header(2, 1, 2, 3)
                               .Chunk("PLTE", {255, 0, 0, 0, 0, 255})
                               .Chunk("tRNS", {255, 64})
                               .Data({0, 0b00010000})
                               .End()
                               .Bytes());
  EXPECT_EQ(pal.Pixel(0, 0), MakePixel(255, 0, 0, 255));
  EXPECT_EQ(pal.Pixel(1, 0), MakePixel(0, 0, 255, 64));
  // 16-bit RGB keeps the high byte (within rounding).
  Bitmap32 deep = DecodePng(
      PngBuilder().Header(1, 1, 16, 2).Data({0, 0x12, 0x12, 0xAB, 0xAB, 0xFF, 0xFF}).End().Bytes());
  EXPECT_EQ(deep.Pixel(0, 0), MakePixel(0x12, 0xAB, 0xFF));
  // Grey + alpha, and RGB with a tRNS colour key.
  Bitmap32 ga = DecodePng(PngBuilder().Header(1, 1, 8, 4).Data({0, 0x80, 0x40}).End().Bytes());
  EXPECT_EQ(ga.Pixel(0, 0), MakePixel(0x80, 0x80, 0x80, 0x40));
  Bitmap32 key = DecodePng(PngBuilder()
                               .Header(2, 1, 8, 2)
                               .Chunk("tRNS", {0, 1, 0, 2, 0, 3})
                               .Data({0, 1, 2, 3, 4, 5, 6})
                               .End()
                               .Bytes());
  EXPECT_EQ(key.Pixel(0, 0), MakePixel(1, 2, 3, 0));
  EXPECT_EQ(key.Pixel(1, 0), MakePixel(4, 5, 6, 255));
}

TEST(PngCodec, DecodesAdam7Interlacing) {
  // 2 x 2 RGBA, interlaced: pass 1 holds (0,0), pass 6 holds (1,0), pass 7 row 1.
  const std::vector<uint8_t> raw = {0, 1, 1, 1, 255, 0, 2, 2, 2,  255,
                                    0, 3, 3, 3, 255, 4, 4, 4, 255};
  const Bitmap32 image = DecodePng(PngBuilder().Header(2, 2, 8, 6, 1).Data(raw).End().Bytes());
  EXPECT_EQ(image.Pixel(0, 0), MakePixel(1, 1, 1));
  EXPECT_EQ(image.Pixel(1, 0), MakePixel(2, 2, 2));
  EXPECT_EQ(image.Pixel(0, 1), MakePixel(3, 3, 3));
  EXPECT_EQ(image.Pixel(1, 1), MakePixel(4, 4, 4));
}

TEST(JpegCodec, RoundTripStaysWithinTolerance) {
  const Bitmap32 image = MakeDetailedImage(64, 48);
  const std::vector<uint8_t> jpeg = EncodeJpeg(image, 95);
  ImageFormat format = ImageFormat::Unknown;
  const Bitmap32 decoded = DecodeImage(jpeg, &format);
  EXPECT_EQ(format, ImageFormat::Jpeg);
  ASSERT_EQ(decoded.Width(), 64);
  ASSERT_EQ(decoded.Height(), 48);
  const Difference diff = ChannelDifference(decoded, image);
  EXPECT_LT(diff.mean, 5.0);
  EXPECT_LE(diff.worst, 96) << "hard colour edges ring under chroma subsampling";
  for (int y = 0; y < 48; ++y)
    for (int x = 0; x < 64; ++x) ASSERT_EQ(PixelA(decoded.Pixel(x, y)), 0xFF);
  // A lower quality gives a smaller file.
  EXPECT_LT(EncodeJpeg(image, 20).size(), jpeg.size());
}

TEST(JpegCodec, DecodesGreyAndProgressive) {
  const Bitmap32 grey = DecodeJpeg(LibJpegEncode(JpegKind::Gray, 16, 8));
  ASSERT_EQ(grey.Width(), 16);
  for (int x = 0; x < 16; ++x) {
    const uint32_t p = grey.Pixel(x, 3);
    EXPECT_EQ(PixelR(p), PixelG(p));
    EXPECT_EQ(PixelG(p), PixelB(p));
  }
  const Bitmap32 progressive = DecodeJpeg(LibJpegEncode(JpegKind::Progressive, 40, 30));
  EXPECT_EQ(progressive.Width(), 40);
  EXPECT_EQ(progressive.Height(), 30);
}

TEST(JpegCodec, RejectsCmyk) {
  const std::string message = DecodeError(LibJpegEncode(JpegKind::Cmyk, 8, 8));
  EXPECT_NE(message.find("CMYK"), std::string::npos) << message;
}

TEST(DamagedPictures, TruncatedJpegIsAnError) {
  std::vector<uint8_t> jpeg = EncodeJpeg(MakeDetailedImage(64, 64));
  jpeg.resize(jpeg.size() / 2);
  EXPECT_EQ(DecodeError(jpeg), "JPEG error: Premature end of JPEG file");
  // Cut inside the headers as well.
  jpeg.resize(40);
  EXPECT_NE(DecodeError(jpeg).find("JPEG error"), std::string::npos);
}

TEST(DamagedPictures, GarbageAfterStartOfImage) {
  std::vector<uint8_t> garbage = {0xFF, 0xD8, 0xFF, 0x12, 0x34, 0x56, 0x78, 0x9A, 0xBC};
  EXPECT_NE(DecodeError(garbage).find("JPEG error"), std::string::npos);
  garbage = {0xFF, 0xD8, 'h', 'e', 'l', 'l', 'o'};  // not even a marker after SOI
  EXPECT_THROW(DecodeJpeg(garbage), EInvalidGraphic);
  EXPECT_EQ(DecodeError(garbage), "Not a JPEG or PNG picture");
}

TEST(DamagedPictures, RandomBytesAndEmptyBuffers) {
  std::mt19937 random(1234);
  std::vector<uint8_t> noise(500);
  for (auto& b : noise) b = static_cast<uint8_t>(random());
  noise[0] = 0x00;
  EXPECT_EQ(DecodeError(noise), "Not a JPEG or PNG picture");
  EXPECT_EQ(DecodeError({}), "Not a JPEG or PNG picture");
  EXPECT_THROW(DecodeJpeg({}), EInvalidGraphic);
  EXPECT_THROW(DecodePng({}), EInvalidGraphic);
  // Valid signatures followed by noise.
  std::vector<uint8_t> fakeJpeg = {0xFF, 0xD8, 0xFF};
  fakeJpeg.insert(fakeJpeg.end(), noise.begin(), noise.end());
  EXPECT_NE(DecodeError(fakeJpeg).find("JPEG error"), std::string::npos);
  std::vector<uint8_t> fakePng = PngBuilder().Bytes();
  fakePng.insert(fakePng.end(), noise.begin(), noise.end());
  EXPECT_NE(DecodeError(fakePng).find("PNG error"), std::string::npos);
}

TEST(DamagedPictures, PngWithBadCrcOrCutShort) {
  std::vector<uint8_t> png = EncodePng(MakeDetailedImage(16, 16));
  std::vector<uint8_t> badCrc = png;
  badCrc[8 + 8 + 13] ^= 0x01;  // first byte of the IHDR CRC
  EXPECT_NE(DecodeError(badCrc).find("PNG error"), std::string::npos);
  std::vector<uint8_t> badData = png;
  badData[8 + 25 + 8 + 2] ^= 0xFF;  // inside the IDAT data: its CRC no longer matches
  EXPECT_NE(DecodeError(badData).find("PNG error"), std::string::npos);
  png.resize(png.size() - 30);
  EXPECT_NE(DecodeError(png).find("PNG error"), std::string::npos);
}

TEST(DamagedPictures, HugeDeclaredSizesAreRejectedBeforeAllocating) {
  std::vector<uint8_t> jpeg = EncodeJpeg(MakeDetailedImage(16, 16));
  const size_t at = SofSizeOffset(jpeg);
  jpeg[at] = 0xEA;  // height 60000
  jpeg[at + 1] = 0x60;
  jpeg[at + 2] = 0xEA;  // width 60000
  jpeg[at + 3] = 0x60;
  EXPECT_EQ(DecodeError(jpeg), "JPEG error: picture too large");
  // Each side allowed, but 16000 x 16000 is over 64 Mpixels.
  jpeg[at] = 0x3E, jpeg[at + 1] = 0x80, jpeg[at + 2] = 0x3E, jpeg[at + 3] = 0x80;
  EXPECT_EQ(DecodeError(jpeg), "JPEG error: picture too large");

  const std::vector<uint8_t> row = {0, 0, 0, 0};
  EXPECT_NE(DecodeError(PngBuilder().Header(100000, 100000, 8, 2).Data(row).End().Bytes())
                .find("PNG error"),
            std::string::npos);
  EXPECT_EQ(DecodeError(PngBuilder().Header(16000, 16000, 8, 2).Data(row).End().Bytes()),
            "PNG error: picture too large");
  EXPECT_NE(DecodeError(PngBuilder().Header(0, 5, 8, 2).Data(row).End().Bytes()).find("PNG error"),
            std::string::npos);
}

TEST(Encoders, RejectEmptyPictures) {
  EXPECT_THROW(EncodeJpeg(Bitmap32()), EInvalidGraphic);
  EXPECT_THROW(EncodePng(Bitmap32(0, 5)), EInvalidGraphic);
}

}  // namespace
}  // namespace tazu
