// tazu-advert-preview INSTALL_DIR LANGUAGE: shows the advert screen of an install folder
// the way the menu does at the end of a run (create, prepare, show modally, free), so
// it can be looked at and tested before the menu leads to it.
#include <cstdio>
#include <exception>
#include <memory>
#include <string>

#include "framework/Application.h"
#include "platform/NativePlatform.h"
#include "screens/advert/advertunit.h"

int main(int argc, char** argv) {
  if (argc != 3) {
    std::fprintf(stderr, "usage: tazu-advert-preview INSTALL_DIR A|E\n");
    return 2;
  }
  try {
    auto app = std::make_unique<tazu::TApplication>(tazu::CreateNativePlatform());
    app->Title = "Pelkor Tazu";
    tazu::TOwned<tazu::Tadvertform> advert(app->CreateForm<tazu::Tadvertform>());
    // The install folder is written the program's way, ending in a back-slash.
    advert->InstallFolder = std::string(argv[1]) + "\\";
    advert->Language = tazu::LanguageFromLetter(argv[2]);
    advert->PrepareAdverts();
    advert->ShowModal();
  } catch (const std::exception& e) {
    std::fprintf(stderr, "tazu-advert-preview: %s\n", e.what());
    return 1;
  }
  std::printf("advert screen closed\n");
  return 0;
}
