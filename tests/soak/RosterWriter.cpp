// tazu-roster-writer: signs learners in or counts their uses against the roster of the
// process environment (ALLUSERSPROFILE names its folder), as the menu and the
// activity programs do. After each completed call it prints "NAME<TAB>ID" and
// flushes, so a line on standard output means that call had completed.
//
//   tazu-roster-writer FIRST
//       signs in "Learner FIRST", "Learner FIRST+1", ... (five digits) until it is
//       killed; a learner not found is added in the English slot. Exits 1 when the
//       roster refuses a learner.
//   tazu-roster-writer sign PREFIX FIRST MILLISECONDS
//       the same for "PREFIX" followed by the number, for that long; a refused
//       sign-in prints -1 as its Id and the writer goes on.
//   tazu-roster-writer count MILLISECONDS NAME...
//       records uses of level 2 in slot 7 for the names in turn, for that long; only
//       uses that were counted are printed.
#include <charconv>
#include <chrono>
#include <cstdio>
#include <string>
#include <string_view>
#include <vector>

#include "platform/ProcessRoster.h"

namespace {

constexpr int kEnglishSlot = 4;
constexpr int kFirstLevel = 1;
constexpr int kCountedSlot = 7;
constexpr int kCountedLevel = 2;
constexpr int kLastNumber = 30000;  // Ids are 16-bit
constexpr int kUsage = 2;

using Clock = std::chrono::steady_clock;

bool ParseNumber(std::string_view text, int& value) {
  const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
  return !text.empty() && error == std::errc() && end == text.data() + text.size() && value >= 0;
}

std::string LearnerName(const std::string& prefix, int number) {
  char digits[16];
  std::snprintf(digits, sizeof digits, "%05d", number);
  return prefix + digits;
}

void Report(const std::string& name, int id) {
  std::printf("%s\t%d\n", name.c_str(), id);
  std::fflush(stdout);
}

// The menu's sign-in: found, or added when not found.
int16_t SignIn(const std::string& name) {
  const int16_t id = tazu::FindLearner(name, "", "");
  if (id != -1) return id;
  return tazu::RecordLearnerUse(kEnglishSlot, kFirstLevel, name, "", "");
}

int SignInUntilKilled(int first) {
  for (int number = first; number <= kLastNumber; ++number) {
    const std::string name = LearnerName("Learner ", number);
    const int16_t id = SignIn(name);
    if (id == -1) {
      std::fprintf(stderr, "tazu-roster-writer: %s was refused\n", name.c_str());
      return 1;
    }
    Report(name, id);
  }
  return 0;
}

int SignInFor(const std::string& prefix, int first, Clock::time_point end) {
  for (int number = first; number <= kLastNumber && Clock::now() < end; ++number) {
    const std::string name = LearnerName(prefix, number);
    Report(name, SignIn(name));
  }
  return 0;
}

int CountFor(const std::vector<std::string>& names, Clock::time_point end) {
  for (size_t turn = 0; Clock::now() < end; ++turn) {
    const std::string& name = names[turn % names.size()];
    const int16_t id = tazu::RecordLearnerUse(kCountedSlot, kCountedLevel, name, "", "");
    if (id != -1) Report(name, id);
  }
  return 0;
}

int Usage() {
  std::fprintf(stderr,
               "usage: tazu-roster-writer FIRST\n"
               "       tazu-roster-writer sign PREFIX FIRST MILLISECONDS\n"
               "       tazu-roster-writer count MILLISECONDS NAME...\n");
  return kUsage;
}

}  // namespace

int main(int argc, char** argv) {
  const std::vector<std::string> args(argv + 1, argv + argc);
  int first = 0;
  int milliseconds = 0;
  if (args.size() == 1 && ParseNumber(args[0], first) && first >= 1) {
    return SignInUntilKilled(first);
  }
  if (args.size() == 4 && args[0] == "sign" && ParseNumber(args[2], first) && first >= 1 &&
      ParseNumber(args[3], milliseconds)) {
    return SignInFor(args[1], first, Clock::now() + std::chrono::milliseconds(milliseconds));
  }
  if (args.size() >= 3 && args[0] == "count" && ParseNumber(args[1], milliseconds)) {
    return CountFor({args.begin() + 2, args.end()},
                    Clock::now() + std::chrono::milliseconds(milliseconds));
  }
  return Usage();
}
