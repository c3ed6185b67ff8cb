#include "platform/Environment.h"

#include <cstdlib>

namespace tazu {

void SetProcessEnv(const std::string& name, const std::string& value, bool overwrite) {
  setenv(name.c_str(), value.c_str(), overwrite ? 1 : 0);
}

void UnsetProcessEnv(const std::string& name) { unsetenv(name.c_str()); }

}  // namespace tazu
