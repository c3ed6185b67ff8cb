// tazu-roster-writer FIRST: signs learners in as the menu does, one after another,
// "Learner FIRST", "Learner FIRST+1", ... (five digits), against the roster of the
// process environment (ALLUSERSPROFILE names its folder): a learner not found is
// added in the English slot. After each one it prints "NAME<TAB>ID" and flushes, so a
// line on standard output means that learner's sign-in had completed. It runs until
// it is killed, or exits 1 when the roster refuses a learner.
#include <charconv>
#include <cstdio>
#include <string>
#include <string_view>

#include "roster/StudentDatabase.h"

namespace {

constexpr int kEnglishSlot = 4;
constexpr int kFirstLevel = 1;
constexpr int kLastNumber = 30000;  // Ids are 16-bit

std::string LearnerName(int number) {
  char name[32];
  std::snprintf(name, sizeof name, "Learner %05d", number);
  return name;
}

}  // namespace

int main(int argc, char** argv) {
  int first = 0;
  const std::string_view arg = argc == 2 ? argv[1] : "";
  const auto [end, error] = std::from_chars(arg.data(), arg.data() + arg.size(), first);
  if (arg.empty() || error != std::errc() || end != arg.data() + arg.size() || first < 1) {
    std::fprintf(stderr, "usage: tazu-roster-writer FIRST\n");
    return 2;
  }
  for (int number = first; number <= kLastNumber; ++number) {
    const std::string name = LearnerName(number);
    int16_t id = tazu::FindLearner(name, "", "");
    if (id == -1) id = tazu::RecordLearnerUse(kEnglishSlot, kFirstLevel, name, "", "");
    if (id == -1) {
      std::fprintf(stderr, "tazu-roster-writer: %s was refused\n", name.c_str());
      return 1;
    }
    std::printf("%s\t%d\n", name.c_str(), static_cast<int>(id));
    std::fflush(stdout);
  }
  return 0;
}
