// tazu-doctor [INSTALL_DIR]: checks an install folder the way the launcher reads it.
#include <iostream>
#include <string>
#include <vector>

#include "tools/doctor/InstallDoctor.h"

int main(int argc, char** argv) {
  const std::vector<std::string> args(argv + 1, argv + argc);
  return tazu::doctor::RunDoctor(args, std::cout, std::cerr);
}
