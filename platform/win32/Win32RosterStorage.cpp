// The roster's file access on Windows. The roster is opened shared for reading and
// writing, without following a reparse point (a symbolic link or junction) in its
// place, and must be a plain disk file. A roster made here grants Modify to the local
// Users group, named by its SID (the group's name is translated on non-English
// systems). Writers serialise on a LockFileEx lock of one sentinel byte; the system
// drops it when the file is closed or its process ends.
#include <windows.h>

#include <aclapi.h>

#include <algorithm>
#include <thread>

#include "platform/ProcessRoster.h"

namespace tazu {
namespace {

// Waits between lock attempts grow from the first to the longest.
constexpr std::chrono::milliseconds kFirstLockPause{1};
constexpr std::chrono::milliseconds kLongestLockPause{10};
// Modify: read, write, execute and delete, as the file properties dialog grants it.
constexpr DWORD kModifyAccess =
    FILE_GENERIC_READ | FILE_GENERIC_WRITE | FILE_GENERIC_EXECUTE | DELETE;
constexpr DWORD kShareMode = FILE_SHARE_READ | FILE_SHARE_WRITE;
constexpr DWORD kNoBytesHigh = 0;
constexpr unsigned kHighShift = 32;

OVERLAPPED At(uint64_t offset) {
  OVERLAPPED at{};
  at.Offset = static_cast<DWORD>(offset & 0xFFFFFFFFu);
  at.OffsetHigh = static_cast<DWORD>(offset >> kHighShift);
  return at;
}

class Win32RosterHandle final : public RosterHandle {
 public:
  explicit Win32RosterHandle(HANDLE file) : file_(file) {}
  ~Win32RosterHandle() override { Close(); }
  Win32RosterHandle(const Win32RosterHandle&) = delete;
  Win32RosterHandle& operator=(const Win32RosterHandle&) = delete;

  int64_t ReadAt(uint64_t offset, uint8_t* buffer, size_t size) override {
    size_t done = 0;
    while (done < size) {
      OVERLAPPED at = At(offset + done);
      const DWORD want = static_cast<DWORD>(std::min<size_t>(size - done, MAXDWORD));
      DWORD got = 0;
      if (!ReadFile(file_, buffer + done, want, &got, &at)) {
        if (GetLastError() == ERROR_HANDLE_EOF) break;
        return -1;
      }
      if (got == 0) break;
      done += got;
    }
    return static_cast<int64_t>(done);
  }

  bool WriteAt(uint64_t offset, const uint8_t* data, size_t size) override {
    size_t done = 0;
    while (done < size) {
      OVERLAPPED at = At(offset + done);
      const DWORD want = static_cast<DWORD>(std::min<size_t>(size - done, MAXDWORD));
      DWORD put = 0;
      if (!WriteFile(file_, data + done, want, &put, &at) || put == 0) return false;
      done += put;
    }
    return true;
  }

  bool Close() override {
    if (file_ == INVALID_HANDLE_VALUE) return false;
    // Unlocked at once rather than whenever the system gets round to it.
    if (locked_) {
      OVERLAPPED at = At(kRosterLockOffset);
      UnlockFileEx(file_, 0, static_cast<DWORD>(kRosterLockLength), kNoBytesHigh, &at);
      locked_ = false;
    }
    const bool closed = CloseHandle(file_) != 0;
    file_ = INVALID_HANDLE_VALUE;
    return closed;
  }

  // Tries for the lock until `wait` has passed.
  bool Lock(RosterAccess access, std::chrono::milliseconds wait) {
    DWORD flags = LOCKFILE_FAIL_IMMEDIATELY;
    if (access == RosterAccess::Exclusive) flags |= LOCKFILE_EXCLUSIVE_LOCK;
    const auto deadline = std::chrono::steady_clock::now() + wait;
    std::chrono::milliseconds pause = kFirstLockPause;
    for (;;) {
      OVERLAPPED at = At(kRosterLockOffset);
      if (LockFileEx(file_, flags, 0, static_cast<DWORD>(kRosterLockLength), kNoBytesHigh, &at)) {
        locked_ = true;
        return true;
      }
      if (GetLastError() != ERROR_LOCK_VIOLATION) return false;
      if (std::chrono::steady_clock::now() >= deadline) return false;
      std::this_thread::sleep_for(pause);
      pause = std::min(pause * 2, kLongestLockPause);
    }
  }

