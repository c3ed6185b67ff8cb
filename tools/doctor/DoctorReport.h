// The findings of an install check: one per file or folder the launcher reads, each
// OK, MISSING or DAMAGED, and whether a problem is only a warning (the launcher copes
// and the child misses nothing) or an error. Formats them one a line with a summary.
#pragma once

#include <string>
#include <vector>

namespace tazu::doctor {

enum class Verdict { Ok, Missing, Damaged };

// How much a MISSING or DAMAGED finding matters; ignored for OK findings.
enum class Weight {
  Error,    // a child would miss something or meet an error message
  Warning,  // the launcher goes on as designed without it
};

struct Finding {
  Verdict verdict = Verdict::Ok;
  // What was checked: a name below the install folder as the launcher writes it
  // ("menu\menu_0_A.jpg"), or a short label with a host path ("roster folder /x/").
  std::string subject;
  // What was found, or why it is a problem.
  std::string detail;
  Weight weight = Weight::Error;
};

class DoctorReport {
 public:
  void Add(Finding finding);

  const std::vector<Finding>& Findings() const { return findings_; }
  int Count(Verdict verdict) const;
  // MISSING or DAMAGED findings of each weight.
  int ErrorCount() const;
  int WarningCount() const;
  // True when nothing a child would miss is missing or damaged.
  bool Passed() const { return ErrorCount() == 0; }

 private:
  std::vector<Finding> findings_;
};

const char* VerdictName(Verdict verdict);

// "DAMAGED menu\x.jpg: reason", with " (warning)" after a problem that is only a warning.
std::string FormatFinding(const Finding& finding);

// "N OK, N MISSING, N DAMAGED", then how many of the problems are only warnings.
std::string FormatSummary(const DoctorReport& report);

}  // namespace tazu::doctor
