#include "screens/menu/menuunit_v2.h"

#include "base/Paths.h"
#include "screens/menu/MenuLayout.h"

namespace tazu {

TForm1::TForm1(TComponent* owner) : TForm(owner) {
  Name = "Form1";
  SetCaption("Pelkor! Tazu v2.1");
  SetBounds(0, 0, menu::kScreenWidth, menu::kScreenHeight);
  frame = Create<TImage>(this);
  frame->Name = "frame";
  frame->SetBounds(0, 0, menu::kScreenWidth, menu::kScreenHeight);
  frame->SetAutoSize(true);
  OnCreate = [this](TObject* sender) { FormCreate(sender); };
}

void TForm1::FormCreate(TObject*) {
  InstallFolder = GetCurrentDir();
  if (!InstallFolder.empty() && InstallFolder.back() != '\\') InstallFolder += '\\';
  MenuFolder = InstallFolder + "\\menu\\";
  MusicFolder = InstallFolder + "Music\\";
  const std::string picture = MenuFolder + "menu_0_" + Language + ".jpg";
  if (FileExists(picture)) frame->Picture().LoadFromFile(picture);
}

}  // namespace tazu
