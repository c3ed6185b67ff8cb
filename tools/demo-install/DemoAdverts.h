// The advert screen's demo pictures: a background and a page taller than the viewer,
// per language, with headings big enough to see the page scroll in a screenshot.
#pragma once

#include <string>

namespace tazu::demo {

constexpr int kAdvertPageWidth = 600;
constexpr int kAdvertPageHeight = 1480;

// Writes "add_A.jpg", "add_E.jpg", "addback_A.jpg" and "addback_E.jpg" into `folder`
// (which must exist). Raises on a write failure.
void MakeDemoAdverts(const std::string& folder);

}  // namespace tazu::demo
