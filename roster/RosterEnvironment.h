// What the roster needs to know about its surroundings: the process environment,
// two folders the system names, and how its file is reached. Behind an interface so
// that tests can choose them; the default reads the real process.
#pragma once

#include <memory>
#include <string>
#include <vector>

#include "roster/RosterStorage.h"

namespace tazu {

class RosterEnvironment {
 public:
  virtual ~RosterEnvironment() = default;

  // The environment block in its own order, one "NAME=value" text per entry.
  virtual std::vector<std::string> EnvironmentBlock() const = 0;
  // The system folder; it may or may not end in a separator.
  virtual std::string SystemFolder() const = 0;
  // The process's current folder; it may or may not end in a separator.
  virtual std::string CurrentFolder() const = 0;
  // How the roster's file and folder are reached: the process's own storage unless
  // a test chooses another.
  virtual std::shared_ptr<RosterStorage> Storage() const;
};

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
};

}  // namespace tazu
