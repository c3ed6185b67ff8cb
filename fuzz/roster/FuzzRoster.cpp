// Feeds arbitrary roster files to FindLearner and RecordLearnerUse and checks what
// must hold for any file: the last matching Id is found, and recording a use
// changes only the counted fields of matching records or appends one record after
// the last whole one.
#include <unistd.h>

#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <optional>
#include <string>
#include <system_error>
#include <vector>

#include "platform/ProcessRoster.h"
#include "roster/LearnerRecord.h"
#include "roster/StudentDatabase.h"

namespace fs = std::filesystem;

namespace {

class FuzzEnvironment : public tazu::RosterEnvironment {
 public:
  explicit FuzzEnvironment(std::string folder) : folder_(std::move(folder)) {}
  std::vector<std::string> EnvironmentBlock() const override { return {}; }
  std::string SystemFolder() const override { return folder_; }
  std::string CurrentFolder() const override { return folder_; }
  std::shared_ptr<tazu::RosterStorage> Storage() const override {
    return tazu::ProcessRosterStorage();
  }

 private:
  std::string folder_;
};

// A folder of this process's own, removed again when the fuzzer exits.
class ScratchFolder {
 public:
  ScratchFolder() : path_(fs::temp_directory_path() / ("fuzz_roster-" + std::to_string(getpid()))) {
    fs::create_directories(path_);
  }
  ~ScratchFolder() {
    std::error_code ec;
    fs::remove_all(path_, ec);
  }
  const fs::path& Path() const { return path_; }

 private:
  fs::path path_;
};

const fs::path& Folder() {
  static const ScratchFolder folder;
  return folder.Path();
}

void Check(bool condition) {
  if (!condition) __builtin_trap();
}

std::string ReadAll(const fs::path& path) {
  std::ifstream in(path, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

tazu::LearnerRecord RecordAt(const std::string& file, size_t index) {
  tazu::LearnerRecord::Bytes bytes;
  for (size_t i = 0; i < bytes.size(); ++i) {
    bytes[i] = static_cast<uint8_t>(file[index * tazu::kRecordSize + i]);
  }
  return tazu::LearnerRecord(bytes);
}

// A key taken from one of the file's records when it has a sound one, so that
// matches happen often; a fixed name otherwise.
tazu::LearnerKey ChooseKey(const std::string& file, size_t whole) {
  if (whole > 0) {
    const tazu::LearnerRecord record = RecordAt(file, static_cast<uint8_t>(file[0]) % whole);
    if (record.Name() && record.SecondKey() && record.ShortKey()) {
      return {*record.Name(), *record.SecondKey(), *record.ShortKey()};
    }
  }
  return {"ANNA", "", ""};
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::string file(reinterpret_cast<const char*>(data), size);
  const fs::path roster = Folder() / tazu::kRosterFileName;
  std::ofstream(roster, std::ios::binary | std::ios::trunc) << file;
  const FuzzEnvironment environment(Folder().string());

  const size_t whole = size / tazu::kRecordSize;
  const tazu::LearnerKey key = ChooseKey(file, whole);
  const int slot = 1 + static_cast<int>(size % tazu::kSlotCount);
  const int level = 1 + static_cast<int>((size / tazu::kSlotCount) % tazu::kLevelCount);

  // What the file should become, worked out record by record.
  std::string expected = file.substr(0, whole * tazu::kRecordSize);
  std::optional<int16_t> lastMatch;
  for (size_t index = 0; index < whole; ++index) {
    tazu::LearnerRecord record = RecordAt(file, index);
    if (!record.Matches(key)) continue;
    lastMatch = record.Id();
    record.CountUse(slot, level);
    expected.replace(index * tazu::kRecordSize, tazu::kRecordSize,
                     reinterpret_cast<const char*>(record.Raw().data()), tazu::kRecordSize);
  }

  const int16_t found = tazu::FindLearner(environment, key.name, key.secondKey, key.shortKey);
  Check(found == lastMatch.value_or(tazu::kNoLearner));
  Check(ReadAll(roster) == file);

  const int16_t recorded =
      tazu::RecordLearnerUse(environment, slot, level, key.name, key.secondKey, key.shortKey);
  const std::string after = ReadAll(roster);
  if (lastMatch) {
    Check(recorded == *lastMatch);
    Check(after == expected + file.substr(whole * tazu::kRecordSize));
  } else {
    Check(recorded != tazu::kNoLearner);
    Check(after.size() == (whole + 1) * tazu::kRecordSize);
    Check(after.compare(0, expected.size(), expected) == 0);
    const tazu::LearnerRecord added = RecordAt(after, whole);
    Check(added.Id() == recorded && added.Matches(key));
    Check(added.Last(slot) == level && added.Tally(slot, level) == 1);
  }
  return 0;
}
