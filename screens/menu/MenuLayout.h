// The menu screen's controls as its layout places them: names, rectangles, tags and
// group keys, in stacking order from bottom to top. The screen builds itself from this
// table and the demo-install tool draws its pictures to fit it.
#pragma once

#include <array>
#include <string_view>

#include "screens/ScreenSize.h"

namespace tazu::menu {

enum class Kind {
  Background,  // `frame`
  Highlight,   // a subject's highlight picture
  Button,      // a morph button at the right edge
  SubPicture,  // a sub-menu picture with one entry highlighted
  Entry,       // a sub-menu entry hot spot
  Subject,     // a subject hot spot
};

struct ControlPlace {
  std::string_view name;
  int left, top, width, height;
  int tag;
  std::string_view groupKey;  // held in the control's hint; "" for none
  Kind kind;
};

inline constexpr int kSubjectCount = 5;

inline constexpr auto kControls = std::to_array<ControlPlace>({
    {"frame", 0, 0, 800, 600, 0, "", Kind::Background},
    {"readbutim", 114, 467, 171, 94, 1, "but_afr", Kind::Highlight},
    {"mathbutim_a", 276, 309, 172, 96, 2, "but_afr", Kind::Highlight},
    {"thinkbutim", 475, 342, 175, 95, 3, "but_afr", Kind::Highlight},
    {"spelbutim", 445, 170, 169, 89, 4, "but_afr", Kind::Highlight},
    {"membutim", 495, 93, 172, 90, 5, "but_afr", Kind::Highlight},
    {"backbut", 737, 483, 44, 44, 0, "", Kind::Button},
    {"sub2", 16, 178, 255, 246, 2, "sub", Kind::SubPicture},
    {"sub3", 435, 423, 255, 95, 3, "sub", Kind::SubPicture},
    {"sub4", 199, 183, 255, 55, 4, "sub", Kind::SubPicture},
    {"sub5", 417, 8, 227, 93, 5, "sub", Kind::SubPicture},
    {"subindex5_1", 417, 19, 227, 39, 1, "5", Kind::Entry},
    {"subindex5_2", 418, 57, 227, 39, 2, "5", Kind::Entry},
    {"subindex4_1", 202, 192, 247, 39, 1, "4", Kind::Entry},
    {"subindex3_1", 434, 432, 255, 39, 1, "3", Kind::Entry},
    {"subindex3_2", 434, 472, 255, 39, 2, "3", Kind::Entry},
    {"subindex2_1", 16, 185, 255, 39, 1, "2", Kind::Entry},
    {"subindex2_2", 16, 233, 255, 39, 2, "2", Kind::Entry},
    {"subindex2_3", 16, 279, 255, 39, 3, "2", Kind::Entry},
    {"subindex2_4", 16, 330, 255, 39, 4, "2", Kind::Entry},
    {"sub1", 13, 286, 255, 184, 1, "sub", Kind::SubPicture},
    {"subindex1_1", 13, 301, 255, 47, 1, "1", Kind::Entry},
    {"subindex1_2", 13, 349, 255, 47, 2, "1", Kind::Entry},
    {"subindex1_3", 13, 397, 255, 76, 3, "1", Kind::Entry},
    {"mathbutim_e", 276, 304, 170, 103, 2, "but_eng", Kind::Highlight},
    {"mover2", 285, 325, 143, 64, 2, "", Kind::Subject},
    {"readbut_eng", 114, 468, 168, 93, 1, "but_eng", Kind::Highlight},
    {"mover1", 124, 480, 143, 64, 1, "", Kind::Subject},
    {"thinkbut_eng", 470, 341, 180, 96, 3, "but_eng", Kind::Highlight},
    {"mover3", 489, 357, 143, 64, 3, "", Kind::Subject},
    {"spelbut_eng", 445, 170, 169, 89, 4, "but_eng", Kind::Highlight},
    {"mover4", 456, 179, 143, 64, 4, "", Kind::Subject},
    {"membut_eng", 497, 94, 170, 88, 5, "but_eng", Kind::Highlight},
    {"mover5", 511, 106, 143, 64, 5, "", Kind::Subject},
    {"reportbut", 737, 423, 44, 44, 0, "", Kind::Button},
    {"exitbut", 737, 544, 44, 44, 0, "", Kind::Button},
    {"subindex2_5", 16, 379, 255, 39, 5, "2", Kind::Entry},
});
static_assert(kControls.size() == 37);

// The control of `kind` with `tag` whose group key is `groupKey` ("" matches any).
constexpr const ControlPlace* FindControl(Kind kind, int tag, std::string_view groupKey = "") {
  for (const ControlPlace& c : kControls) {
    if (c.kind == kind && c.tag == tag && (groupKey.empty() || c.groupKey == groupKey)) return &c;
  }
  return nullptr;
}

// The number of entries of each subject (1 to 5).
constexpr int EntryCount(int subject) {
  int n = 0;
  for (char key = static_cast<char>('0' + subject); const ControlPlace& c : kControls) {
    if (c.kind == Kind::Entry && c.groupKey.size() == 1 && c.groupKey[0] == key) ++n;
  }
  return n;
}

static_assert(EntryCount(1) == 3 && EntryCount(2) == 5 && EntryCount(3) == 2 &&
              EntryCount(4) == 1 && EntryCount(5) == 2);

}  // namespace tazu::menu
