#include "XServer.h"

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <sys/prctl.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <thread>

namespace tazu::test {
namespace {

constexpr int kStartTimeoutMs = 30000;
constexpr int kStopTimeoutMs = 5000;
constexpr int kPollStepMs = 10;
constexpr const char* kDummyDriver = "/usr/lib/xorg/modules/drivers/dummy_drv.so";

constexpr const char* kDummyConfig = R"(Section "Device"
  Identifier "dummy"
  Driver "dummy"
  VideoRam 16384
EndSection
Section "Monitor"
  Identifier "monitor"
  HorizSync 5.0-100.0
  VertRefresh 5.0-200.0
  Modeline "1024x768_60" 65.00 1024 1048 1184 1344 768 771 777 806 -hsync -vsync
  Modeline "800x600_60" 40.00 800 840 968 1056 600 601 605 628 +hsync +vsync
EndSection
Section "Screen"
  Identifier "screen"
  Device "dummy"
  Monitor "monitor"
  DefaultDepth 24
  SubSection "Display"
    Depth 24
    Modes "1024x768_60" "800x600_60"
    Virtual 1024 768
  EndSubSection
EndSection
Section "ServerFlags"
  Option "AutoAddDevices" "false"
EndSection
)";

std::string MakeFolder() {
  std::string pattern = (std::filesystem::temp_directory_path() / "tazu-x-XXXXXX").string();
  if (mkdtemp(pattern.data()) == nullptr) return {};
  return pattern;
}

}  // namespace

std::string FindProgram(const std::string& program) {
  const char* path = std::getenv("PATH");
  std::string dirs = path != nullptr ? path : "/usr/bin:/bin";
  size_t start = 0;
  while (start <= dirs.size()) {
    const size_t end = std::min(dirs.find(':', start), dirs.size());
    const std::string candidate = dirs.substr(start, end - start) + "/" + program;
    if (access(candidate.c_str(), X_OK) == 0) return candidate;
    start = end + 1;
  }
  return {};
}

bool WaitForExit(pid_t pid, int timeoutMs, int& status) {
  const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeoutMs);
  for (;;) {
    const pid_t done = waitpid(pid, &status, WNOHANG);
    if (done == pid) return true;
    if (done < 0 && errno != EINTR) return false;
    if (std::chrono::steady_clock::now() >= deadline) {
      kill(pid, SIGKILL);
      waitpid(pid, &status, 0);
      return false;
    }
    std::this_thread::sleep_for(std::chrono::milliseconds(kPollStepMs));
  }
}

void AdoptOrphans() { prctl(PR_SET_CHILD_SUBREAPER, 1); }

namespace {

// This process's children as /proc lists them.
std::vector<pid_t> Children() {
  std::vector<pid_t> children;
  const pid_t self = getpid();
  for (const auto& entry : std::filesystem::directory_iterator("/proc")) {
    const std::string name = entry.path().filename().string();
    if (name.find_first_not_of("0123456789") != std::string::npos) continue;
    std::ifstream stat(entry.path() / "stat");
    std::string line;
    std::getline(stat, line);
    const size_t close = line.rfind(')');  // the command name may hold anything
    if (close == std::string::npos) continue;
    std::istringstream rest(line.substr(close + 1));
    std::string state;
    pid_t parent = 0;
    rest >> state >> parent;
    if (parent == self) children.push_back(static_cast<pid_t>(std::stol(name)));
  }
  return children;
}

}  // namespace

bool ReapChildrenExcept(const std::vector<pid_t>& keep, int timeoutMs) {
  const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeoutMs);
  for (;;) {
    bool left = false;
    for (pid_t child : Children()) {
      if (std::find(keep.begin(), keep.end(), child) != keep.end()) continue;
      if (waitpid(child, nullptr, WNOHANG) != child) left = true;
    }
    if (!left) return true;
    if (std::chrono::steady_clock::now() >= deadline) return false;
    std::this_thread::sleep_for(std::chrono::milliseconds(kPollStepMs));
  }
}

