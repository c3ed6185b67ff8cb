// Lists a learner roster for the people who look after an installation: one line per
// learner, or CSV for a spreadsheet, or the problems found in it. Reads only; a
// damaged file is listed as far as it is sound, with a warning.
#pragma once

#include <istream>
#include <ostream>
#include <string>
#include <vector>

#include "roster/LearnerRecord.h"
#include "roster/RosterEnvironment.h"

namespace tazu {

enum class RosterReportFormat { List, Csv };

// Exit codes of the tool.
inline constexpr int kReportOk = 0;
inline constexpr int kReportDamaged = 1;
inline constexpr int kReportUsageOrOpen = 2;

// A record's texts for people: Windows ANSI (code page 1252) turned into UTF-8.
std::string AnsiToUtf8(const std::string& text);

// The line `list` prints for one learner.
std::string ListLine(const LearnerRecord& record);
// The CSV header and one learner's CSV row (without line ends).
std::string CsvHeader();
std::string CsvRow(const LearnerRecord& record);

// Reads records from `in` and reports each sound one to `out` until the end or the
// first damaged record; damage is described on `err`. Returns kReportOk or
// kReportDamaged.
int ReportRoster(std::istream& in, RosterReportFormat format, std::ostream& out, std::ostream& err);

// Reads the whole roster from `in` and reports on `out`, one a line, every Id that two
// or more records share, every record with an empty name or a length byte beyond its
// field, and a torn tail, then a summary line. Returns kReportOk when nothing was
// found, kReportDamaged otherwise.
int AuditRoster(std::istream& in, std::ostream& out);

// The whole tool: `list [FILE]`, `export [FILE]` or `check [FILE]`; without FILE, the roster the
// launcher would use in `environment`. Returns the exit code.
int RunRosterTool(const std::vector<std::string>& args, const RosterEnvironment& environment,
                  std::ostream& out, std::ostream& err);

}  // namespace tazu
