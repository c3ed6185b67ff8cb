// Small text helpers with the behaviour of the classic string routines: the plain
// ones map ASCII case only (file names and keys are compared byte for byte), the Ansi
// ones the letters of Windows-1252 as well.
#pragma once

#include <string>
#include <string_view>

namespace tazu {

char UpperChar(char c);
char LowerChar(char c);
std::string UpperCase(std::string_view s);
// Windows-1252 case mapping: ASCII and the accented Latin letters (as typed names need).
char AnsiUpperChar(char c);
char AnsiLowerChar(char c);
std::string AnsiUpperCase(std::string_view s);
std::string AnsiLowerCase(std::string_view s);
std::string LowerCase(std::string_view s);
bool SameText(std::string_view a, std::string_view b);
// Negative, zero or positive like strcmp, ignoring ASCII case. Bytes above 0x7F are
// compared as they are, so different UTF-8 names never match (paths, font names).
int CompareText(std::string_view a, std::string_view b);
// Like CompareText, ignoring the case of every Windows-1252 letter: for names held
// as single-byte ANSI text (the stream archive's entries).
int AnsiCompareText(std::string_view a, std::string_view b);
bool Contains(std::string_view haystack, std::string_view needle);
std::string IntToStr(long long value);

}  // namespace tazu
