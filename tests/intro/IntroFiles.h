// The intro screen's files for tests: a frame library whose frames carry their number
// in the red channel, the language background and the two name boards.
#pragma once

#include <filesystem>
#include <string>
#include <vector>

#include "archive/StreamArchiveWriter.h"
#include "framework/ImageCodecs.h"
#include "tests/base/TempDir.h"

namespace tazu::test {

inline std::string Jpeg(int w, int h, uint32_t pixel) {
  const auto bytes = EncodeJpeg(Bitmap32(w, h, pixel), 95);
  return std::string(bytes.begin(), bytes.end());
}

// A playable 8-bit mono WAV file whose sound bytes are `marker`, so tests can tell
// prompts apart by what the platform was given to play.
inline std::string Wav(const std::string& marker) {
  auto u32 = [](uint32_t v) {
    return std::string{static_cast<char>(v), static_cast<char>(v >> 8), static_cast<char>(v >> 16),
                       static_cast<char>(v >> 24)};
  };
  auto u16 = [](uint16_t v) {
    return std::string{static_cast<char>(v), static_cast<char>(v >> 8)};
  };
  return "RIFF" + u32(static_cast<uint32_t>(36 + marker.size())) + "WAVE" + "fmt " + u32(16) +
         u16(1) + u16(1) + u32(8000) + u32(8000) + u16(1) + u16(8) + "data" +
         u32(static_cast<uint32_t>(marker.size())) + marker;
}

// The sound bytes of a file made by Wav.
inline std::string WavMarker(const std::vector<uint8_t>& file) {
  return file.size() < 44 ? std::string() : std::string(file.begin() + 44, file.end());
}

inline void WriteFrameLibrary(const TempDir& install, bool damageFrame60 = false) {
  std::filesystem::create_directories(install.Path() / "menu");
  std::vector<TArchiveEntry> entries;
  for (int n = 1; n <= 126; ++n) {
    std::string bytes = Jpeg(16, 16, MakePixel(static_cast<uint8_t>(n * 2), 50, 50));
    if (n == 60 && damageFrame60) bytes = "no picture here";
    entries.push_back({"frame" + std::to_string(n), {bytes.begin(), bytes.end()}});
  }
  SaveArchiveToFile(entries, (install.Path() / "menu" / "intro_126.frm").string());
}

inline void WriteIntroFiles(const TempDir& install) {
  WriteFrameLibrary(install);
  install.Write("menu/intro1.jpg", Jpeg(800, 600, MakePixel(0, 0, 200)));
  install.Write("menu/nameselect_A.jpg", Jpeg(403, 324, MakePixel(200, 0, 0)));
  install.Write("menu/nameselect_E.jpg", Jpeg(403, 324, MakePixel(0, 200, 0)));
}

}  // namespace tazu::test
