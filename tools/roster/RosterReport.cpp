#include "tools/roster/RosterReport.h"

#include <array>
#include <cstdint>
#include <fstream>
#include <map>

#include "base/Paths.h"
#include "roster/StudentDatabase.h"

namespace tazu {
namespace {

constexpr const char* kToolName = "tazu-roster";
constexpr const char* kUsage =
    "usage: tazu-roster list [FILE]     one learner a line\n"
    "       tazu-roster export [FILE]   CSV with a header line\n"
    "       tazu-roster check [FILE]    shared Ids, empty names, damaged records, a torn tail;\n"
    "                                   exit status 1 when any is found\n"
    "Without FILE the roster the launcher uses is read. The roster is never written.\n";

// Code page 1252 positions 0x80..0x9F; the five unassigned ones keep their C1 code.
constexpr unsigned kCp1252HighStart = 0x80;
constexpr std::array<char32_t, 32> kCp1252High = {
    0x20AC, 0x0081, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021, 0x02C6, 0x2030, 0x0160,
    0x2039, 0x0152, 0x008D, 0x017D, 0x008F, 0x0090, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022,
    0x2013, 0x2014, 0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x009D, 0x017E, 0x0178};
constexpr unsigned kCp1252TableEnd = kCp1252HighStart + kCp1252High.size();

constexpr char32_t kUtf8OneByteLimit = 0x80;
constexpr char32_t kUtf8TwoByteLimit = 0x800;
constexpr unsigned kUtf8ContinuationBits = 6;
constexpr unsigned kUtf8ContinuationMask = 0x3F;
constexpr unsigned kUtf8ContinuationMark = 0x80;
constexpr unsigned kUtf8TwoByteLead = 0xC0;
constexpr unsigned kUtf8ThreeByteLead = 0xE0;

constexpr unsigned char kFirstPrintable = 0x20;
constexpr unsigned char kDelete = 0x7F;

void AppendUtf8(std::string& out, char32_t code) {
  auto byte = [&out](unsigned value) { out += static_cast<char>(value); };
  if (code < kUtf8OneByteLimit) {
    byte(static_cast<unsigned>(code));
  } else if (code < kUtf8TwoByteLimit) {
    byte(kUtf8TwoByteLead | static_cast<unsigned>(code >> kUtf8ContinuationBits));
    byte(kUtf8ContinuationMark | (static_cast<unsigned>(code) & kUtf8ContinuationMask));
  } else {
    byte(kUtf8ThreeByteLead | static_cast<unsigned>(code >> (2 * kUtf8ContinuationBits)));
    byte(kUtf8ContinuationMark |
         (static_cast<unsigned>(code >> kUtf8ContinuationBits) & kUtf8ContinuationMask));
    byte(kUtf8ContinuationMark | (static_cast<unsigned>(code) & kUtf8ContinuationMask));
  }
}

// A text in double quotes for the list: quotes and back-slashes escaped, control
// bytes shown as \xNN.
std::string Quoted(const std::string& ansi) {
  static constexpr char kHex[] = "0123456789ABCDEF";
  constexpr unsigned kNibbleBits = 4;
  constexpr unsigned kNibbleMask = 0xF;
  std::string out = "\"";
  for (char c : ansi) {
    const auto byte = static_cast<unsigned char>(c);
    if (c == '"' || c == '\\') {
      out += '\\';
      out += c;
    } else if (byte < kFirstPrintable || byte == kDelete) {
      out += "\\x";
      out += kHex[byte >> kNibbleBits];
      out += kHex[byte & kNibbleMask];
    } else {
      out += AnsiToUtf8(std::string(1, c));
    }
  }
  return out + "\"";
}

std::string CsvField(const std::string& ansi) {
  const std::string text = AnsiToUtf8(ansi);
  if (text.find_first_of(",\"\r\n") == std::string::npos) return text;
  std::string out = "\"";
  for (char c : text) {
    if (c == '"') out += '"';
    out += c;
  }
  return out + "\"";
}

// A slot other programs or this one have written to, as opposed to a new record's.
bool SlotUsed(const LearnerRecord& record, int slot) {
  if (record.Last(slot) != kNewSlotLast) return true;
  for (int level = 1; level <= kLevelCount; ++level) {
    if (record.Tally(slot, level) != 0) return true;
  }
  return false;
}

struct TextField {
  const char* label;
  size_t offset;
  size_t capacity;
};
constexpr std::array<TextField, 3> kTextFields = {
    {{"name", kNameOffset, kNameCapacity},
     {"second key", kSecondKeyOffset, kSecondKeyCapacity},
     {"short key", kShortKeyOffset, kShortKeyCapacity}}};

// Why `field` of `record` is unsound, or "" when it is sound.
std::string FieldDamage(const LearnerRecord& record, const TextField& field) {
  const unsigned length = record.Raw()[field.offset];
  if (length <= field.capacity) return {};
  return std::string("its ") + field.label + " length byte is " + std::to_string(length) +
         ", more than the " + std::to_string(field.capacity) + " characters the field holds";
}

// Describes the first unsound text field of `record`, or "" when all are sound.
std::string Damage(const LearnerRecord& record) {
  for (const TextField& field : kTextFields) {
    if (std::string damage = FieldDamage(record, field); !damage.empty()) return damage;
  }
  return {};
}

std::string RecordPlace(long long number) {
  return "record " + std::to_string(number) + " (at byte " +
         std::to_string((number - 1) * static_cast<long long>(kRecordSize)) + ")";
}

// The problems of one record other than a shared Id, one line each.
void AuditRecord(const LearnerRecord& record, long long number, std::ostream& out, int& found) {
  for (const TextField& field : kTextFields) {
    if (const std::string damage = FieldDamage(record, field); !damage.empty()) {
      out << RecordPlace(number) << ": " << damage << "\n";
      ++found;
    }
  }
  if (record.Raw()[kNameOffset] == 0) {
    out << RecordPlace(number) << ": its name is empty\n";
    ++found;
  }
}

void WriteRecord(const LearnerRecord& record, RosterReportFormat format, std::ostream& out) {
  out << (format == RosterReportFormat::List ? ListLine(record) : CsvRow(record)) << '\n';
}

}  // namespace

std::string AnsiToUtf8(const std::string& text) {
  std::string out;
  for (char c : text) {
    const auto byte = static_cast<unsigned char>(c);
    if (byte >= kCp1252HighStart && byte < kCp1252TableEnd) {
      AppendUtf8(out, kCp1252High[byte - kCp1252HighStart]);
    } else {
      AppendUtf8(out, byte);
    }
  }
  return out;
}

std::string ListLine(const LearnerRecord& record) {
  std::string line = std::to_string(record.Id()) + "  " + Quoted(record.Name().value_or("")) +
                     "  " + Quoted(record.SecondKey().value_or("")) + "  " +
                     Quoted(record.ShortKey().value_or(""));
  bool any = false;
  for (int slot = 1; slot <= kSlotCount; ++slot) {
    if (!SlotUsed(record, slot)) continue;
    line += any ? "; " : "  ";
    any = true;
    line += "slot " + std::to_string(slot) + ": last " + std::to_string(record.Last(slot)) +
            ", tallies";
    for (int level = 1; level <= kLevelCount; ++level) {
      line += ' ' + std::to_string(record.Tally(slot, level));
    }
  }
  if (!any) line += "  no slot used";
  return line;
}

std::string CsvHeader() {
  std::string header = "Id,Name,SecondKey,ShortKey";
  for (int slot = 1; slot <= kSlotCount; ++slot) {
    const std::string prefix = ",Slot" + std::to_string(slot);
    header += prefix + "Last";
    for (int level = 1; level <= kLevelCount; ++level) {
      header += prefix + "Tally" + std::to_string(level);
    }
  }
  return header;
}

std::string CsvRow(const LearnerRecord& record) {
  std::string row = std::to_string(record.Id()) + ',' + CsvField(record.Name().value_or("")) + ',' +
                    CsvField(record.SecondKey().value_or("")) + ',' +
                    CsvField(record.ShortKey().value_or(""));
  for (int slot = 1; slot <= kSlotCount; ++slot) {
    row += ',' + std::to_string(record.Last(slot));
    for (int level = 1; level <= kLevelCount; ++level) {
      row += ',' + std::to_string(record.Tally(slot, level));
    }
  }
  return row;
}

int ReportRoster(std::istream& in, RosterReportFormat format, std::ostream& out,
                 std::ostream& err) {
  if (format == RosterReportFormat::Csv) out << CsvHeader() << '\n';
  LearnerRecord::Bytes bytes;
  for (long long number = 1;; ++number) {
    in.read(reinterpret_cast<char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
    const auto got = static_cast<size_t>(in.gcount());
    if (got < bytes.size()) {
      if (in.bad()) {
        err << kToolName << ": warning: reading stopped at record " << number
            << " because of a read error\n";
        return kReportDamaged;
      }
      if (got == 0) return kReportOk;
      err << kToolName << ": warning: the file's length is not a multiple of " << kRecordSize
          << " bytes; its last " << got << " bytes are an incomplete record and were not listed\n";
      return kReportDamaged;
    }
    const LearnerRecord record(bytes);
    if (const std::string damage = Damage(record); !damage.empty()) {
      err << kToolName << ": warning: " << RecordPlace(number) << " is damaged: " << damage
          << "; it and the records after it were not listed\n";
      return kReportDamaged;
    }
    WriteRecord(record, format, out);
  }
}

int AuditRoster(std::istream& in, std::ostream& out) {
  std::map<int16_t, std::vector<long long>> byId;
  int found = 0;
  long long records = 0;
  LearnerRecord::Bytes bytes;
  for (;;) {
    in.read(reinterpret_cast<char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
    const auto got = static_cast<size_t>(in.gcount());
    if (in.bad()) {
      out << "reading stopped after record " << records << " because of a read error\n";
      ++found;
      break;
    }
    if (got < bytes.size()) {
      if (got > 0) {
        out << "the last " << got << " bytes are a torn record (the file's length is not a "
            << "multiple of " << kRecordSize << ")\n";
        ++found;
      }
      break;
    }
    const LearnerRecord record(bytes);
    ++records;
    byId[record.Id()].push_back(records);
    AuditRecord(record, records, out, found);
  }
  for (const auto& [id, numbers] : byId) {
    if (numbers.size() < 2) continue;
    out << "Id " << id << " is shared by records";
    for (size_t i = 0; i < numbers.size(); ++i) out << (i == 0 ? " " : ", ") << numbers[i];
    out << '\n';
    ++found;
  }
  out << records << (records == 1 ? " record, " : " records, ")
      << (found == 0 ? std::string("no problems found")
                     : std::to_string(found) + (found == 1 ? " problem found" : " problems found"))
      << '\n';
  return found == 0 ? kReportOk : kReportDamaged;
}

int RunRosterTool(const std::vector<std::string>& args, const RosterEnvironment& environment,
                  std::ostream& out, std::ostream& err) {
  const bool known =
      !args.empty() && (args[0] == "list" || args[0] == "export" || args[0] == "check");
  if (!known || args.size() > 2) {
    err << kUsage;
    return kReportUsageOrOpen;
  }
  const std::string path = args.size() == 2 ? args[1] : RosterFilePath(environment);
  // Only a plain file is opened: opening a FIFO put in the roster's place would wait.
  std::ifstream in;
  if (FileExists(path)) in.open(ResolvePath(path), std::ios::binary);
  if (!in.is_open() || !in) {
    err << kToolName << ": cannot open the roster \"" << path << "\"\n";
    return kReportUsageOrOpen;
  }
  if (args[0] == "check") return AuditRoster(in, out);
  const RosterReportFormat format =
      args[0] == "list" ? RosterReportFormat::List : RosterReportFormat::Csv;
  return ReportRoster(in, format, out, err);
}

}  // namespace tazu
