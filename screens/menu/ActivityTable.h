// The programs the menu can start: relative paths below the install folder, written as
// the menu writes them, indexed 1 to 15 (entry 4 stays empty; 15 is the report
// program). Shared with the tools that make or check an install.
#pragma once

#include <array>

namespace tazu {

constexpr int kActivityCount = 15;
// The index of the learners' report program, started by the report button.
constexpr int kReportProgram = 15;

inline constexpr std::array<const char*, kActivityCount + 1> kActivities{
    "",
    "leesmeervoude\\leesmeervoude.exe",
    "leesrympies\\rympies.exe",
    "lees_m_begrip\\leesbegrip.exe",
    "",
    "wiskundemaal\\wiskundemaal.exe",
    "wiskundedeel\\deel.exe",
    "wiskundeoptel\\optel.exe",
    "wiskundeaftrek\\aftrek.exe",
    "wiskundewoordsomme\\woordsomme.exe",
    "denkelateraal\\denke.exe",
    "denkeassosiasie\\denkeassosiasie.exe",
    "spelling\\spelling.exe",
    "geheueprente\\geheueprente.exe",
    "geheueklanke\\geheue.exe",
    "report\\report.exe",
};

}  // namespace tazu
