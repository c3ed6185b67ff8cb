// posix_spawn with the Windows shell's choices: what a file is decides how it starts,
// errno becomes the shell's failure code, and every child is reaped.
//
// What a child inherits: the environment, the standard handles 0 to 2, and nothing else
// of ours. Where the C library offers it (glibc 2.34 and later) every other descriptor is
// closed in the child before exec; elsewhere we rely on descriptors being opened with
// O_CLOEXEC, as ours and SDL's are. The signal mask is emptied and the signals the
// launcher blocks or ignores get their default action back.
#include "platform/posix/ProcessLauncher.h"

#include "platform/posix/ChildSignals.h"

#include <fcntl.h>
#include <signal.h>
#include <spawn.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <array>
#include <cerrno>
#include <cstdlib>
#include <string_view>

#include "base/Paths.h"
#include "base/Text.h"
#include "platform/CommandLine.h"

extern char** environ;

#if defined(__GLIBC__) && (__GLIBC__ > 2 || (__GLIBC__ == 2 && __GLIBC_MINOR__ >= 34))
#define TAZU_SPAWN_CLOSEFROM 1
#endif

namespace tazu {

namespace {

constexpr std::string_view kWindowsProgramMagic = "MZ";
constexpr int kSignalExitBase = 128;
constexpr int kFirstInheritableOnlyIfAsked = 3;  // after stdin, stdout, stderr
// Files that name a program on Windows: without execute permission here they are
// programs we may not run, not documents.
constexpr std::array<std::string_view, 4> kProgramExtensions = {".exe", ".com", ".bat", ".cmd"};
ShellExecuteResult Failure(int code) { return {0, code}; }

// The shell's failure code for an errno of a file access or a start.
int ShellCodeFor(int error) {
  switch (error) {
    case ENOENT:
    case ELOOP:
    case ENAMETOOLONG:
      return SE_ERR_FNF;
    case ENOTDIR:
      return SE_ERR_PNF;
    case ENOMEM:
    case EAGAIN:
    case E2BIG:  // an argument list too long: out of room, as near as the shell's codes go
      return SE_ERR_OOM;
    case ENOEXEC:
      return ProcessLauncher::kBadFormat;
    default:  // EACCES, EPERM, ETXTBSY, EIO and the rest: the file may not be run
      return SE_ERR_ACCESSDENIED;
  }
}

bool IsDirectory(const std::string& path) {
  struct stat st {};
  return stat(path.c_str(), &st) == 0 && S_ISDIR(st.st_mode);
}

// The folder holding `path` exists (a missing folder on the way is "path not found").
bool ParentIsDirectory(const std::string& path) {
  const size_t slash = path.find_last_of('/');
  if (slash == std::string::npos) return true;
  return IsDirectory(slash == 0 ? "/" : path.substr(0, slash));
}

// Relative names are taken from the caller's current folder, whatever the child's
// working folder will be.
std::string Absolute(const std::string& path) {
  if (path.empty() || path.front() == '/') return path;
  return GetCurrentDir() + "/" + path;
}

bool StartsWithWindowsMagic(const std::string& path) {
  const int fd = open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NOCTTY);
  if (fd < 0) return false;
  char head[kWindowsProgramMagic.size()] = {};
  ssize_t got = 0;
  do {
    got = read(fd, head, sizeof head);
  } while (got < 0 && errno == EINTR);
  close(fd);
  return got == static_cast<ssize_t>(sizeof head) &&
         std::string_view(head, sizeof head) == kWindowsProgramMagic;
}

bool HasProgramExtension(const std::string& path) {
  const std::string lower = LowerCase(ExtractFileName(path));
  return std::any_of(kProgramExtensions.begin(), kProgramExtensions.end(),
                     [&](std::string_view ext) { return lower.ends_with(ext); });
}

uint32_t ExitCodeOf(int status) {
  if (WIFSIGNALED(status)) return static_cast<uint32_t>(kSignalExitBase + WTERMSIG(status));
  return static_cast<uint32_t>(WEXITSTATUS(status));
}

// posix_spawn's attribute objects, released on every path.
class SpawnSetup {
 public:
  SpawnSetup() {
    posix_spawn_file_actions_init(&actions);
    posix_spawnattr_init(&attributes);
  }
  ~SpawnSetup() {
    posix_spawnattr_destroy(&attributes);
    posix_spawn_file_actions_destroy(&actions);
  }
  SpawnSetup(const SpawnSetup&) = delete;
  SpawnSetup& operator=(const SpawnSetup&) = delete;

  // Working folder, descriptors and signals; posix_spawn's error number, 0 on success.
  int Prepare(const std::string& directory) {
    if (!directory.empty()) {
      if (const int e = posix_spawn_file_actions_addchdir_np(&actions, directory.c_str())) {
        return e;
      }
    }
#ifdef TAZU_SPAWN_CLOSEFROM
    if (const int e =
            posix_spawn_file_actions_addclosefrom_np(&actions, kFirstInheritableOnlyIfAsked)) {
      return e;
    }
#endif
    return ResetChildSignalMask(attributes);
  }

  posix_spawn_file_actions_t actions;
  posix_spawnattr_t attributes;
};

}  // namespace

ProcessLauncher::ProcessLauncher(std::optional<std::string> searchPath)
    : searchPath_(std::move(searchPath)) {}

ProcessLauncher::~ProcessLauncher() {
  ReapOrphans();
  for (auto& [handle, child] : children_) Poll(child, false);
}

