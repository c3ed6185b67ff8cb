// Windows argument splitting and quoting, written out as a small state machine over the
// parameter string.
#include "platform/CommandLine.h"

#include <cstddef>

namespace tazu {

namespace {

constexpr char kQuote = '"';
constexpr char kBackSlash = '\\';

bool IsBlank(char c) { return c == ' ' || c == '\t'; }

}  // namespace

std::vector<std::string> SplitCommandLine(std::string_view parameters) {
  std::vector<std::string> arguments;
  size_t i = 0;
  const size_t n = parameters.size();
  while (true) {
    while (i < n && IsBlank(parameters[i])) ++i;
    if (i >= n) break;

    // One argument: until a blank outside quotes or the end.
    std::string argument;
    bool quoted = false;
    while (i < n && (quoted || !IsBlank(parameters[i]))) {
      size_t slashes = 0;
      while (i < n && parameters[i] == kBackSlash) {
        ++slashes;
        ++i;
      }
      if (i < n && parameters[i] == kQuote) {
        argument.append(slashes / 2, kBackSlash);
        if (slashes % 2 == 1) {
          argument += kQuote;  // escaped
        } else if (quoted && i + 1 < n && parameters[i + 1] == kQuote) {
          argument += kQuote;  // a doubled quote inside a quoted part
          ++i;
        } else {
          quoted = !quoted;
        }
        ++i;
      } else {
        argument.append(slashes, kBackSlash);
        if (slashes == 0 && i < n) argument += parameters[i++];
      }
    }
    arguments.push_back(std::move(argument));
  }
  return arguments;
}

std::string QuoteArgument(std::string_view argument) {
  if (!argument.empty() && argument.find_first_of(" \t\"") == std::string_view::npos) {
    return std::string(argument);
  }
  std::string out(1, kQuote);
  size_t slashes = 0;
  for (const char c : argument) {
    if (c == kBackSlash) {
      ++slashes;
      continue;
    }
    if (c == kQuote) {
      // Every back-slash before a quote is doubled, and the quote itself escaped.
      out.append(slashes * 2 + 1, kBackSlash);
    } else {
      out.append(slashes, kBackSlash);
    }
    slashes = 0;
    out += c;
  }
  // Back-slashes before the closing quote are doubled so that they stay literal.
  out.append(slashes * 2, kBackSlash);
  out += kQuote;
  return out;
}

std::string JoinCommandLine(const std::vector<std::string>& arguments) {
  std::string out;
  for (const std::string& argument : arguments) {
    if (!out.empty()) out += ' ';
    out += QuoteArgument(argument);
  }
  return out;
}

}  // namespace tazu
