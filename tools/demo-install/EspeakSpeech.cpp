// Speech through espeak-ng, run without a shell so that the text is never interpreted.
#include <spawn.h>
#include <sys/wait.h>

#include <cerrno>
#include <system_error>
#include <vector>

#include "tools/demo-install/DemoSpeech.h"

extern char** environ;

namespace tazu {
namespace {

constexpr uintmax_t kWaveHeaderSize = 44;

}  // namespace

bool Speak(const char* voice, const std::string& text, const std::filesystem::path& file) {
  const std::string program = "espeak-ng";
  const std::string voiceFlag = "-v";
  const std::string fileFlag = "-w";
  const std::string path = file.string();
  std::vector<char*> argv = {const_cast<char*>(program.c_str()),
                             const_cast<char*>(voiceFlag.c_str()),
                             const_cast<char*>(voice),
                             const_cast<char*>(fileFlag.c_str()),
                             const_cast<char*>(path.c_str()),
                             const_cast<char*>(text.c_str()),
                             nullptr};
  pid_t pid = 0;
  if (posix_spawnp(&pid, program.c_str(), nullptr, nullptr, argv.data(), environ) != 0) {
    return false;
  }
  int status = 0;
  while (waitpid(pid, &status, 0) < 0) {
    if (errno != EINTR) return false;
  }
  std::error_code ec;
  return WIFEXITED(status) && WEXITSTATUS(status) == 0 &&
         std::filesystem::file_size(file, ec) > kWaveHeaderSize && !ec;
}

}  // namespace tazu
