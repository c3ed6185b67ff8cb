#include "tools/doctor/ProgramCheck.h"

#include <filesystem>
#include <fstream>
#include <system_error>

#include "base/Paths.h"
#include "tools/doctor/HostAccess.h"

namespace tazu::doctor {
namespace {

// Enough for "#!" and an interpreter path.
constexpr size_t kOpeningBytesRead = 256;

std::string ReadOpening(const std::string& hostPath) {
  std::ifstream in(hostPath, std::ios::binary);
  std::string head(kOpeningBytesRead, '\0');
  in.read(head.data(), static_cast<std::streamsize>(head.size()));
  head.resize(static_cast<size_t>(in.gcount()));
  return head;
}

}  // namespace

CheckResult CheckProgramFile(const std::string& path,
                             const std::optional<std::string>& searchPath) {
  const std::string host = ResolvePath(path);
  std::error_code ec;
  if (!std::filesystem::is_regular_file(host, ec)) return {Verdict::Damaged, "not a regular file"};
  return CheckHostProgram(host, ReadOpening(host), searchPath);
}

}  // namespace tazu::doctor
