#pragma once

// What zenity says on standard error when it could not open the display: it
// then exits 1, as for No, and the box was not shown.

#include <string_view>

// True for GTK's "(zenity:PID): Gtk-WARNING **: HH:MM:SS.mmm: cannot open
// display: NAME" and GTK 4's "... Failed to open display", with or without the time.
bool IsCannotOpenDisplayLine(std::string_view line);
