#pragma once

// Linux: whether a window can ask. A dialog program would open the display
// that DISPLAY or WAYLAND_DISPLAY names; its socket is connected to, as the
// program's own toolkit would do.

// True when the display that a dialog program would open, X or Wayland, can
// be reached.
bool DesktopReachable();