 private:
  HANDLE file_;
  bool locked_ = false;
};

RosterOpening Locked(HANDLE file, RosterAccess access) {
  auto handle = std::make_unique<Win32RosterHandle>(file);
  if (!handle->Lock(access, kRosterLockWait)) return {};
  return {RosterOpenStatus::Opened, std::move(handle)};
}

bool IsPlainDiskFile(HANDLE file) {
  BY_HANDLE_FILE_INFORMATION info{};
  return GetFileType(file) == FILE_TYPE_DISK && GetFileInformationByHandle(file, &info) &&
         (info.dwFileAttributes & (FILE_ATTRIBUTE_DIRECTORY | FILE_ATTRIBUTE_REPARSE_POINT)) == 0;
}

// Adds an ACE granting Modify to BUILTIN\Users (S-1-5-32-545) to the file's DACL,
// keeping what it inherited from its folder. Best effort: a file system without
// access lists keeps the file usable by this account all the same.
void GrantUsersModify(HANDLE file) {
  SID_IDENTIFIER_AUTHORITY ntAuthority = SECURITY_NT_AUTHORITY;
  PSID users = nullptr;
  if (!AllocateAndInitializeSid(&ntAuthority, 2, SECURITY_BUILTIN_DOMAIN_RID,
                                DOMAIN_ALIAS_RID_USERS, 0, 0, 0, 0, 0, 0, &users)) {
    return;
  }
  PACL oldDacl = nullptr;
  PSECURITY_DESCRIPTOR descriptor = nullptr;
  if (GetSecurityInfo(file, SE_FILE_OBJECT, DACL_SECURITY_INFORMATION, nullptr, nullptr, &oldDacl,
                      nullptr, &descriptor) == ERROR_SUCCESS) {
    EXPLICIT_ACCESSA access{};
    access.grfAccessPermissions = kModifyAccess;
    access.grfAccessMode = GRANT_ACCESS;
    access.grfInheritance = NO_INHERITANCE;
    access.Trustee.TrusteeForm = TRUSTEE_IS_SID;
    access.Trustee.TrusteeType = TRUSTEE_IS_WELL_KNOWN_GROUP;
    access.Trustee.ptstrName = static_cast<LPSTR>(users);
    PACL newDacl = nullptr;
    if (SetEntriesInAclA(1, &access, oldDacl, &newDacl) == ERROR_SUCCESS) {
      SetSecurityInfo(file, SE_FILE_OBJECT, DACL_SECURITY_INFORMATION, nullptr, nullptr, newDacl,
                      nullptr);
      LocalFree(newDacl);
    }
    LocalFree(descriptor);
  }
  FreeSid(users);
}

class Win32RosterStorage final : public RosterStorage {
 public:
  RosterOpening Open(const std::string& hostPath, RosterAccess access) override {
    const HANDLE file =
        CreateFileA(hostPath.c_str(), GENERIC_READ | GENERIC_WRITE, kShareMode, nullptr,
                    OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL | FILE_FLAG_OPEN_REPARSE_POINT, nullptr);
    if (file == INVALID_HANDLE_VALUE) {
      const DWORD error = GetLastError();
      const bool missing = error == ERROR_FILE_NOT_FOUND || error == ERROR_PATH_NOT_FOUND;
      return {missing ? RosterOpenStatus::Missing : RosterOpenStatus::Failed, nullptr};
    }
    if (!IsPlainDiskFile(file)) {
      CloseHandle(file);
      return {};
    }
    return Locked(file, access);
  }

  RosterOpening Create(const std::string& hostPath) override {
    const HANDLE file = CreateFileA(
        hostPath.c_str(), GENERIC_READ | GENERIC_WRITE | READ_CONTROL | WRITE_DAC, kShareMode,
        nullptr, CREATE_NEW, FILE_ATTRIBUTE_NORMAL | FILE_FLAG_OPEN_REPARSE_POINT, nullptr);
    if (file == INVALID_HANDLE_VALUE) {
      const DWORD error = GetLastError();
      const bool exists = error == ERROR_FILE_EXISTS || error == ERROR_ALREADY_EXISTS;
      return {exists ? RosterOpenStatus::Exists : RosterOpenStatus::Failed, nullptr};
    }
    GrantUsersModify(file);
    return Locked(file, RosterAccess::Exclusive);
  }

  // The shared documents folder already lets every user make files; a folder made
  // here inherits what its parent grants.
  bool CreateFolder(const std::string& hostPath) override {
    return CreateDirectoryA(hostPath.c_str(), nullptr) != 0;
  }
};

}  // namespace

std::shared_ptr<RosterStorage> ProcessRosterStorage() {
  // Never destroyed: a roster call that overran its caller's wait may still use it
  // while the process ends.
  static const auto* const storage =
      new std::shared_ptr<RosterStorage>(std::make_shared<Win32RosterStorage>());
  return *storage;
}

}  // namespace tazu
