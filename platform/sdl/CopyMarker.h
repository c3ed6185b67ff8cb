// The marker a running copy of the program holds: a lock file named after the program
// file in the user's runtime folder, locked with flock on a descriptor kept open for the
// life of this object. The kernel drops the lock when the process ends in any way (even
// SIGKILL), so a stale file never blocks a later copy.
#pragma once

#include <string>
#include <vector>

namespace tazu {

class CopyMarker {
 public:
  CopyMarker() = default;
  ~CopyMarker();
  CopyMarker(const CopyMarker&) = delete;
  CopyMarker& operator=(const CopyMarker&) = delete;

  // $XDG_RUNTIME_DIR when set, else /tmp/pelkor-tazu-<uid> (made 0700 and refused when
  // another user owns it or others may write to it); empty when there is none.
  static std::string Folder();
  // The lock file of marker `name`.
  static std::string PathOf(const std::string& name);

  // Takes marker `name`; true when another open lock (another copy, or an earlier
  // Take of the same name) holds it already. A marker that cannot be made at all
  // counts as free: the program then runs as a first copy.
  bool Take(const std::string& name);

 private:
  std::vector<int> descriptors_;
};

}  // namespace tazu
