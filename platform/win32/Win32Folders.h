// The folders Windows names (ANSI), or an empty text when the system cannot say or the
// name does not fit MAX_PATH. Header-only: the roster library of Windows builds uses
// them too, without the rest of the backend.
#pragma once

#include <windows.h>

#include <array>
#include <string>

namespace tazu::win32 {

// `call` writes a folder into a MAX_PATH buffer and returns its length, or the size it
// would have needed.
template <typename Call>
std::string ReadFolder(Call call) {
  std::array<char, MAX_PATH> buffer{};
  const DWORD length = call(buffer.data(), static_cast<UINT>(buffer.size()));
  return length == 0 || length >= MAX_PATH ? std::string() : std::string(buffer.data(), length);
}

inline std::string WindowsDirectory() {
  return ReadFolder([](char* b, UINT n) { return GetWindowsDirectoryA(b, n); });
}

inline std::string SystemDirectory() {
  return ReadFolder([](char* b, UINT n) { return GetSystemDirectoryA(b, n); });
}

inline std::string CurrentDirectory() {
  return ReadFolder([](char* b, UINT n) { return GetCurrentDirectoryA(n, b); });
}

}  // namespace tazu::win32