ShellExecuteResult ProcessLauncher::ShellExecute(const ShellExecuteRequest& request) {
  ReapOrphans();
  std::string verb = LowerCase(request.verb);
  if (verb.empty()) verb = "open";  // the shell's default verb
  if (verb != "open" && verb != "explore") return Failure(SE_ERR_NOASSOC);
  if (request.file.empty()) return Failure(SE_ERR_FNF);

  const std::string file = Absolute(ResolvePath(request.file));
  std::string directory;
  if (!request.directory.empty()) {
    directory = Absolute(ResolvePath(request.directory));
    if (!IsDirectory(directory)) return Failure(SE_ERR_PNF);
  }

  struct stat st {};
  if (stat(file.c_str(), &st) != 0) {
    const int error = errno;
    if (error == ENOENT && !ParentIsDirectory(file)) return Failure(SE_ERR_PNF);
    return Failure(ShellCodeFor(error));
  }
  if (S_ISDIR(st.st_mode)) return OpenWithDesktop(file, directory);
  if (verb == "explore") return Failure(SE_ERR_NOASSOC);  // only folders are explored
  return Open(file, S_ISREG(st.st_mode), request.parameters, directory);
}

ShellExecuteResult ProcessLauncher::Open(const std::string& file, bool regular,
                                         const std::string& parameters,
                                         const std::string& directory) {
  std::vector<std::string> argv = SplitCommandLine(parameters);
  if (regular && StartsWithWindowsMagic(file)) {
    const std::string wine = FindProgram("wine");
    if (wine.empty()) return Failure(SE_ERR_NOASSOC);
    argv.insert(argv.begin(), {wine, file});
    return Spawn(wine, argv, directory, true);
  }
  if (!regular) return Failure(SE_ERR_NOASSOC);  // devices, pipes, sockets
  if (access(file.c_str(), X_OK) == 0) {
    argv.insert(argv.begin(), file);
    return Spawn(file, argv, directory, true);
  }
  if (HasProgramExtension(file)) return Failure(SE_ERR_ACCESSDENIED);
  return OpenWithDesktop(file, directory);
}

ShellExecuteResult ProcessLauncher::OpenWithDesktop(const std::string& target,
                                                    const std::string& directory) {
  const std::string opener = FindProgram("xdg-open");
  if (opener.empty()) return Failure(SE_ERR_NOASSOC);
  return Spawn(opener, {opener, target}, directory, false);
}

ShellExecuteResult ProcessLauncher::Spawn(const std::string& program,
                                          const std::vector<std::string>& argv,
                                          const std::string& directory, bool keepHandle) {
  SpawnSetup setup;
  if (const int error = setup.Prepare(directory)) return Failure(ShellCodeFor(error));

  std::vector<char*> args;
  args.reserve(argv.size() + 1);
  for (const std::string& a : argv) args.push_back(const_cast<char*>(a.c_str()));
  args.push_back(nullptr);

  pid_t pid = 0;
  const int error =
      posix_spawn(&pid, program.c_str(), &setup.actions, &setup.attributes, args.data(), environ);
  if (error != 0) {
    // The working folder may have gone since it was checked.
    if (error == ENOENT && !directory.empty() && !IsDirectory(directory)) {
      return Failure(SE_ERR_PNF);
    }
    return Failure(ShellCodeFor(error));
  }
  if (!keepHandle) {
    orphans_.push_back(pid);
    return {0, kStarted};
  }
  const ProcessHandle handle = nextHandle_++;
  children_[handle].pid = pid;
  return {handle, kStarted};
}

std::string FindOnSearchPath(const std::string& name,
                             const std::optional<std::string>& searchPath) {
  std::string path;
  if (searchPath) {
    path = *searchPath;
  } else if (const char* env = std::getenv("PATH")) {
    path = env;
  }
  size_t start = 0;
  while (start <= path.size()) {
    size_t end = path.find(':', start);
    if (end == std::string::npos) end = path.size();
    // An empty entry would mean the current folder: never searched, it is the install.
    if (end > start) {
      const std::string candidate = path.substr(start, end - start) + "/" + name;
      struct stat st {};
      if (stat(candidate.c_str(), &st) == 0 && S_ISREG(st.st_mode) &&
          access(candidate.c_str(), X_OK) == 0) {
        return candidate;
      }
    }
    start = end + 1;
  }
  return {};
}

std::string ProcessLauncher::FindProgram(const std::string& name) const {
  return FindOnSearchPath(name, searchPath_);
}

bool ProcessLauncher::Poll(Child& child, bool block) {
  if (child.ended) return true;
  int status = 0;
  pid_t got = 0;
  do {
    got = waitpid(child.pid, &status, block ? 0 : WNOHANG);
  } while (got < 0 && errno == EINTR);
  if (got == 0) return false;
  child.ended = true;
  // Otherwise (ECHILD) the status went elsewhere, for instance to a SIGCHLD set to
  // be ignored: the process is gone but its code is unknown.
  if (got == child.pid) child.exitCode = ExitCodeOf(status);
  return true;
}

void ProcessLauncher::ReapOrphans() {
  std::erase_if(orphans_, [](pid_t pid) {
    Child child;
    child.pid = pid;
    return Poll(child, false);
  });
}

std::optional<uint32_t> ProcessLauncher::GetExitCodeProcess(ProcessHandle process) {
  ReapOrphans();
  const auto it = children_.find(process);
  if (it == children_.end()) return std::nullopt;
  if (!Poll(it->second, false)) return STILL_ACTIVE;
  return it->second.exitCode;
}

void ProcessLauncher::WaitForProcess(ProcessHandle process) {
  const auto it = children_.find(process);
  if (it != children_.end()) Poll(it->second, true);
}

void ProcessLauncher::CloseProcess(ProcessHandle process) {
  const auto it = children_.find(process);
  if (it != children_.end()) {
    if (!Poll(it->second, false)) orphans_.push_back(it->second.pid);
    children_.erase(it);
  }
  ReapOrphans();
}

}  // namespace tazu
