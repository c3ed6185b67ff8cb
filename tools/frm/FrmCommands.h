// The commands of tazu-frm, the frame-library tool: pack files into an archive,
// list it, extract one entry or all of them. Kept out of main() so that tests and
// other tools can run them.
#pragma once

#include <ostream>
#include <string>
#include <vector>

namespace tazu {

// Exit codes of the tool.
constexpr int kFrmOk = 0;
constexpr int kFrmFailed = 1;  // damaged archive, missing file or entry, unsafe name
constexpr int kFrmUsage = 2;

// Runs one command; `args` excludes the program name. Messages go to `err`,
// listings to `out`.
int RunFrmTool(const std::vector<std::string>& args, std::ostream& out, std::ostream& err);

}  // namespace tazu
