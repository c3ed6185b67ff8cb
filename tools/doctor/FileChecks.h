// The checks of single files, each made with the reader the launcher itself uses:
// pictures as the screens load them, the intro's frame library as the intro screen
// expands and shows it, prompts through the wave header check, and music through the
// opening chunk of a Standard MIDI File. The file is known to exist; a check reads it
// and never writes.
#pragma once

#include <cstdint>
#include <span>
#include <string>

#include "tools/doctor/DoctorReport.h"

namespace tazu::doctor {

struct CheckResult {
  Verdict verdict = Verdict::Ok;
  std::string detail;
};

// A picture the launcher loads from a file (JPEG, or PNG data, which it shows too).
CheckResult CheckPictureFile(const std::string& path);

// The frame library: loads as the intro screen's archive does, and frames "frame1" to
// "frame<frameCount>" each decode as a picture.
CheckResult CheckFrameLibrary(const std::string& path, int frameCount);

// A prompt: the wave player's header check over the whole file.
CheckResult CheckWaveFile(const std::string& path);

// A music piece: a Standard MIDI File ("MThd" header chunk of a sane length, format
// 0 to 2, at least one track and a non-zero time division), bare or in a RIFF RMID
// wrapper.
CheckResult CheckMidiFile(const std::string& path);
// The same over bytes already read; empty detail means the header is sound.
std::string MidiHeaderProblem(std::span<const uint8_t> bytes);

// "starts with 0x89 0x50": the first bytes of a file, for reports of a wrong format.
std::string DescribeOpening(std::span<const uint8_t> bytes);

}  // namespace tazu::doctor
