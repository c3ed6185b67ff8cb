#include <cstdlib>

#include "platform/Environment.h"

namespace tazu {

void SetProcessEnv(const std::string& name, const std::string& value, bool overwrite) {
  if (!overwrite && std::getenv(name.c_str()) != nullptr) return;
  _putenv_s(name.c_str(), value.c_str());
}

// An empty value removes the variable from the C library's environment.
void UnsetProcessEnv(const std::string& name) { _putenv_s(name.c_str(), ""); }

}  // namespace tazu
