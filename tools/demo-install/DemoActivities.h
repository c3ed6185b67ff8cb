// The activity programs of a demo install: one stand-in program copied under the name
// of every program of the launcher's activity table.
#pragma once

#include <array>
#include <string>

namespace tazu::demo {

// The activity table's programs, relative to the install folder, written as the
// launcher writes them.
constexpr std::array<const char*, 14> kActivityPrograms = {
    "leesmeervoude\\leesmeervoude.exe", "leesrympies\\rympies.exe",
    "lees_m_begrip\\leesbegrip.exe",    "wiskundemaal\\wiskundemaal.exe",
    "wiskundedeel\\deel.exe",           "wiskundeoptel\\optel.exe",
    "wiskundeaftrek\\aftrek.exe",       "wiskundewoordsomme\\woordsomme.exe",
    "denkelateraal\\denke.exe",         "denkeassosiasie\\denkeassosiasie.exe",
    "spelling\\spelling.exe",           "geheueprente\\geheueprente.exe",
    "geheueklanke\\geheue.exe",         "report\\report.exe",
};

// Where the running program is, for systems that cannot tell it otherwise (main's
// argv[0]).
void SetProgramPath(const std::string& argv0);

// The stand-in "tazu-activity" (with the running program's own extension, such as
// ".exe") in the folder of the running program, or an empty string when it is not
// there.
std::string FindStandInProgram();

// Copies `standInProgram` to every path of kActivityPrograms under `installFolder`
// (sub-folders made as needed, execute permission kept, an existing copy replaced even
// while it runs). Raises std::filesystem::filesystem_error on failure.
void InstallStandInActivities(const std::string& installFolder, const std::string& standInProgram);

}  // namespace tazu::demo
