#include "sender/zenity_messages.h"

#include <algorithm>

bool IsCannotOpenDisplayLine(std::string_view line) {
    constexpr std::string_view program = "(zenity:";
    constexpr std::string_view warning = "): Gtk-WARNING **: ";
    // GTK 3's words, then GTK 4's (zenity 4).
    const auto saysSo = [](std::string_view message) {
        return message.starts_with("cannot open display:") || message.starts_with("Failed to open display");
    };
    if (!line.starts_with(program))
        return false;
    line.remove_prefix(program.size());
    line.remove_prefix(std::min(line.find_first_not_of("0123456789"), line.size()));
    if (!line.starts_with(warning))
        return false;
    line.remove_prefix(warning.size());
    if (saysSo(line))
        return true;
    // GTK 3.24 and GTK 4 put the time first: "HH:MM:SS.mmm: ".
    const std::size_t time = line.find(": ");
    if (time == 0 || time == std::string_view::npos ||
        std::string_view(line.data(), time).find_first_not_of("0123456789:.") != std::string_view::npos)
        return false;
    line.remove_prefix(time + 2);
    return saysSo(line);
}
