// tazu-demo-install DIR: makes a demo install folder for running and testing the launcher.
#include <cstdio>
#include <exception>

#include "tools/demo-install/DemoActivities.h"
#include "tools/demo-install/DemoInstall.h"

int main(int argc, char** argv) {
  if (argc != 2) {
    std::fprintf(stderr, "usage: tazu-demo-install DIR\n");
    return 2;
  }
  tazu::demo::SetProgramPath(argv[0]);
  if (tazu::demo::FindStandInProgram().empty()) {
    std::fprintf(stderr,
                 "tazu-demo-install: warning: no tazu-activity beside this program; the "
                 "activity programs are not installed\n");
  }
  try {
    tazu::demo::MakeDemoInstall(argv[1]);
  } catch (const std::exception& e) {
    std::fprintf(stderr, "tazu-demo-install: %s\n", e.what());
    return 1;
  }
  std::printf("Demo install folder made in %s\n", argv[1]);
  return 0;
}
