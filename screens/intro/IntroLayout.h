// The intro screen's controls as its layout places them, in stacking order from bottom
// to top. The screen builds itself from this table and the demo-install tool draws its
// pictures to fit it.
#pragma once

#include <array>
#include <string_view>

namespace tazu::intro {

struct ControlPlace {
  std::string_view name;
  int left, top, width, height;
};

inline constexpr auto kControls = std::to_array<ControlPlace>({
    {"backimage", 0, 0, 800, 600},
    {"frameviewer", 293, 19, 403, 324},
    {"cp1", 605, 414, 142, 161},
    {"cp2", 605, 414, 142, 161},
    {"afroption", 0, 54, 286, 90},
    {"engoption", 0, 112, 284, 90},
    {"langselect1", 0, 72, 273, 57},
    {"langselect2", 0, 129, 273, 57},
    {"nameboard", 293, 19, 403, 324},
    {"nameEdit", 340, 163, 293, 29},
    {"LeftBut", 431, 271, 43, 35},
    {"RightBut", 510, 271, 43, 35},
    {"mutebut", 757, 3, 40, 40},
});

// The control called `name`; the table holds every name the screen asks for.
constexpr const ControlPlace& FindControl(std::string_view name) {
  for (const ControlPlace& place : kControls) {
    if (place.name == name) return place;
  }
  return kControls[0];
}

}  // namespace tazu::intro
