// tazu-message-probe TEXT: shows TEXT in the plain message box the launcher uses for
// its own messages (captioned with the application title "Pelkor Tazu") and ends when
// it is answered. Scenario tests compare a box that the launcher shows with this one,
// drawn on the same display, to learn which message it carries.
#include <cstdio>
#include <exception>
#include <memory>

#include "framework/Application.h"
#include "framework/Dialogs.h"
#include "platform/NativePlatform.h"

int main(int argc, char** argv) {
  if (argc != 2) {
    std::fprintf(stderr, "usage: tazu-message-probe TEXT\n");
    return 2;
  }
  try {
    tazu::TApplication app(tazu::CreateNativePlatform());
    app.Title = "Pelkor Tazu";
    tazu::ShowMessage(app, argv[1]);
  } catch (const std::exception& e) {
    std::fprintf(stderr, "tazu-message-probe: %s\n", e.what());
    return 1;
  }
  return 0;
}
