// The platform of the system the program was built for (each backend defines it).
#pragma once

#include <memory>

#include "platform/Platform.h"

namespace tazu {

// Raises std::runtime_error with the system's message when the display cannot start.
std::unique_ptr<Platform> CreateNativePlatform();

}  // namespace tazu
