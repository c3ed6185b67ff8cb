// tazu-roster: lists the learner roster for teachers and IT staff.
#include <iostream>
#include <string>
#include <vector>

#include "platform/ProcessRoster.h"
#include "tools/roster/RosterReport.h"

int main(int argc, char** argv) {
  const std::vector<std::string> args(argv + 1, argv + argc);
  const int code =
      tazu::RunRosterTool(args, tazu::DefaultRosterEnvironment(), std::cout, std::cerr);
  std::cout.flush();
  return code;
}
