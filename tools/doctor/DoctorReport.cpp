#include "tools/doctor/DoctorReport.h"

#include <algorithm>

namespace tazu::doctor {

void DoctorReport::Add(Finding finding) { findings_.push_back(std::move(finding)); }

int DoctorReport::Count(Verdict verdict) const {
  return static_cast<int>(std::count_if(findings_.begin(), findings_.end(),
                                        [&](const Finding& f) { return f.verdict == verdict; }));
}

int DoctorReport::ErrorCount() const {
  return static_cast<int>(std::count_if(findings_.begin(), findings_.end(), [](const Finding& f) {
    return f.verdict != Verdict::Ok && f.weight == Weight::Error;
  }));
}

int DoctorReport::WarningCount() const {
  return static_cast<int>(std::count_if(findings_.begin(), findings_.end(), [](const Finding& f) {
    return f.verdict != Verdict::Ok && f.weight == Weight::Warning;
  }));
}

const char* VerdictName(Verdict verdict) {
  switch (verdict) {
    case Verdict::Ok:
      return "OK";
    case Verdict::Missing:
      return "MISSING";
    case Verdict::Damaged:
      return "DAMAGED";
  }
  return "?";
}

std::string FormatFinding(const Finding& finding) {
  std::string line = std::string(VerdictName(finding.verdict)) + " " + finding.subject;
  if (!finding.detail.empty()) line += ": " + finding.detail;
  if (finding.verdict != Verdict::Ok && finding.weight == Weight::Warning) line += " (warning)";
  return line;
}

std::string FormatSummary(const DoctorReport& report) {
  std::string line = std::to_string(report.Count(Verdict::Ok)) + " OK, " +
                     std::to_string(report.Count(Verdict::Missing)) + " MISSING, " +
                     std::to_string(report.Count(Verdict::Damaged)) + " DAMAGED";
  const int warnings = report.WarningCount();
  if (warnings > 0) {
    line += " (" + std::to_string(warnings) +
            (warnings == 1 ? " is only a warning)" : " are only warnings)");
  }
  return line;
}

}  // namespace tazu::doctor
