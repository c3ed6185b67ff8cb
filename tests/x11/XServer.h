// An X server of the test's own (Xvfb, or Xorg with the dummy video driver for real
// mode switches), started on a display number the server picks itself and stopped
// (killed if need be) when the object goes. Also small process helpers for tests that
// let a child process die in chosen ways.
#pragma once

#include <sys/types.h>

#include <memory>
#include <string>
#include <vector>

namespace tazu::test {

class XServer {
 public:
  // Nothing, with `why` set, when the server is not installed or does not start.
  static std::unique_ptr<XServer> StartXvfb(int width, int height, int depth, std::string& why);
  // Xorg on the dummy driver, 24-bit, with 1024x768 and 800x600 modes at 60 Hz,
  // starting at 1024x768.
  static std::unique_ptr<XServer> StartDummyXorg(std::string& why);
  // Whether Xorg and its dummy driver are installed; even then Xorg may refuse to
  // start where the machine gives the test no console or privileges.
  static bool DummyXorgInstalled();
  ~XServer();
  XServer(const XServer&) = delete;
  XServer& operator=(const XServer&) = delete;

  const std::string& Name() const { return name_; }  // ":N"
  pid_t Pid() const { return pid_; }

 private:
  XServer() = default;
  static std::unique_ptr<XServer> Start(const std::string& program,
                                        const std::vector<std::string>& arguments,
                                        std::string& why);

  pid_t pid_ = -1;
  std::string name_;
  std::string folder_;  // temporary files of the server, removed at the end
};

// Waits up to `timeoutMs` for `pid` to end; kills it and answers false when it does
// not. `status` receives waitpid's status.
bool WaitForExit(pid_t pid, int timeoutMs, int& status);

// Makes this process the parent of its orphaned descendants (the guardians of the
// launchers a test kills), so that they are collected here rather than left to init.
void AdoptOrphans();

// Reaps every child of this process except `keep`, waiting up to `timeoutMs` for them
// to end; true when none is left.
bool ReapChildrenExcept(const std::vector<pid_t>& keep, int timeoutMs);

// Full path of `program` found on PATH, or empty.
std::string FindProgram(const std::string& program);

}  // namespace tazu::test
