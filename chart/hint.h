// When a hint appears and for how long: the same for the main window's pictures and for the chart.
#pragma once

namespace hint {

// After the pointer has rested this long over the control.
inline constexpr int delayMs = 500;
// Then shown this long.
inline constexpr int durationMs = 2500;

} // namespace hint
