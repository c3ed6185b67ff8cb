// tazu-frm: packs, lists and extracts frame libraries (stream archives).
#include <iostream>
#include <string>
#include <vector>

#include "tools/frm/FrmCommands.h"

int main(int argc, char** argv) {
  const std::vector<std::string> args(argv + 1, argv + argc);
  return tazu::RunFrmTool(args, std::cout, std::cerr);
}
