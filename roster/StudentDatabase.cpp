#include "roster/StudentDatabase.h"

#include <chrono>
#include <memory>
#include <optional>
#include <utility>

#include "base/Paths.h"
#include "base/Text.h"
#include "roster/BoundedCall.h"
#include "roster/LearnerRecord.h"
#include "roster/RosterFile.h"
#include "roster/RosterStorage.h"

namespace tazu {
namespace {

constexpr int16_t kFirstId = 1;
// Only when even the folder texts cannot be built (out of memory).
constexpr const char* kCurrentFolderFallback = ".\\";
// How long a caller waits for a whole roster call: a little longer than the lock
// wait, so that a busy roster gives -1 through the lock wait and only a file server
// that stopped answering runs into this bound.
constexpr std::chrono::milliseconds kRosterCallBound =
    kRosterLockWait + std::chrono::milliseconds(500);
// A file made and removed by others between our open and our create, again and again.
constexpr int kOpenAttempts = 3;

std::string WithBackSlash(std::string folder) {
  if (folder.empty() || folder.back() != '\\') folder += '\\';
  return folder;
}

// What RosterFolder needs of the environment, taken on the caller's thread so that
// work left running on a worker never reaches the caller's objects.
struct FolderInputs {
  std::string profile;
  std::string systemFolder;  // asked for only when there is no profile folder
  std::string currentFolder;
};

FolderInputs TakeFolderInputs(const RosterEnvironment& environment) {
  FolderInputs inputs;
  inputs.profile = ProfileFolder(environment);
  if (inputs.profile.empty()) inputs.systemFolder = environment.SystemFolder();
  inputs.currentFolder = environment.CurrentFolder();
  return inputs;
}

std::string FolderFrom(const FolderInputs& inputs, RosterStorage& storage) {
  if (inputs.profile.empty()) return WithBackSlash(inputs.systemFolder);
  std::string folder = WithBackSlash(inputs.profile) + std::string(kDocumentsSubFolder);
  // Another machine or account may make it at the same moment: then it is there.
  if (!DirectoryExists(folder) && !storage.CreateFolder(ResolvePath(folder)) &&
      !DirectoryExists(folder)) {
    return WithBackSlash(inputs.currentFolder);
  }
  return folder;
}

int16_t NextId(std::optional<int16_t> lastId) {
  if (!lastId) return kFirstId;
  auto next = static_cast<int16_t>(static_cast<uint16_t>(*lastId) + 1U);
  if (next == kNoLearner) next = 0;
  return next;
}

// The roster opened for an update, holding the exclusive lock; made when missing.
std::unique_ptr<RosterHandle> OpenForUpdate(RosterStorage& storage, const std::string& hostPath) {
  for (int attempt = 0; attempt < kOpenAttempts; ++attempt) {
    RosterOpening opened = storage.Open(hostPath, RosterAccess::Exclusive);
    if (opened.status != RosterOpenStatus::Missing) return std::move(opened.handle);
    RosterOpening created = storage.Create(hostPath);
    if (created.status != RosterOpenStatus::Exists) return std::move(created.handle);
  }
  return nullptr;
}

// Updates every matching record in place, or appends a new one after the last whole
// record when none matched. A file just made is empty and takes the same road.
int16_t UpdateRoster(RosterStorage& storage, const std::string& path, const LearnerKey& key,
                     int slot, int level) {
  std::unique_ptr<RosterHandle> handle = OpenForUpdate(storage, ResolvePath(path));
  if (!handle) return kNoLearner;
  RosterFile file(std::move(handle));
  std::optional<int16_t> lastId;
  std::optional<int16_t> lastMatchId;
  LearnerRecord record;
  for (;;) {
    const RosterFile::ReadResult read = file.ReadNext(record);
    if (read == RosterFile::ReadResult::Failed) return kNoLearner;
    if (read == RosterFile::ReadResult::End) break;
    lastId = record.Id();
    if (!record.Matches(key)) continue;
    record.CountUse(slot, level);
    if (!file.WriteAt(file.NextIndex() - 1, record)) return kNoLearner;
    lastMatchId = record.Id();
  }
  int16_t result = lastMatchId.value_or(kNoLearner);
  if (!lastMatchId) {
    result = NextId(lastId);
    if (!file.WriteAt(file.NextIndex(), LearnerRecord::NewLearner(result, key, slot, level))) {
      return kNoLearner;
    }
  }
  return file.Close() ? result : kNoLearner;
}

int16_t FindInRoster(RosterStorage& storage, const std::string& path, const LearnerKey& key) {
  // Opened for writing too, as the other programs of the suite open it: a roster
  // that cannot be written counts as one that cannot be opened.
  RosterOpening opened = storage.Open(ResolvePath(path), RosterAccess::Shared);
  if (opened.status != RosterOpenStatus::Opened) return kNoLearner;
  RosterFile file(std::move(opened.handle));
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

// Runs `work` on the roster of `environment` within the call bound. The work gets
// copies of everything it needs, since it may outlive the call.
template <typename Work>
int16_t RosterCall(const RosterEnvironment& environment, Work work) noexcept {
  try {
    std::shared_ptr<RosterStorage> storage = environment.Storage();
    if (!storage) return kNoLearner;
    return CallWithin(
        kRosterCallBound,
        [inputs = TakeFolderInputs(environment), storage = std::move(storage), work]() -> int16_t {
          try {
            return work(*storage, FolderFrom(inputs, *storage) + kRosterFileName);
          } catch (...) {
            return kNoLearner;
          }
        },
        kNoLearner);
  } catch (...) {
    return kNoLearner;
  }
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
    const std::shared_ptr<RosterStorage> storage = environment.Storage();
    if (!storage) return WithBackSlash(environment.CurrentFolder());
    return FolderFrom(TakeFolderInputs(environment), *storage);
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
    const LearnerKey key = LearnerKey::FromTexts(name, secondKey, shortKey);
    return RosterCall(environment, [key](RosterStorage& storage, const std::string& path) {
      return FindInRoster(storage, path, key);
    });
  } catch (...) {
    return kNoLearner;
  }
}

int16_t RecordLearnerUse(const RosterEnvironment& environment, int slot, int level,
                         std::string_view name, std::string_view secondKey,
                         std::string_view shortKey) noexcept {
  if (!IsValidSlot(slot) || !IsValidLevel(level)) return kNoLearner;
  try {
    const LearnerKey key = LearnerKey::FromTexts(name, secondKey, shortKey);
    return RosterCall(environment,
                      [key, slot, level](RosterStorage& storage, const std::string& path) {
                        return UpdateRoster(storage, path, key, slot, level);
                      });
  } catch (...) {
    return kNoLearner;
  }
}

}  // namespace tazu
