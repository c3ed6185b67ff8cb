#include "tools/doctor/FileChecks.h"

#include <cstdio>
#include <exception>
#include <vector>

#include "archive/MidiFile.h"
#include "archive/StreamArchive.h"
#include "base/ByteReader.h"
#include "base/Streams.h"
#include "controls/WaveHeader.h"
#include "framework/Picture.h"
#include "screens/intro/IntroFiles.h"

namespace tazu::doctor {
namespace {

constexpr size_t kOpeningBytesShown = 2;
// Damaged frames named in one finding; the rest are only counted.
constexpr size_t kFramesNamed = 3;

constexpr uint32_t kHighestMidiFormat = 2;

std::string Dimensions(const TPicture& picture) {
  return std::to_string(picture.Width()) + "x" + std::to_string(picture.Height());
}

// Why a frame taken out of the library does not show; empty when it does.
std::string FrameProblem(TStreamArchive& archive, int n, TMemoryStream& buffer) {
  buffer.Clear();
  archive.GetStream(intro::FrameName(n), buffer);
  if (buffer.Size() == 0) return "absent";
  try {
    TPicture picture;
    picture.LoadFromStream(buffer);
    return {};
  } catch (const std::exception& e) {
    return e.what();
  }
}

}  // namespace

std::string DescribeOpening(std::span<const uint8_t> bytes) {
  if (bytes.empty()) return "the file is empty";
  std::string text = "starts with";
  for (size_t i = 0; i < bytes.size() && i < kOpeningBytesShown; ++i) {
    char hex[8];
    std::snprintf(hex, sizeof hex, " 0x%02X", bytes[i]);
    text += hex;
  }
  return text;
}

CheckResult CheckPictureFile(const std::string& path) {
  std::vector<uint8_t> bytes;
  try {
    bytes = ReadWholeFile(path);
  } catch (const std::exception& e) {
    return {Verdict::Damaged, std::string("cannot be read (") + e.what() + ")"};
  }
  TPicture picture;
  try {
    picture.LoadFromMemory(bytes);
  } catch (const std::exception& e) {
    if (DetectImageFormat(bytes) == ImageFormat::Unknown) {
      return {Verdict::Damaged,
              std::string("not a JPEG file (") + e.what() + ": " + DescribeOpening(bytes) + ")"};
    }
    return {Verdict::Damaged, std::string("cannot be decoded (") + e.what() + ")"};
  }
  if (picture.Format() == ImageFormat::Png) {
    return {Verdict::Ok, "PNG picture " + Dimensions(picture) + " (shown, though named .jpg)"};
  }
  return {Verdict::Ok, "JPEG picture " + Dimensions(picture)};
}

CheckResult CheckFrameLibrary(const std::string& path, int frameCount) {
  // Set up as the intro screen's archive component is.
  TStreamArchive archive;
  archive.SetCompressed(true);
  archive.SetEncrypted(false);
  try {
    archive.LoadFromFile(path);
  } catch (const std::exception& e) {
    return {Verdict::Damaged, std::string("cannot be loaded (") + e.what() + ")"};
  }
  TMemoryStream buffer;
  std::vector<std::string> problems;
  int damaged = 0;
  for (int n = 1; n <= frameCount; ++n) {
    const std::string problem = FrameProblem(archive, n, buffer);
    if (problem.empty()) continue;
    ++damaged;
    if (problems.size() < kFramesNamed) problems.push_back(intro::FrameName(n) + " " + problem);
  }
  const std::string total = std::to_string(frameCount);
  if (damaged == 0) {
    return {Verdict::Ok, "all " + total + " frames decode"};
  }
  std::string detail = std::to_string(damaged) + " of " + total + " frames do not show (";
  for (size_t i = 0; i < problems.size(); ++i) detail += (i > 0 ? "; " : "") + problems[i];
  if (static_cast<size_t>(damaged) > problems.size()) detail += "; ...";
  return {Verdict::Damaged, detail + ")"};
}

CheckResult CheckWaveFile(const std::string& path) {
  try {
    TFileStream file(path, FileMode::OpenRead);
    const int64_t size = file.Size();
    // The wave player takes an empty file as no sound at all.
    if (size == 0) return {Verdict::Damaged, "empty file (plays nothing)"};
    ReadCheckedWave(file, size);
    return {Verdict::Ok, "RIFF WAVE, " + std::to_string(size) + " bytes"};
  } catch (const EInvalidWave& e) {
    return {Verdict::Damaged, std::string("not a RIFF WAVE file (") + e.what() + ")"};
  } catch (const EErrorCheckingWave& e) {
    return {Verdict::Damaged, std::string("ends within its wave header (") + e.what() + ")"};
  } catch (const std::exception& e) {
    return {Verdict::Damaged, std::string("cannot be read (") + e.what() + ")"};
  }
}

std::string MidiHeaderProblem(std::span<const uint8_t> bytes) {
  const std::span<const uint8_t> midi = MidiData(bytes);
  ByteReader r(midi);
  if (!r.Tag("MThd")) return "no \"MThd\" header chunk (" + DescribeOpening(midi) + ")";
  const MidiHeader header = ReadMidiHeader(r);
  if (!r.Ok()) return "header chunk cut short";
  if (header.length < kMidiHeaderFieldBytes || !r.Skip(header.length - kMidiHeaderFieldBytes)) {
    return "header chunk length " + std::to_string(header.length) + " is not sane";
  }
  if (header.format > kHighestMidiFormat) {
    return "unknown MIDI format " + std::to_string(header.format);
  }
  if (header.tracks == 0) return "no tracks";
  if (header.division == 0) return "time division 0";
  while (const auto chunk = NextChunk(r, false)) {
    if (chunk->tag == "MTrk") return {};
  }
  return "no \"MTrk\" track chunk";
}

CheckResult CheckMidiFile(const std::string& path) {
  std::vector<uint8_t> bytes;
  try {
    bytes = ReadWholeFile(path);
  } catch (const std::exception& e) {
    return {Verdict::Damaged, std::string("cannot be read (") + e.what() + ")"};
  }
  if (const std::string problem = MidiHeaderProblem(bytes); !problem.empty()) {
    return {Verdict::Damaged, "not a MIDI file: " + problem};
  }
  return {Verdict::Ok, "Standard MIDI File, " + std::to_string(bytes.size()) + " bytes"};
}

}  // namespace tazu::doctor
