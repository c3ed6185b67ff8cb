// tazu-roster-peer: a second process for the roster tests, on POSIX and on Windows.
//
//   tazu-roster-peer sign OUTFILE NAME...
//       signs each NAME in as the menu does (looked up, added when not found) against
//       the roster of the process environment (ALLUSERSPROFILE names its folder), and
//       writes "NAME<TAB>ID" for each to OUTFILE.
//   tazu-roster-peer hold ROSTER READY RELEASE
//       opens the roster file ROSTER holding its exclusive lock, makes the file READY,
//       and keeps the lock until the file RELEASE appears (or it is killed).
// Exits 0 when it did what it was asked, 1 otherwise.
#include <chrono>
#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <string>
#include <thread>
#include <vector>

#include "platform/ProcessRoster.h"
#include "roster/StudentDatabase.h"

namespace {

constexpr int kEnglishSlot = 4;
constexpr int kFirstLevel = 1;
constexpr std::chrono::milliseconds kReleasePoll{10};

int Sign(const std::string& outFile, const std::vector<std::string>& names) {
  std::ofstream out(outFile, std::ios::binary);
  for (const std::string& name : names) {
    int16_t id = tazu::FindLearner(name, "", "");
    if (id == -1) id = tazu::RecordLearnerUse(kEnglishSlot, kFirstLevel, name, "", "");
    out << name << '\t' << id << '\n';
  }
  out.flush();
  return out ? 0 : 1;
}

int Hold(const std::string& roster, const std::string& ready, const std::string& release) {
  const tazu::RosterOpening opened =
      tazu::ProcessRosterStorage()->Open(roster, tazu::RosterAccess::Exclusive);
  if (opened.status != tazu::RosterOpenStatus::Opened) return 1;
  std::ofstream(ready) << "locked\n";
  std::error_code ec;
  while (!std::filesystem::exists(release, ec)) std::this_thread::sleep_for(kReleasePoll);
  return 0;
}

}  // namespace

int main(int argc, char** argv) {
  const std::vector<std::string> args(argv + 1, argv + argc);
  if (args.size() >= 3 && args[0] == "sign") return Sign(args[1], {args.begin() + 2, args.end()});
  if (args.size() == 4 && args[0] == "hold") return Hold(args[1], args[2], args[3]);
  std::fprintf(stderr,
               "usage: tazu-roster-peer sign OUTFILE NAME...\n"
               "       tazu-roster-peer hold ROSTER READY RELEASE\n");
  return 1;
}
