// What the roster needs to know about its surroundings: the process environment,
// two folders the system names, and how its file is reached. Behind an interface so
// that tests can choose them; the real process's lives with the platform code
// (platform/ProcessRoster.h).
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
  // How the roster's file and folder are reached.
  virtual std::shared_ptr<RosterStorage> Storage() const = 0;
};

}  // namespace tazu
