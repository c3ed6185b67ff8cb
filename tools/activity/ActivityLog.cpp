#include "tools/activity/ActivityLog.h"

#include <cstdio>
#include <filesystem>
#include <memory>
#include <system_error>

namespace tazu::activity {

namespace {

std::string Field(const std::string& text) {
  std::string out = text;
  for (char& c : out) {
    if (c == '\t' || c == '\n' || c == '\r') c = ' ';
  }
  return out;
}

}  // namespace

std::string OwnProgramPath(const char* argv0) {
  std::error_code ec;
  const auto self = std::filesystem::read_symlink("/proc/self/exe", ec);
  if (!ec && !self.empty()) return self.string();
  return argv0 != nullptr ? argv0 : "";
}

std::string LogLine(const std::string& program, const std::vector<std::string>& arguments) {
  std::string line = Field(program);
  for (const std::string& argument : arguments) {
    line += '\t';
    line += Field(argument);
  }
  line += '\n';
  return line;
}

bool AppendLine(const std::string& path, const std::string& line) {
  // Append mode puts every write at the end, whoever else is writing; one unbuffered
  // write keeps the line whole.
  struct Closer {
    void operator()(std::FILE* f) const { std::fclose(f); }
  };
  std::unique_ptr<std::FILE, Closer> file(std::fopen(path.c_str(), "ab"));
  if (!file) return false;
  std::setvbuf(file.get(), nullptr, _IONBF, 0);
  const bool whole = std::fwrite(line.data(), 1, line.size(), file.get()) == line.size();
  return std::fclose(file.release()) == 0 && whole;
}

}  // namespace tazu::activity
