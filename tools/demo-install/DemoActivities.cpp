#include "tools/demo-install/DemoActivities.h"

#include "screens/menu/ActivityTable.h"

#include <filesystem>
#include <string_view>
#include <system_error>

namespace fs = std::filesystem;

namespace tazu::demo {

namespace {

const std::string kStandInName = "tazu-activity";
constexpr std::string_view kNewSuffix = ".new";

// A path written with back-slashes as a host path below `root`.
fs::path Below(const fs::path& root, std::string_view windowsPath) {
  fs::path out = root;
  size_t start = 0;
  while (start <= windowsPath.size()) {
    size_t end = windowsPath.find('\\', start);
    if (end == std::string_view::npos) end = windowsPath.size();
    if (end > start) out /= fs::path(windowsPath.substr(start, end - start));
    start = end + 1;
  }
  return out;
}

std::string& ProgramPath() {
  static std::string path;
  return path;
}

}  // namespace

void SetProgramPath(const std::string& argv0) { ProgramPath() = argv0; }

std::string FindStandInProgram() {
  std::error_code ec;
  fs::path self = fs::read_symlink("/proc/self/exe", ec);
  if (ec && !ProgramPath().empty()) self = fs::absolute(ProgramPath(), ec);
  if (ec || self.empty()) return {};
  const fs::path standIn = self.parent_path() / (kStandInName + self.extension().string());
  return fs::is_regular_file(standIn, ec) ? standIn.string() : std::string();
}

void InstallStandInActivities(const std::string& installFolder, const std::string& standInProgram) {
  const fs::perms perms = fs::status(standInProgram).permissions();
  for (const char* program : kActivities) {
    if (*program == '\0') continue;  // an unused entry
    const fs::path target = Below(installFolder, program);
    fs::create_directories(target.parent_path());
    // Copied beside it, then renamed over it: a copy that is running cannot be
    // rewritten in place, but it can be replaced.
    fs::path fresh = target;
    fresh += kNewSuffix;
    fs::copy_file(standInProgram, fresh, fs::copy_options::overwrite_existing);
    fs::permissions(fresh, perms);
    fs::rename(fresh, target);
  }
}

}  // namespace tazu::demo
