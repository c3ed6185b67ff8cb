#include "base/Paths.h"

#include <filesystem>
#include <system_error>

#include "base/Text.h"

namespace fs = std::filesystem;

namespace tazu {
namespace {

// Systems whose own separator is the back-slash take the program's names as they are.
constexpr bool kNativeWindowsNames = fs::path::preferred_separator == '\\';

bool Exists(const fs::path& p) {
  std::error_code ec;
  return fs::symlink_status(p, ec).type() != fs::file_type::not_found && !ec;
}

// The entry of `dir` whose name equals `name` ignoring case, or "" when none.
std::string FindCaseless(const fs::path& dir, const std::string& name) {
  std::error_code ec;
  std::string best;
  for (fs::directory_iterator it(dir, ec), end; !ec && it != end; it.increment(ec)) {
    std::string candidate = it->path().filename().string();
    if (SameText(candidate, name) && (best.empty() || candidate < best)) best = candidate;
  }
  return best;
}

std::vector<std::string> SplitComponents(std::string_view path) {
  std::vector<std::string> parts;
  std::string current;
  for (char c : path) {
    if (c == '/' || c == '\\') {
      if (!current.empty()) parts.push_back(std::move(current));
      current.clear();
    } else {
      current += c;
    }
  }
  if (!current.empty()) parts.push_back(std::move(current));
  return parts;
}

}  // namespace

std::string ResolvePath(std::string_view path) {
  if constexpr (kNativeWindowsNames) return std::string(path);
  if (path.empty()) return {};
  const bool absolute = path.front() == '/' || path.front() == '\\';
  const bool trailing = path.back() == '/' || path.back() == '\\';
  const std::vector<std::string> parts = SplitComponents(path);

  std::string out = absolute ? "/" : "";
  fs::path probe = absolute ? fs::path("/") : fs::path(".");
  bool resolving = true;
  for (size_t i = 0; i < parts.size(); ++i) {
    std::string name = parts[i];
    if (resolving && name != "." && name != ".." && !Exists(probe / name)) {
      std::string found = FindCaseless(probe, name);
      if (found.empty()) {
        resolving = false;
      } else {
        name = found;
      }
    }
    probe /= name;
    out += name;
    if (i + 1 < parts.size()) out += '/';
  }
  if (trailing && !parts.empty()) out += '/';
  return out;
}

bool FileExists(std::string_view path) {
  std::error_code ec;
  return fs::is_regular_file(ResolvePath(path), ec);
}

bool DirectoryExists(std::string_view path) {
  std::error_code ec;
  return fs::is_directory(ResolvePath(path), ec);
}

std::string GetCurrentDir() {
  std::error_code ec;
  std::string dir = fs::current_path(ec).string();
  return ec ? std::string() : dir;
}

bool MatchesMask(std::string_view name, std::string_view pattern) {
  // Iterative wildcard match with one back-track point for the last '*'.
  size_t n = 0, p = 0, star = std::string_view::npos, resume = 0;
  auto same = [](char a, char b) { return LowerChar(a) == LowerChar(b); };
  while (n < name.size()) {
    if (p < pattern.size() && (pattern[p] == '?' || same(pattern[p], name[n]))) {
      ++n;
      ++p;
    } else if (p < pattern.size() && pattern[p] == '*') {
      star = p++;
      resume = n;
    } else if (star != std::string_view::npos) {
      p = star + 1;
      n = ++resume;
    } else {
      return false;
    }
  }
  while (p < pattern.size() && pattern[p] == '*') ++p;
  return p == pattern.size();
}

std::vector<std::string> FindFiles(std::string_view folder, std::string_view pattern) {
  std::vector<std::string> names;
  std::error_code ec;
  const std::string dir = ResolvePath(folder);
  for (fs::directory_iterator it(dir.empty() ? "." : dir, ec), end; !ec && it != end;
       it.increment(ec)) {
    std::error_code typeEc;
    if (!it->is_regular_file(typeEc)) continue;
    std::string name = it->path().filename().string();
    if (MatchesMask(name, pattern)) names.push_back(std::move(name));
  }
  return names;
}

std::string ExtractFileName(std::string_view path) {
  const size_t cut = path.find_last_of("/\\");
  return std::string(cut == std::string_view::npos ? path : path.substr(cut + 1));
}

}  // namespace tazu
