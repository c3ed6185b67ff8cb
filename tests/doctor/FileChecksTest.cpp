// The single-file checks and the report, on files made here: each check must accept
// what the launcher's reader accepts and name the reason for what it refuses.
#include "tools/doctor/FileChecks.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>
#include <unistd.h>

#include <filesystem>

#include "archive/StreamArchiveWriter.h"
#include "framework/ImageCodecs.h"
#include "platform/posix/ProcessLauncher.h"
#include "tests/base/TempDir.h"
#include "tests/doctor/DoctorTestSupport.h"
#include "tools/doctor/DoctorReport.h"
#include "tools/doctor/ProgramCheck.h"

namespace tazu::doctor {
namespace {

using ::testing::HasSubstr;
using ::testing::StartsWith;
namespace fs = std::filesystem;

std::string Jpeg(int w, int h) {
  const std::vector<uint8_t> bytes = EncodeJpeg(Bitmap32(w, h, MakePixel(10, 200, 30)), 90);
  return std::string(bytes.begin(), bytes.end());
}

std::string Png(int w, int h) {
  const std::vector<uint8_t> bytes = EncodePng(Bitmap32(w, h, MakePixel(10, 20, 200)));
  return std::string(bytes.begin(), bytes.end());
}

std::vector<uint8_t> Bytes(const std::string& s) { return {s.begin(), s.end()}; }

class FileChecks : public ::testing::Test {
 protected:
  std::string Put(const std::string& name, const std::string& bytes) {
    return dir.Write(name, bytes);
  }
  test::TempDir dir;
};

// ---- pictures ----

TEST_F(FileChecks, PicturesThatDecodeAreOkWithTheirSize) {
  const CheckResult jpeg = CheckPictureFile(Put("a.jpg", Jpeg(40, 30)));
  EXPECT_EQ(jpeg.verdict, Verdict::Ok);
  EXPECT_EQ(jpeg.detail, "JPEG picture 40x30");
  // PNG data under a .jpg name: the launcher decodes by signature and shows it.
  const CheckResult png = CheckPictureFile(Put("b.jpg", Png(7, 9)));
  EXPECT_EQ(png.verdict, Verdict::Ok);
  EXPECT_THAT(png.detail, StartsWith("PNG picture 7x9"));
}

TEST_F(FileChecks, PicturesThatDoNotDecodeAreDamagedWithTheReason) {
  const CheckResult gif = CheckPictureFile(Put("a.jpg", "GIF89a....."));
  EXPECT_EQ(gif.verdict, Verdict::Damaged);
  EXPECT_THAT(gif.detail, StartsWith("not a JPEG file ("));
  EXPECT_THAT(gif.detail, HasSubstr("starts with 0x47 0x49"));

  const CheckResult empty = CheckPictureFile(Put("b.jpg", ""));
  EXPECT_EQ(empty.verdict, Verdict::Damaged);
  EXPECT_THAT(empty.detail, HasSubstr("the file is empty"));

  const std::string jpeg = Jpeg(64, 64);
  const CheckResult cut = CheckPictureFile(Put("c.jpg", jpeg.substr(0, jpeg.size() / 2)));
  EXPECT_EQ(cut.verdict, Verdict::Damaged);
  EXPECT_THAT(cut.detail, StartsWith("cannot be decoded (JPEG error"));
}

// ---- frame library ----

std::vector<TArchiveEntry> Frames(int count) {
  std::vector<TArchiveEntry> entries;
  for (int n = 1; n <= count; ++n) {
    entries.push_back({"frame" + std::to_string(n), Bytes(Jpeg(8, 8))});
  }
  return entries;
}

TEST_F(FileChecks, FrameLibraryWithEveryFrameDecodingIsOk) {
  const std::string path = (dir.Path() / "lib.frm").string();
  SaveArchiveToFile(Frames(12), path);
  const CheckResult result = CheckFrameLibrary(path, 12);
  EXPECT_EQ(result.verdict, Verdict::Ok) << result.detail;
  EXPECT_EQ(result.detail, "all 12 frames decode");
}

TEST_F(FileChecks, FrameLibraryNamesItsDamagedAndAbsentFrames) {
  std::vector<TArchiveEntry> entries = Frames(12);
  entries[4].Data = Bytes("no picture here");  // frame5
  entries.erase(entries.begin() + 8);          // frame9
  const std::string path = (dir.Path() / "lib.frm").string();
  SaveArchiveToFile(entries, path);
  const CheckResult result = CheckFrameLibrary(path, 12);
  EXPECT_EQ(result.verdict, Verdict::Damaged);
  EXPECT_THAT(result.detail, StartsWith("2 of 12 frames do not show (frame5 "));
  EXPECT_THAT(result.detail, HasSubstr("frame9 absent"));
}

TEST_F(FileChecks, FrameLibraryThatDoesNotLoadIsDamaged) {
  const CheckResult result = CheckFrameLibrary(Put("lib.frm", "&\x01not an archive at all"), 126);
  EXPECT_EQ(result.verdict, Verdict::Damaged);
  EXPECT_THAT(result.detail, StartsWith("cannot be loaded ("));
}

// ---- prompts ----

TEST_F(FileChecks, WaveHeaderCheck) {
  EXPECT_EQ(CheckWaveFile(Put("ok.wav", test::WaveFile())).verdict, Verdict::Ok);

  const CheckResult mp3 = CheckWaveFile(Put("a.wav", "ID3\x03" + std::string(60, '\0')));
  EXPECT_EQ(mp3.verdict, Verdict::Damaged);
  EXPECT_THAT(mp3.detail, StartsWith("not a RIFF WAVE file"));

  const CheckResult cut = CheckWaveFile(Put("b.wav", test::WaveFile().substr(0, 20)));
  EXPECT_EQ(cut.verdict, Verdict::Damaged);
  EXPECT_THAT(cut.detail, StartsWith("ends within its wave header"));

  const CheckResult empty = CheckWaveFile(Put("c.wav", ""));
  EXPECT_EQ(empty.verdict, Verdict::Damaged);
  EXPECT_THAT(empty.detail, HasSubstr("plays nothing"));
}

// ---- music ----

TEST_F(FileChecks, MidiHeaderCheck) {
  EXPECT_EQ(MidiHeaderProblem(Bytes(test::MidiFile())), "");
  EXPECT_EQ(MidiHeaderProblem(Bytes(test::MidiFile(1, 1, 96))), "");
  // Wrapped in a RIFF RMID file, as some Windows installs carry them.
  const std::string midi = test::MidiFile();
  const std::string rmid = "RIFF" + test::Le32(static_cast<uint32_t>(12 + midi.size())) + "RMID" +
                           "data" + test::Le32(static_cast<uint32_t>(midi.size())) + midi;
  EXPECT_EQ(MidiHeaderProblem(Bytes(rmid)), "");

  EXPECT_THAT(MidiHeaderProblem(Bytes("RIFF....WAVEfmt ")), StartsWith("no \"MThd\" header"));
  EXPECT_THAT(MidiHeaderProblem(Bytes(test::MidiFile(3))), HasSubstr("format 3"));
  EXPECT_EQ(MidiHeaderProblem(Bytes(test::MidiFile(0, 0))), "no tracks");
  EXPECT_EQ(MidiHeaderProblem(Bytes(test::MidiFile(0, 1, 0))), "time division 0");
  std::string longHeader = test::MidiFile();
  longHeader.replace(4, 4, test::Be32(100000));
  EXPECT_THAT(MidiHeaderProblem(Bytes(longHeader)), HasSubstr("is not sane"));
  const std::string headerOnly = test::MidiFile().substr(0, 14);
  EXPECT_EQ(MidiHeaderProblem(Bytes(headerOnly)), "no \"MTrk\" track chunk");
  EXPECT_EQ(MidiHeaderProblem(Bytes("MThd")), "header chunk cut short");
}

TEST_F(FileChecks, MidiFileVerdicts) {
  EXPECT_EQ(CheckMidiFile(Put("a.mid", test::MidiFile())).verdict, Verdict::Ok);
  const CheckResult bad = CheckMidiFile(Put("b.mid", test::WaveFile()));
  EXPECT_EQ(bad.verdict, Verdict::Damaged);
  EXPECT_THAT(bad.detail, StartsWith("not a MIDI file: no \"MThd\""));
}

// ---- programs ----

class ProgramChecks : public FileChecks {
 protected:
  std::string Program(const std::string& name, const std::string& bytes, fs::perms perms) {
    const std::string path = Put(name, bytes);
    fs::permissions(path, perms);
    return path;
  }
  static constexpr fs::perms kRunnable = fs::perms::owner_all | fs::perms::group_read |
                                         fs::perms::group_exec | fs::perms::others_read |
                                         fs::perms::others_exec;
  static constexpr fs::perms kPlain = fs::perms::owner_read | fs::perms::owner_write;
};

TEST_F(ProgramChecks, NativeProgramsAndScriptsWithExecutePermissionStart) {
  const std::string elf = Program("a.exe",
                                  std::string("\x7f"
                                              "ELF\x02\x01\x01",
                                              7),
                                  kRunnable);
  const CheckResult native = CheckProgramFile(elf);
  EXPECT_EQ(native.verdict, Verdict::Ok);
  EXPECT_THAT(native.detail, HasSubstr("native program (ELF"));

  const CheckResult script = CheckProgramFile(Program("b.exe", "#!/bin/sh\nexit 0\n", kRunnable));
  EXPECT_EQ(script.verdict, Verdict::Ok);
  EXPECT_THAT(script.detail, HasSubstr("script run by /bin/sh"));
}

TEST_F(ProgramChecks, ProgramsThatCannotStartAreDamaged) {
  const CheckResult noExec = CheckProgramFile(Program("a.exe", "#!/bin/sh\n", kPlain));
  EXPECT_EQ(noExec.verdict, Verdict::Damaged);
  EXPECT_THAT(noExec.detail, HasSubstr("no execute permission"));

  const CheckResult lostInterpreter =
      CheckProgramFile(Program("b.exe", "#!/no/such/shell -e\n", kRunnable));
  EXPECT_EQ(lostInterpreter.verdict, Verdict::Damaged);
  EXPECT_THAT(lostInterpreter.detail, HasSubstr("\"/no/such/shell\" cannot be run"));

  const CheckResult text = CheckProgramFile(Program("c.exe", "hello", kRunnable));
  EXPECT_EQ(text.verdict, Verdict::Damaged);
  EXPECT_THAT(text.detail, HasSubstr("neither an ELF program nor"));

  fs::create_directories(dir.Path() / "d.exe");
  EXPECT_EQ(CheckProgramFile((dir.Path() / "d.exe").string()).verdict, Verdict::Damaged);
}

TEST_F(ProgramChecks, WindowsProgramsNeedWineOnTheSearchPath) {
  // An MZ program goes to wine whatever its permissions.
  const std::string exe = Program("a.exe", "MZ\x90\x00", kPlain);
  const std::string empty = (dir.Path() / "nothing").string();
  fs::create_directories(empty);
  const CheckResult without = CheckProgramFile(exe, empty);
  EXPECT_EQ(without.verdict, Verdict::Damaged);
  EXPECT_THAT(without.detail, HasSubstr("no \"wine\""));

  const std::string bin = (dir.Path() / "bin").string();
  Program("bin/wine", "#!/bin/sh\n", kRunnable);
  const CheckResult with = CheckProgramFile(exe, empty + ":" + bin);
  EXPECT_EQ(with.verdict, Verdict::Ok);
  EXPECT_THAT(with.detail, HasSubstr("started through " + bin + "/wine"));
  EXPECT_EQ(FindOnSearchPath("wine", "::" + bin), bin + "/wine");
}

// ---- the report ----

TEST(DoctorReportTest, LinesSummaryAndWhatCounts) {
  DoctorReport report;
  report.Add({Verdict::Ok, "menu\\menu_0_A.jpg", "JPEG picture 800x600"});
  report.Add({Verdict::Missing, "add_A.jpg", "not found", Weight::Warning});
  EXPECT_TRUE(report.Passed());
  report.Add({Verdict::Damaged, "Music\\pelkor2.mid", "not a MIDI file", Weight::Error});
  EXPECT_FALSE(report.Passed());
  // An OK finding never counts as a problem, whatever its weight.
  report.Add({Verdict::Ok, "x", "", Weight::Warning});

  EXPECT_EQ(FormatFinding(report.Findings()[0]), "OK menu\\menu_0_A.jpg: JPEG picture 800x600");
  EXPECT_EQ(FormatFinding(report.Findings()[1]), "MISSING add_A.jpg: not found (warning)");
  EXPECT_EQ(FormatFinding(report.Findings()[2]), "DAMAGED Music\\pelkor2.mid: not a MIDI file");
  EXPECT_EQ(FormatSummary(report), "2 OK, 1 MISSING, 1 DAMAGED (1 is only a warning)");
  EXPECT_EQ(report.ErrorCount(), 1);
  EXPECT_EQ(report.WarningCount(), 1);
}

}  // namespace
}  // namespace tazu::doctor
