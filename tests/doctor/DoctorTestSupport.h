// Helpers for the install checker's tests: small files of each kind the launcher
// reads, and a listing of a folder tree that shows any change made to it.
#pragma once

#include <sys/stat.h>

#include <algorithm>
#include <cstdint>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "tools/doctor/DoctorReport.h"

namespace tazu::test {

inline std::string Be32(uint32_t v) {
  return {static_cast<char>(v >> 24), static_cast<char>(v >> 16), static_cast<char>(v >> 8),
          static_cast<char>(v)};
}

inline std::string Be16(uint16_t v) { return {static_cast<char>(v >> 8), static_cast<char>(v)}; }

inline std::string Le32(uint32_t v) {
  return {static_cast<char>(v), static_cast<char>(v >> 8), static_cast<char>(v >> 16),
          static_cast<char>(v >> 24)};
}

inline std::string Le16(uint16_t v) { return {static_cast<char>(v), static_cast<char>(v >> 8)}; }

// A Standard MIDI File with one track holding one note; the header fields as given.
inline std::string MidiFile(uint16_t format = 0, uint16_t tracks = 1, uint16_t division = 480) {
  const std::string track("\x00\x90\x3c\x60\x83\x60\x80\x3c\x40\x00\xff\x2f\x00", 13);
  return "MThd" + Be32(6) + Be16(format) + Be16(tracks) + Be16(division) + "MTrk" +
         Be32(static_cast<uint32_t>(track.size())) + track;
}

// An 8-bit mono PCM RIFF WAVE file holding `samples` bytes of sound.
inline std::string WaveFile(const std::string& samples = std::string(64, '\x80')) {
  return "RIFF" + Le32(static_cast<uint32_t>(36 + samples.size())) + "WAVE" + "fmt " + Le32(16) +
         Le16(1) + Le16(1) + Le32(8000) + Le32(8000) + Le16(1) + Le16(8) + "data" +
         Le32(static_cast<uint32_t>(samples.size())) + samples;
}

inline void PutFile(const std::filesystem::path& path, const std::string& bytes) {
  std::filesystem::create_directories(path.parent_path());
  std::ofstream(path, std::ios::binary | std::ios::trunc) << bytes;
}

inline std::string FileText(const std::filesystem::path& path) {
  std::ifstream in(path, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

// Every entry below `root` with its type, size, permissions and modification time
// (nanoseconds), sorted by path: two listings are equal only when nothing was made,
// removed, written or changed in between.
inline std::vector<std::string> TreeListing(const std::filesystem::path& root) {
  std::vector<std::string> lines;
  for (const auto& entry : std::filesystem::recursive_directory_iterator(root)) {
    struct stat st {};
    lstat(entry.path().c_str(), &st);
    lines.push_back(std::filesystem::relative(entry.path(), root).string() +
                    " mode=" + std::to_string(st.st_mode) + " size=" + std::to_string(st.st_size) +
                    " mtime=" + std::to_string(st.st_mtim.tv_sec) + "." +
                    std::to_string(st.st_mtim.tv_nsec));
  }
  std::sort(lines.begin(), lines.end());
  return lines;
}

// The findings that are not OK, formatted.
inline std::vector<std::string> Problems(const doctor::DoctorReport& report) {
  std::vector<std::string> lines;
  for (const doctor::Finding& f : report.Findings()) {
    if (f.verdict != doctor::Verdict::Ok) lines.push_back(doctor::FormatFinding(f));
  }
  return lines;
}

// The finding about `subject`, or nullptr.
inline const doctor::Finding* FindingFor(const doctor::DoctorReport& report,
                                         const std::string& subject) {
  for (const doctor::Finding& f : report.Findings()) {
    if (f.subject == subject) return &f;
  }
  return nullptr;
}

}  // namespace tazu::test
