// A dead man's switch for changes the launcher makes to the desktop. A small child
// process, forked before anything else starts, is told over a socket what must be put
// back (as keyed text records). When the socket closes while records remain — the
// launcher was killed or crashed — the child calls the restorer and exits; when the
// launcher ends normally it has cleared every record and the child exits quietly.
#pragma once

#include <sys/types.h>

#include <map>
#include <string>

namespace tazu {

class SessionGuardian {
 public:
  using Records = std::map<std::string, std::string>;
  // Runs in the guardian process after the launcher is gone. Must not rely on anything
  // the launcher set up after the fork.
  using Restorer = void (*)(const Records& records);

  // Forks the guardian. Call before any thread or display connection exists. Without
  // fork the object is inactive and every call does nothing.
  explicit SessionGuardian(Restorer restorer);
  // Stop(): the owner has normally cleared every record by then; whatever is still set
  // is restored by the guardian as a second attempt.
  ~SessionGuardian();
  SessionGuardian(const SessionGuardian&) = delete;
  SessionGuardian& operator=(const SessionGuardian&) = delete;

  bool Active() const { return pid_ > 0; }
  pid_t Pid() const { return pid_; }

  // Sets the record `key` to `value`; an empty value removes it. Keys hold no blanks
  // and neither holds a line break.
  void Set(const std::string& key, const std::string& value);
  // Closes the connection and reaps the guardian (bounded wait).
  void Stop();

 private:
  void Reap(bool wait);

  pid_t pid_ = -1;
  int socket_ = -1;
};

}  // namespace tazu
