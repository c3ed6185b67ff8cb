// Every screen is drawn at this size: the display is switched to it, or shows it scaled.
#pragma once

namespace tazu {
inline constexpr int kScreenWidth = 800;
inline constexpr int kScreenHeight = 600;
}  // namespace tazu
