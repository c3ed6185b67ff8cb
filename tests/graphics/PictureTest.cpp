#include "framework/Picture.h"

#include <gtest/gtest.h>

#include "base/Exceptions.h"
#include "tests/base/TempDir.h"
#include "tests/graphics/TestImages.h"

namespace tazu {
namespace {

using test::MakeDetailedImage;

std::string AsString(const std::vector<uint8_t>& bytes) {
  return std::string(bytes.begin(), bytes.end());
}

Bitmap32 TranslucentImage() {
  Bitmap32 image = MakeDetailedImage(6, 4);
  image.SetPixel(2, 2, MakePixel(1, 2, 3, 100));
  return image;
}

class PictureTest : public ::testing::Test {
 protected:
  void SetUp() override {
    picture.OnChange = [this] { ++changes; };
  }
  TPicture picture;
  int changes = 0;
};

TEST_F(PictureTest, LoadsJpegAndPngFromMemory) {
  picture.LoadFromMemory(EncodeJpeg(MakeDetailedImage(30, 20)));
  EXPECT_EQ(picture.Format(), ImageFormat::Jpeg);
  EXPECT_EQ(picture.Width(), 30);
  EXPECT_EQ(picture.Height(), 20);
  EXPECT_FALSE(picture.HasAlpha());
  EXPECT_EQ(changes, 1);

  picture.LoadFromMemory(EncodePng(TranslucentImage()));
  EXPECT_EQ(picture.Format(), ImageFormat::Png);
  EXPECT_TRUE(picture.HasAlpha());
  EXPECT_EQ(picture.Bitmap(), TranslucentImage());
  EXPECT_EQ(changes, 2);

  picture.LoadFromMemory(EncodePng(MakeDetailedImage(3, 3)));
  EXPECT_FALSE(picture.HasAlpha()) << "an opaque PNG has no alpha";
}

TEST_F(PictureTest, FailedLoadLeavesThePictureUnchanged) {
  picture.LoadFromMemory(EncodePng(TranslucentImage()));
  changes = 0;
  std::vector<uint8_t> damaged = EncodeJpeg(MakeDetailedImage(40, 40));
  damaged.resize(damaged.size() / 2);
  EXPECT_THROW(picture.LoadFromMemory(damaged), EInvalidGraphic);
  EXPECT_THROW(picture.LoadFromMemory(std::vector<uint8_t>{1, 2, 3}), EInvalidGraphic);
  test::TempDir dir;
  EXPECT_THROW(picture.LoadFromFile(dir.Str() + "/missing.jpg"), EFOpenError);
  const std::string bad = dir.Write("bad.png", "\x89PNG\r\n\x1a\nnonsense");
  EXPECT_THROW(picture.LoadFromFile(bad), EInvalidGraphic);
  EXPECT_EQ(picture.Bitmap(), TranslucentImage());
  EXPECT_EQ(picture.Format(), ImageFormat::Png);
  EXPECT_TRUE(picture.HasAlpha());
  EXPECT_EQ(changes, 0);
}

TEST_F(PictureTest, LoadsFromFileByWindowsStyleName) {
  test::TempDir dir;
  dir.Write("Menu/Menu_0_A.jpg", AsString(EncodeJpeg(MakeDetailedImage(12, 10))));
  picture.LoadFromFile(dir.Str() + "\\menu\\MENU_0_A.JPG");
  EXPECT_EQ(picture.Width(), 12);
  EXPECT_EQ(picture.Format(), ImageFormat::Jpeg);
  EXPECT_EQ(changes, 1);
}

TEST_F(PictureTest, LoadsFromTheStreamPositionToTheEnd) {
  const std::vector<uint8_t> png = EncodePng(MakeDetailedImage(5, 7));
  TMemoryStream stream;
  stream.WriteBuffer("junk", 4);
  stream.WriteBuffer(png.data(), static_cast<int64_t>(png.size()));
  stream.SetPosition(4);
  picture.LoadFromStream(stream);
  EXPECT_EQ(picture.Bitmap(), MakeDetailedImage(5, 7));
  EXPECT_EQ(stream.Position(), stream.Size());
  stream.SetPosition(0);  // the junk in front makes it unreadable
  EXPECT_THROW(picture.LoadFromStream(stream), EInvalidGraphic);
  EXPECT_EQ(picture.Width(), 5);
}

TEST_F(PictureTest, AssignSetBitmapAndClearNotify) {
  TPicture other;
  other.LoadFromMemory(EncodePng(TranslucentImage()));
  picture.Assign(other);
  EXPECT_EQ(picture.Bitmap(), other.Bitmap());
  EXPECT_TRUE(picture.HasAlpha());
  EXPECT_EQ(picture.Format(), ImageFormat::Png);
  EXPECT_EQ(changes, 1);

  // Without hasAlpha the alpha channel is meaningless and becomes opaque.
  picture.SetBitmap(Bitmap32(3, 2, 0x00123456));
  EXPECT_FALSE(picture.HasAlpha());
  EXPECT_EQ(picture.Bitmap().Pixel(2, 1), 0xFF123456u);
  EXPECT_EQ(picture.Format(), ImageFormat::Unknown);
  picture.SetBitmap(TranslucentImage(), true);
  EXPECT_TRUE(picture.HasAlpha());
  picture.SetBitmap(MakeDetailedImage(2, 2), true);
  EXPECT_FALSE(picture.HasAlpha()) << "no pixel is translucent";
  EXPECT_EQ(changes, 4);

  picture.Clear();
  EXPECT_TRUE(picture.Empty());
  EXPECT_FALSE(picture.HasAlpha());
  EXPECT_EQ(changes, 5);
}

}  // namespace
}  // namespace tazu
