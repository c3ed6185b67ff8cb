// Builds a complete demo install folder: the launcher's folder tree with pictures
// drawn to the screens' layouts, so the program can be run and tested without the
// real installation data.
#pragma once

#include <string>

namespace tazu::demo {

// Creates `folder` (and everything in it that is missing). Raises on a write failure.
void MakeDemoInstall(const std::string& folder);

}  // namespace tazu::demo
