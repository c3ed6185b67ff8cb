#include "roster/StudentDatabase.h"

#include <filesystem>
#include <optional>
#include <system_error>

#include "base/Paths.h"
#include "base/Text.h"
#include "roster/LearnerRecord.h"
#include "roster/RosterFile.h"

namespace tazu {
namespace {

constexpr int16_t kFirstId = 1;
// Only when even the folder texts cannot be built (out of memory).
constexpr const char* kCurrentFolderFallback = ".\\";

std::string WithBackSlash(std::string folder) {
  if (folder.empty() || folder.back() != '\\') folder += '\\';
  return folder;
}

// One level only: the parent must already exist.
bool CreateOneFolder(const std::string& folder) {
  std::error_code ec;
  return std::filesystem::create_directory(ResolvePath(folder), ec) && !ec;
}

int16_t NextId(std::optional<int16_t> lastId) {
  if (!lastId) return kFirstId;
  auto next = static_cast<int16_t>(static_cast<uint16_t>(*lastId) + 1U);
  if (next == kNoLearner) next = 0;
  return next;
}

int16_t CreateRoster(const std::string& path, const LearnerKey& key, int slot, int level) {
  RosterFile file;
  if (!file.Create(path)) return kNoLearner;
  const bool written = file.WriteAt(0, LearnerRecord::NewLearner(kFirstId, key, slot, level));
  return file.Close() && written ? kFirstId : kNoLearner;
}

// Updates every matching record in place, or appends a new one after the last whole
// record when none matched.
int16_t UpdateRoster(const std::string& path, const LearnerKey& key, int slot, int level) {
  RosterFile file;
  if (!file.Open(path)) return kNoLearner;
  std::optional<int16_t> lastId;
  std::optional<int16_t> lastMatchId;
  int64_t index = 0;
  LearnerRecord record;
  for (;; ++index) {
    const RosterFile::ReadResult read = file.ReadNext(record);
    if (read == RosterFile::ReadResult::Failed) return kNoLearner;
    if (read == RosterFile::ReadResult::End) break;
    lastId = record.Id();
    if (!record.Matches(key)) continue;
    record.CountUse(slot, level);
    if (!file.WriteAt(index, record)) return kNoLearner;
    lastMatchId = record.Id();
  }
  int16_t result = lastMatchId.value_or(kNoLearner);
  if (!lastMatchId) {
    result = NextId(lastId);
    if (!file.WriteAt(index, LearnerRecord::NewLearner(result, key, slot, level))) {
      return kNoLearner;
    }
  }
  return file.Close() ? result : kNoLearner;
}

int16_t FindInRoster(const std::string& path, const LearnerKey& key) {
  if (!FileExists(path)) return kNoLearner;
  // Opened for writing too, as the other programs of the suite open it: a roster
  // that cannot be written counts as one that cannot be opened.
  RosterFile file;
  if (!file.Open(path)) return kNoLearner;
  int16_t result = kNoLearner;
  LearnerRecord record;
  for (;;) {
    const RosterFile::ReadResult read = file.ReadNext(record);
    if (read == RosterFile::ReadResult::Failed) return kNoLearner;
    if (read == RosterFile::ReadResult::End) break;
    if (record.Matches(key)) result = record.Id();
  }
  return file.Close() ? result : kNoLearner;
}

}  // namespace

std::string ProfileFolder(const RosterEnvironment& environment) {
  for (const std::string& entry : environment.EnvironmentBlock()) {
    const std::string lower = LowerCase(entry);
    const size_t at = lower.find(kAllUsersProfileEntry);
    if (at != std::string::npos) {
      return lower.substr(at + kAllUsersProfileEntry.size(), kMaxProfileFolderLength);
    }
  }
  return {};
}

std::string RosterFolder(const RosterEnvironment& environment) noexcept {
  try {
    std::string folder = ProfileFolder(environment);
    if (folder.empty()) return WithBackSlash(environment.SystemFolder());
    folder = WithBackSlash(std::move(folder)) + std::string(kDocumentsSubFolder);
    if (!DirectoryExists(folder) && !CreateOneFolder(folder)) {
      return WithBackSlash(environment.CurrentFolder());
    }
    return folder;
  } catch (...) {
    return kCurrentFolderFallback;
  }
}

std::string RosterFilePath(const RosterEnvironment& environment) {
  return RosterFolder(environment) + kRosterFileName;
}

int16_t FindLearner(const RosterEnvironment& environment, std::string_view name,
                    std::string_view secondKey, std::string_view shortKey) noexcept {
  try {
    return FindInRoster(RosterFilePath(environment),
                        LearnerKey::FromTexts(name, secondKey, shortKey));
  } catch (...) {
    return kNoLearner;
  }
}

int16_t RecordLearnerUse(const RosterEnvironment& environment, int slot, int level,
                         std::string_view name, std::string_view secondKey,
                         std::string_view shortKey) noexcept {
  if (!IsValidSlot(slot) || !IsValidLevel(level)) return kNoLearner;
  try {
    const std::string path = RosterFilePath(environment);
    const LearnerKey key = LearnerKey::FromTexts(name, secondKey, shortKey);
    return FileExists(path) ? UpdateRoster(path, key, slot, level)
                            : CreateRoster(path, key, slot, level);
  } catch (...) {
    return kNoLearner;
  }
}

std::string RosterFolder() noexcept { return RosterFolder(DefaultRosterEnvironment()); }

int16_t FindLearner(std::string_view name, std::string_view secondKey,
                    std::string_view shortKey) noexcept {
  return FindLearner(DefaultRosterEnvironment(), name, secondKey, shortKey);
}

int16_t RecordLearnerUse(int slot, int level, std::string_view name, std::string_view secondKey,
                         std::string_view shortKey) noexcept {
  return RecordLearnerUse(DefaultRosterEnvironment(), slot, level, name, secondKey, shortKey);
}

}  // namespace tazu
