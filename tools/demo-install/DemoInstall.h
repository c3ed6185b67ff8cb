// Builds a complete demo install folder: the launcher's folder tree with pictures
// drawn to the screens' layouts, so the program can be run and tested without the
// real installation data.
#pragma once

#include <cstdint>
#include <filesystem>
#include <string>
#include <vector>

namespace tazu::demo {

// Writes `bytes` as the whole file `path`; raises std::runtime_error when it cannot.
void WriteDemoFile(const std::filesystem::path& path, const std::vector<uint8_t>& bytes);

// Creates `folder` (and everything in it that is missing). Raises on a write failure.
void MakeDemoInstall(const std::string& folder);

}  // namespace tazu::demo
