// Changing the process's own environment (the C library's view, which getenv reads).
#pragma once

#include <string>

namespace tazu {

// Sets `name` to `value`; with `overwrite` false an existing value is kept.
void SetProcessEnv(const std::string& name, const std::string& value, bool overwrite = true);
void UnsetProcessEnv(const std::string& name);

}  // namespace tazu
