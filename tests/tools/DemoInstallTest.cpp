#include "tools/demo-install/DemoInstall.h"

#include <gtest/gtest.h>

#include "base/Paths.h"
#include "base/Streams.h"
#include "framework/ImageCodecs.h"
#include "screens/menu/MenuLayout.h"
#include "tests/base/TempDir.h"

namespace tazu {
namespace {

Bitmap32 LoadPicture(const std::string& file) {
  const std::vector<uint8_t> bytes = ReadWholeFile(file);
  return DecodeImage(bytes);
}

TEST(DemoInstall, MakesEveryMenuPictureInBothLanguagesAtTheLayoutsSizes) {
  test::TempDir dir;
  demo::MakeDemoInstall(dir.Str());
  for (const char* folder : {"menu", "Music", "Sounds_afr", "Sounds_eng"}) {
    EXPECT_TRUE(DirectoryExists(dir.Str() + "/" + folder)) << folder;
  }
  for (char language : {'A', 'E'}) {
    for (int n = 0; n <= menu::kSubjectCount; ++n) {
      const Bitmap32 picture =
          LoadPicture(dir.Str() + "\\\\menu\\menu_" + std::to_string(n) + "_" + language + ".jpg");
      EXPECT_EQ(picture.Width(), kScreenWidth);
      EXPECT_EQ(picture.Height(), kScreenHeight);
    }
    for (int n = 1; n <= menu::kSubjectCount; ++n) {
      const menu::ControlPlace* sub = menu::FindControl(menu::Kind::SubPicture, n);
      for (int m = 1; m <= menu::EntryCount(n); ++m) {
        const Bitmap32 picture = LoadPicture(dir.Str() + "/menu/sub_" + std::to_string(n) + "_" +
                                             std::to_string(m) + "_" + language + ".jpg");
        EXPECT_EQ(picture.Width(), sub->width);
        EXPECT_EQ(picture.Height(), sub->height);
      }
    }
  }
  // Pictures differ by language and by the open subject.
  EXPECT_NE(LoadPicture(dir.Str() + "/menu/menu_0_A.jpg"),
            LoadPicture(dir.Str() + "/menu/menu_0_E.jpg"));
  EXPECT_NE(LoadPicture(dir.Str() + "/menu/menu_0_A.jpg"),
            LoadPicture(dir.Str() + "/menu/menu_2_A.jpg"));
  // Running it again over an existing folder is fine.
  EXPECT_NO_THROW(demo::MakeDemoInstall(dir.Str()));
}

}  // namespace
}  // namespace tazu
