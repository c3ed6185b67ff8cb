// File names as the program writes them (Windows style: back-slashes, doubled
// separators, any letter case) turned into names the host file system accepts.
// Every file access of the program goes through ResolvePath.
#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace tazu {

// On POSIX: back-slashes become slashes, runs of separators count as one, and each
// component that does not exist under its exact name is looked up without regard to
// ASCII letter case (exact match first; among several case-insensitive matches the
// byte-wise smallest wins, so the choice is repeatable). Components after the first
// one that cannot be found are kept as written. A trailing separator is kept.
// On Windows the name is returned unchanged: the file system already behaves so.
std::string ResolvePath(std::string_view path);

bool FileExists(std::string_view path);
bool DirectoryExists(std::string_view path);

// The process's current folder in host form, without a trailing separator.
std::string GetCurrentDir();

// Names (not paths) of the regular files in `folder` whose names match the
// wildcard `pattern` ('*' and '?', letter case ignored), in the order the
// file system lists them.
std::vector<std::string> FindFiles(std::string_view folder, std::string_view pattern);

// True when `name` matches the wildcard `pattern` ('*' any run, '?' one character),
// ignoring ASCII letter case.
bool MatchesMask(std::string_view name, std::string_view pattern);

// The part after the last separator ('\' or '/').
std::string ExtractFileName(std::string_view path);

}  // namespace tazu
