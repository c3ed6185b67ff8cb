// The roster as this process reaches it: the real environment block, folders, file
// access and locks. Chosen by the program's entry point and the tools; the roster
// library itself never touches the operating system.
#pragma once

#include <memory>

#include "roster/RosterEnvironment.h"
#include "roster/StudentDatabase.h"

namespace tazu {

// The process's own storage. It lives until the process ends, so that a roster call
// still at work after its caller gave up on it never outlives it.
std::shared_ptr<RosterStorage> ProcessRosterStorage();

// The real process. On Windows the system folder is the one GetSystemDirectory
// names. Linux has no such folder that users may write to, so it stands in with
// kSharedDataFolder: one folder for every user of the machine, made world-writable
// with the sticky bit (like /tmp) when this process is allowed to create it. When
// it neither exists nor can be made (an ordinary user on a machine where nobody set
// it up), the user's own data folder ($XDG_DATA_HOME or ~/.local/share, then
// "pelkor-tazu") is used instead, so the roster still works for that user.
class DefaultRosterEnvironment final : public RosterEnvironment {
 public:
  static constexpr const char* kSharedDataFolder = "/var/lib/pelkor-tazu";
  static constexpr const char* kUserDataSubFolder = "pelkor-tazu";

  std::vector<std::string> EnvironmentBlock() const override;
  std::string SystemFolder() const override;
  std::string CurrentFolder() const override;
  std::shared_ptr<RosterStorage> Storage() const override { return ProcessRosterStorage(); }
};

// The roster routines against the real process.
inline int16_t FindLearner(std::string_view name, std::string_view secondKey,
                           std::string_view shortKey) noexcept {
  return FindLearner(DefaultRosterEnvironment(), name, secondKey, shortKey);
}
inline int16_t RecordLearnerUse(int slot, int level, std::string_view name,
                                std::string_view secondKey, std::string_view shortKey) noexcept {
  return RecordLearnerUse(DefaultRosterEnvironment(), slot, level, name, secondKey, shortKey);
}

}  // namespace tazu
