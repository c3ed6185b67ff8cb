// Program entry: the application, its title, the menu screen as the main form with the
// process's own roster, the message loop until the main form closes.
#include <cstdio>
#include <exception>
#include <memory>

#include "framework/Application.h"
#include "platform/NativePlatform.h"
#include "platform/ProcessRoster.h"
#include "screens/menu/menuunit_v2.h"

int main() {
  std::unique_ptr<tazu::TApplication> app;
  try {
    app = std::make_unique<tazu::TApplication>(tazu::CreateNativePlatform());
  } catch (const std::exception& e) {
    std::fprintf(stderr, "pelkor-tazu: %s\n", e.what());
    return 1;
  }
  app->Title = "Pelkor Tazu";
  const tazu::DefaultRosterEnvironment roster;
  app->CreateForm<tazu::TForm1>(roster);
  app->Run();
  return 0;
}
