// The roster tool: its list and CSV lines, damaged files reported as far as they are
// sound, the check of a whole file, and that it never writes the roster.
#include "tools/roster/RosterReport.h"

#include <gtest/gtest.h>

#include <sys/wait.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <filesystem>
#include <sstream>
#include <string>

#include "tests/base/TempDir.h"
#include "tests/roster/RosterTestSupport.h"

namespace fs = std::filesystem;

namespace tazu {
namespace {

using test::RecordBytes;

LearnerRecord Record(const std::string& bytes) {
  LearnerRecord::Bytes raw{};
  std::copy(bytes.begin(), bytes.end(), raw.begin());
  return LearnerRecord(raw);
}

struct ToolRun {
  int code;
  std::string out;
  std::string err;
};

ToolRun Report(const std::string& bytes, RosterReportFormat format) {
  std::istringstream in(bytes);
  std::ostringstream out, err;
  const int code = ReportRoster(in, format, out, err);
  return {code, out.str(), err.str()};
}

size_t Lines(const std::string& text) {
  return static_cast<size_t>(std::count(text.begin(), text.end(), '\n'));
}

TEST(RosterReportTest, ListLineShowsKeysAndUsedSlots) {
  EXPECT_EQ(ListLine(Record(RecordBytes(1, "ANNA", "", "", {{3, 1, {1, 0, 0, 0, 0}}}))),
            "1  \"ANNA\"  \"\"  \"\"  slot 3: last 1, tallies 1 0 0 0 0");
  EXPECT_EQ(ListLine(Record(RecordBytes(-5, "BEN", "K2", "ab",
                                        {{1, 4, {0, 0, 0, 0, 0}}, {20, 5, {7, 0, 0, 0, 70000}}}))),
            "-5  \"BEN\"  \"K2\"  \"ab\"  slot 1: last 4, tallies 0 0 0 0 0; "
            "slot 20: last 5, tallies 7 0 0 0 70000");
  EXPECT_EQ(ListLine(Record(RecordBytes(2, "CARL", "", "", {}))),
            "2  \"CARL\"  \"\"  \"\"  no slot used");
}

TEST(RosterReportTest, TextsAreShownAsUtf8WithEscapes) {
  EXPECT_EQ(AnsiToUtf8("\xCA\xCB\x80Z"),
            "\xC3\x8A\xC3\x8B\xE2\x82\xAC"
            "Z");
  EXPECT_EQ(ListLine(Record(RecordBytes(3, "A\"B\\\x01", "", "", {}))),
            "3  \"A\\\"B\\\\\\x01\"  \"\"  \"\"  no slot used");
}

TEST(RosterReportTest, CsvHasHeaderAndEveryField) {
  const std::string header = CsvHeader();
  EXPECT_EQ(std::count(header.begin(), header.end(), ','), 4 + 26 * 6 - 1);
  EXPECT_EQ(header.substr(0, 52), "Id,Name,SecondKey,ShortKey,Slot1Last,Slot1Tally1,Slo");
  EXPECT_EQ(header.substr(header.size() - 12), "Slot26Tally5");

  const std::string row =
      CsvRow(Record(RecordBytes(9, "DE WET, \"JAN\"", "", "x", {{2, 3, {0, 0, 4, 0, 0}}})));
  EXPECT_EQ(row.substr(0, 50), "9,\"DE WET, \"\"JAN\"\"\",,x,1,0,0,0,0,0,3,0,0,4,0,0,1,0");
  EXPECT_EQ(std::count(row.begin(), row.end(), ','), 4 + 26 * 6 - 1 + 1);  // one in the name
}

TEST(RosterReportTest, SoundFileListsEveryLearner) {
  const std::string file = RecordBytes(1, "ANNA", "", "", {}) + RecordBytes(2, "BEN", "", "", {});
  const ToolRun list = Report(file, RosterReportFormat::List);
  EXPECT_EQ(list.code, kReportOk);
  EXPECT_EQ(list.out, ListLine(Record(file.substr(0, 708))) + "\n" +
                          ListLine(Record(file.substr(708))) + "\n");
  EXPECT_EQ(list.err, "");

  const ToolRun csv = Report(file, RosterReportFormat::Csv);
  EXPECT_EQ(csv.code, kReportOk);
  EXPECT_EQ(Lines(csv.out), 3u);
  EXPECT_EQ(Report("", RosterReportFormat::Csv).out, CsvHeader() + "\n");
}

TEST(RosterReportTest, IncompleteTailIsWarnedAbout) {
  const std::string file = RecordBytes(1, "ANNA", "", "", {}) + std::string(100, 'x');
  const ToolRun run = Report(file, RosterReportFormat::List);
  EXPECT_EQ(run.code, kReportDamaged);
  EXPECT_EQ(Lines(run.out), 1u);
  EXPECT_NE(run.err.find("not a multiple of 708"), std::string::npos) << run.err;
  EXPECT_NE(run.err.find("last 100 bytes"), std::string::npos) << run.err;
}

TEST(RosterReportTest, BadLengthByteStopsTheListing) {
  std::string bad = RecordBytes(2, "BEN", "", "", {});
  bad[38] = 41;
  const std::string file =
      RecordBytes(1, "ANNA", "", "", {}) + bad + RecordBytes(3, "CARL", "", "", {});
  for (auto format : {RosterReportFormat::List, RosterReportFormat::Csv}) {
    const ToolRun run = Report(file, format);
    EXPECT_EQ(run.code, kReportDamaged);
    EXPECT_EQ(Lines(run.out), format == RosterReportFormat::List ? 1u : 2u);
    EXPECT_EQ(run.out.find("CARL"), std::string::npos);
    EXPECT_NE(run.err.find("record 2"), std::string::npos) << run.err;
    EXPECT_NE(run.err.find("second key length byte is 41"), std::string::npos) << run.err;
  }
}

TEST(RosterReportTest, CheckReportsEveryProblemAndExitsOneForAny) {
  std::string badLength = RecordBytes(4, "DAN", "", "", {});
  badLength[79] = 9;
  const std::string file = RecordBytes(1, "ANNA", "", "", {}) + RecordBytes(2, "BEN", "", "", {}) +
                           RecordBytes(2, "CARL", "", "", {}) + badLength +
                           RecordBytes(5, "", "", "", {}) + RecordBytes(1, "EVA", "", "", {}) +
                           std::string(20, 'x');
  std::istringstream in(file);
  std::ostringstream out;
  EXPECT_EQ(AuditRoster(in, out), kReportDamaged);
  EXPECT_EQ(out.str(),
            "record 4 (at byte 2124): its short key length byte is 9, more than the 4 characters "
            "the field holds\n"
            "record 5 (at byte 2832): its name is empty\n"
            "the last 20 bytes are a torn record (the file's length is not a multiple of 708)\n"
            "Id 1 is shared by records 1, 6\n"
            "Id 2 is shared by records 2, 3\n"
            "6 records, 5 problems found\n");

  std::istringstream sound(RecordBytes(1, "ANNA", "", "", {}) + RecordBytes(2, "BEN", "", "", {}));
  std::ostringstream fine;
  EXPECT_EQ(AuditRoster(sound, fine), kReportOk);
  EXPECT_EQ(fine.str(), "2 records, no problems found\n");
}

class RosterToolTest : public ::testing::Test {
 protected:
  void SetUp() override {
    fs::create_directories(dir.Path() / "sys");
    env.systemFolder = (dir.Path() / "sys").string();
    env.currentFolder = dir.Str();
  }
  ToolRun Tool(const std::vector<std::string>& args) {
    std::ostringstream out, err;
    const int code = RunRosterTool(args, env, out, err);
    return {code, out.str(), err.str()};
  }
  test::TempDir dir;
  test::FakeRosterEnvironment env;
};

TEST_F(RosterToolTest, ReadsTheLaunchersRosterWithoutWriting) {
  const fs::path roster = dir.Path() / "sys" / "tazu_students.dat";
  const std::string bytes = RecordBytes(1, "ANNA", "", "", {}) + std::string(10, 'z');
  test::WriteBytes(roster, bytes);
  const auto old = fs::file_time_type::clock::now() - std::chrono::hours(1);
  fs::last_write_time(roster, old);

  const ToolRun list = Tool({"list"});
  EXPECT_EQ(list.code, kReportDamaged);
  EXPECT_EQ(list.out, ListLine(Record(bytes.substr(0, 708))) + "\n");
  EXPECT_EQ(Tool({"export", roster.string()}).out.substr(0, 3), "Id,");
  const ToolRun check = Tool({"check"});
  EXPECT_EQ(check.code, kReportDamaged);
  EXPECT_NE(check.out.find("the last 10 bytes are a torn record"), std::string::npos) << check.out;
  EXPECT_EQ(test::ReadBytes(roster), bytes);
  EXPECT_EQ(fs::last_write_time(roster), old);
}

TEST_F(RosterToolTest, UsageAndMissingFilesAreErrors) {
  EXPECT_EQ(Tool({}).code, kReportUsageOrOpen);
  EXPECT_EQ(Tool({"delete"}).code, kReportUsageOrOpen);
  EXPECT_EQ(Tool({"list", "a", "b"}).code, kReportUsageOrOpen);
  const ToolRun missing = Tool({"list"});
  EXPECT_EQ(missing.code, kReportUsageOrOpen);
  EXPECT_NE(missing.err.find("tazu_students.dat"), std::string::npos);
  EXPECT_FALSE(fs::exists(dir.Path() / "sys" / "tazu_students.dat"));
  EXPECT_EQ(Tool({"list", dir.Str()}).code, kReportUsageOrOpen);
}

TEST_F(RosterToolTest, ProgramPrintsAndExitsLikeTheFunctions) {
  const fs::path roster = dir.Path() / "roster.dat";
  test::WriteBytes(roster, RecordBytes(4, "ANNA", "", "", {{3, 1, {1, 0, 0, 0, 0}}}) + "tail");
  const std::string command =
      std::string(TAZU_ROSTER_TOOL) + " list '" + roster.string() + "' 2>/dev/null";
  FILE* pipe = popen(command.c_str(), "r");
  ASSERT_NE(pipe, nullptr);
  std::string out;
  char buffer[256];
  for (size_t n; (n = fread(buffer, 1, sizeof buffer, pipe)) > 0;) out.append(buffer, n);
  const int status = pclose(pipe);
  EXPECT_EQ(out, "4  \"ANNA\"  \"\"  \"\"  slot 3: last 1, tallies 1 0 0 0 0\n");
  EXPECT_TRUE(WIFEXITED(status));
  EXPECT_EQ(WEXITSTATUS(status), kReportDamaged);
}

}  // namespace
}  // namespace tazu
