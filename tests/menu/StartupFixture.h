// The menu at a given display mode, for the start-up tests.
#pragma once

#include "tests/menu/MenuFixture.h"

namespace tazu::test {

class StartupTest : public MenuTest {
 protected:
  void At(int w, int h, int bpp, int hz) {
    fake->display = {hz, w, h, bpp};
    fake->currentMode = Mode(w, h, bpp, hz, 99);
  }
  int ModeChanges() const { return static_cast<int>(fake->modeChanges.size()); }
};

}  // namespace tazu::test
