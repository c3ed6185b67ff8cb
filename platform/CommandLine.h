// The Windows rules for splitting a parameter string into arguments, so that a program
// started on Linux receives exactly the arguments its Windows build would.
#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace tazu {

// Splits the arguments that follow the program name, as the C runtime of current
// Windows compilers does (the rules of its argv parsing):
// - spaces and tabs separate arguments outside quotes; runs of them count as one;
// - 2n back-slashes followed by '"' give n back-slashes, and the quote opens or closes
//   a quoted part; 2n+1 back-slashes followed by '"' give n back-slashes and a '"';
// - back-slashes not followed by '"' are kept as they are;
// - inside a quoted part, '""' gives one '"' and the quoted part goes on;
// - a quoted part may be empty: '""' alone is an empty argument.
// The older runtime and CommandLineToArgvW end the quoted part after '""'; the current
// runtime's reading is the one the programs we start are built with.
std::vector<std::string> SplitCommandLine(std::string_view parameters);

// The inverse for one argument: the text that SplitCommandLine reads back as exactly
// `argument` (quoted only when it must be).
std::string QuoteArgument(std::string_view argument);

// The arguments quoted and joined with single spaces.
std::string JoinCommandLine(const std::vector<std::string>& arguments);

}  // namespace tazu