std::unique_ptr<XServer> XServer::StartXvfb(int width, int height, int depth, std::string& why) {
  const std::string program = FindProgram("Xvfb");
  if (program.empty()) {
    why = "Xvfb is not installed";
    return nullptr;
  }
  const std::string screen =
      std::to_string(width) + "x" + std::to_string(height) + "x" + std::to_string(depth);
  return Start(program, {"-screen", "0", screen, "-nolisten", "tcp", "-noreset"}, why);
}

bool XServer::DummyXorgInstalled() {
  return !FindProgram("Xorg").empty() && access(kDummyDriver, R_OK) == 0;
}

std::unique_ptr<XServer> XServer::StartDummyXorg(std::string& why) {
  const std::string program = FindProgram("Xorg");
  if (!DummyXorgInstalled()) {
    why = "Xorg with the dummy video driver (xserver-xorg-video-dummy) is not installed";
    return nullptr;
  }
  const std::string folder = MakeFolder();
  if (folder.empty()) {
    why = "no temporary folder";
    return nullptr;
  }
  std::ofstream(folder + "/xorg.conf") << kDummyConfig;
  std::filesystem::create_directory(folder + "/conf.d");
  auto server =
      Start(program,
            {"-config", folder + "/xorg.conf", "-configdir", folder + "/conf.d", "-logfile",
             folder + "/Xorg.log", "-nolisten", "tcp", "-noreset", "-novtswitch"},
            why);
  if (server) {
    server->folder_ = folder;
  } else {
    std::filesystem::remove_all(folder);
  }
  return server;
}

std::unique_ptr<XServer> XServer::Start(const std::string& program,
                                        const std::vector<std::string>& arguments,
                                        std::string& why) {
  int ready[2];
  if (pipe2(ready, O_CLOEXEC) != 0) {
    why = "no pipe";
    return nullptr;
  }
  // The server writes its display number to this descriptor once it accepts clients.
  const int serverEnd = 3;
  std::vector<std::string> args{program, "-displayfd", std::to_string(serverEnd)};
  args.insert(args.end(), arguments.begin(), arguments.end());
  std::vector<char*> argv;
  for (auto& a : args) argv.push_back(a.data());
  argv.push_back(nullptr);

  const pid_t pid = fork();
  if (pid == 0) {
    prctl(PR_SET_PDEATHSIG, SIGKILL);  // never outlive a crashed test
    setpgid(0, 0);
    dup2(ready[1], serverEnd);
    const int devNull = open("/dev/null", O_RDWR);
    dup2(devNull, STDIN_FILENO);
    dup2(devNull, STDOUT_FILENO);
    dup2(devNull, STDERR_FILENO);
    sigset_t none;
    sigemptyset(&none);
    sigprocmask(SIG_SETMASK, &none, nullptr);
    execv(program.c_str(), argv.data());
    _exit(127);
  }
  close(ready[1]);
  if (pid < 0) {
    close(ready[0]);
    why = "fork failed";
    return nullptr;
  }
  std::string number;
  const auto deadline =
      std::chrono::steady_clock::now() + std::chrono::milliseconds(kStartTimeoutMs);
  for (;;) {
    const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(
                          deadline - std::chrono::steady_clock::now())
                          .count();
    pollfd fd{ready[0], POLLIN, 0};
    if (left <= 0 || poll(&fd, 1, static_cast<int>(left)) <= 0) break;
    char c = 0;
    if (read(ready[0], &c, 1) != 1 || c == '\n') break;
    number.push_back(c);
  }
  close(ready[0]);
  auto server = std::unique_ptr<XServer>(new XServer);
  server->pid_ = pid;
  if (number.empty()) {
    why = program + " did not start";
    return nullptr;  // the destructor stops what did start
  }
  server->name_ = ":" + number;
  return server;
}

XServer::~XServer() {
  if (pid_ > 0) {
    kill(pid_, SIGTERM);
    int status = 0;
    WaitForExit(pid_, kStopTimeoutMs, status);
  }
  if (!folder_.empty()) std::filesystem::remove_all(folder_);
}

}  // namespace tazu::test
