// A test that needs a tool or library this machine lacks: skipped on a developer's
// machine, failed where the environment variable CI is set, since there the packages
// are installed on purpose and a missing one must not pass unseen. What a machine may
// lawfully lack (a capability, a case-sensitive file system) stays a plain GTEST_SKIP.
#pragma once

#include <gtest/gtest.h>

#include <cstdlib>

namespace tazu::test {

inline bool OnCi() {
  const char* ci = std::getenv("CI");
  return ci != nullptr && *ci != '\0';
}

}  // namespace tazu::test

// Ends the test (or its SetUp) for want of `what` (anything a Message can stream).
#define TAZU_SKIP_MISSING_PACKAGE(what)                                           \
  do {                                                                            \
    if (::tazu::test::OnCi()) FAIL() << "missing on CI (install it): " << (what); \
    GTEST_SKIP() << (what);                                                       \
  } while (false)
