#include "base/Text.h"

namespace tazu {

char UpperChar(char c) { return (c >= 'a' && c <= 'z') ? static_cast<char>(c - 'a' + 'A') : c; }
char LowerChar(char c) { return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c; }

namespace {
// Windows-1252 letters outside the accented block: s, oe and z with their marks, whose
// capitals sit 0x10 below them, and y with diaeresis.
constexpr unsigned char kMarkedPairOffset = 0x10;
constexpr unsigned char kSmallYDiaeresis = 0xFF, kCapitalYDiaeresis = 0x9F;
// The accented block: 0xE0-0xFE over 0xC0-0xDE, apart from the two signs in it.
constexpr unsigned char kAccentedBlockOffset = 0x20;
constexpr unsigned char kDivisionSign = 0xF7, kMultiplicationSign = 0xD7;

bool IsSmallMarkedPair(unsigned char u) { return u == 0x9A || u == 0x9C || u == 0x9E; }
bool IsCapitalMarkedPair(unsigned char u) { return u == 0x8A || u == 0x8C || u == 0x8E; }

// `s` with every byte put through `map`.
std::string Mapped(std::string_view s, char (*map)(char)) {
  std::string out(s);
  for (char& c : out) c = map(c);
  return out;
}
}  // namespace

char AnsiUpperChar(char c) {
  const auto u = static_cast<unsigned char>(c);
  if (u >= 0xE0 && u <= 0xFE && u != kDivisionSign) {
    return static_cast<char>(u - kAccentedBlockOffset);
  }
  if (IsSmallMarkedPair(u)) return static_cast<char>(u - kMarkedPairOffset);
  if (u == kSmallYDiaeresis) return static_cast<char>(kCapitalYDiaeresis);
  return UpperChar(c);
}

char AnsiLowerChar(char c) {
  const auto u = static_cast<unsigned char>(c);
  if (u >= 0xC0 && u <= 0xDE && u != kMultiplicationSign) {
    return static_cast<char>(u + kAccentedBlockOffset);
  }
  if (IsCapitalMarkedPair(u)) return static_cast<char>(u + kMarkedPairOffset);
  if (u == kCapitalYDiaeresis) return static_cast<char>(kSmallYDiaeresis);
  return LowerChar(c);
}

std::string AnsiUpperCase(std::string_view s) { return Mapped(s, AnsiUpperChar); }
std::string AnsiLowerCase(std::string_view s) { return Mapped(s, AnsiLowerChar); }
std::string UpperCase(std::string_view s) { return Mapped(s, UpperChar); }
std::string LowerCase(std::string_view s) { return Mapped(s, LowerChar); }

namespace {
// Compares byte by byte after `fold`, the shorter string first when one begins the other.
template <class Fold>
int CompareFolded(std::string_view a, std::string_view b, Fold fold) {
  const size_t n = a.size() < b.size() ? a.size() : b.size();
  for (size_t i = 0; i < n; ++i) {
    const auto ca = static_cast<unsigned char>(fold(a[i]));
    const auto cb = static_cast<unsigned char>(fold(b[i]));
    if (ca != cb) return ca < cb ? -1 : 1;
  }
  if (a.size() == b.size()) return 0;
  return a.size() < b.size() ? -1 : 1;
}
}  // namespace

int CompareText(std::string_view a, std::string_view b) { return CompareFolded(a, b, UpperChar); }

int AnsiCompareText(std::string_view a, std::string_view b) {
  return CompareFolded(a, b, AnsiUpperChar);
}

bool SameText(std::string_view a, std::string_view b) { return CompareText(a, b) == 0; }

bool Contains(std::string_view haystack, std::string_view needle) {
  return haystack.find(needle) != std::string_view::npos;
}

std::string IntToStr(long long value) { return std::to_string(value); }

}  // namespace tazu
