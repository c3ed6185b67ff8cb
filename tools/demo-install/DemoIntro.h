// The intro screen's files of the demo install: the language background, the two name
// boards and a 126-frame library whose frames visibly move.
#pragma once

#include <string>

namespace tazu::demo {

void MakeDemoIntro(const std::string& installFolder);

}  // namespace tazu::demo
