#pragma once

// Linux: the Flatpak sandbox the sender may run in, as its /.flatpak-info
// describes it. Inside one, xdg-email is flatpak-xdg-utils' and asks the
// desktop portal, which cannot open a file of the sandbox's /tmp; and that
// /tmp is, on the host where the user looks for the report, a folder of the
// application's under the user's runtime folder.

#include <limits.h>

#include <array>
#include <span>
#include <string_view>

struct FlatpakInstance {
    std::array<char, 256> application{};       // [Application] name: org.example.App
    std::array<char, PATH_MAX> instancePath{};  // [Instance] instance-path: the host's $XDG_RUNTIME_DIR/.flatpak/ID
};

// True when the sender runs inside a Flatpak; what it says of the sandbox in `instance`.
bool InFlatpak(FlatpakInstance& instance);

// `path` as the host names it: under /tmp, the application's own tmp folder
// in the host's $XDG_RUNTIME_DIR/.flatpak (the folder instance-path lies in,
// else `runtimeFolder`'s); any other path is the same on the host. False when
// the host's folder cannot be told or the path does not fit `hostPath`.
bool MapToHost(const FlatpakInstance& instance, std::string_view path, std::string_view runtimeFolder,
               std::span<char> hostPath);
