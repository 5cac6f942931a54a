#include "sender/message_box.h"

#include <sys/mman.h>
#include <sys/socket.h>
#include <sys/un.h>
#include <unistd.h>

#include <algorithm>
#include <array>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <initializer_list>
#include <string_view>

#include "posix/program.h"
#include "sender/dialog_text.h"

// Each box goes to the first of these that shows it: the desktop's dialog
// program, the terminal the sender was started from, standard error. Where
// none does, the question counts as No.

namespace {

// Connects to the socket whose path is `parts` joined; false when they do not fit.
bool CanConnect(std::initializer_list<std::string_view> parts) {
    sockaddr_un address{};
    address.sun_family = AF_UNIX;
    std::size_t length = 0;
    for (const std::string_view part : parts) {
        if (part.size() >= sizeof address.sun_path - length)
            return false;
        std::copy(part.begin(), part.end(), address.sun_path + length);
        length += part.size();
    }
    const int fd = socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0);
    if (fd < 0)
        return false;
    const bool connected = connect(fd, reinterpret_cast<const sockaddr*>(&address), sizeof address) == 0;
    close(fd);
    return connected;
}

// DISPLAY is [host]:number[.screen]. A local display is reached through its
// socket; a remote one (ssh forwarding among them) is taken on trust.
bool XDisplayReachable(std::string_view display) {
    const auto colon = display.rfind(':');
    if (colon == std::string_view::npos)
        return false;
    const std::string_view host(display.data(), colon);
    std::string_view number(display.data() + colon + 1, display.size() - colon - 1);
    number = std::string_view(number.data(), std::min(number.find('.'), number.size()));
    if (number.empty() || number.find_first_not_of("0123456789") != std::string_view::npos)
        return false;
    if (!host.empty() && host != "unix")
        return true;
    return CanConnect({"/tmp/.X11-unix/X", number});
}

bool WaylandReachable(std::string_view display) {
    if (display.empty())
        return false;
    if (display.front() == '/')
        return CanConnect({display});
    const char* runtimeFolder = std::getenv("XDG_RUNTIME_DIR");
    return runtimeFolder && *runtimeFolder && CanConnect({runtimeFolder, "/", display});
}

bool DesktopReachable() {
    const char* x = std::getenv("DISPLAY");
    const char* wayland = std::getenv("WAYLAND_DISPLAY");
    return (x && XDisplayReachable(x)) || (wayland && WaylandReachable(wayland));
}

// "--text=" and the box's text, escaped to what the dialog's locale can read:
// zenity refuses the whole text for one byte that is not valid UTF-8.
struct DialogArgument {
    std::array<char, sizeof "--text=" + MaxDialogTextLength> buffer;
    const char* text;  // within the buffer, after the option's name
};

void PrepareText(DialogArgument& argument, const char* text) {
    constexpr std::string_view option = "--text=";
    std::copy(option.begin(), option.end(), argument.buffer.begin());
    const std::string_view plain(text, strnlen(text, MaxBoxTextLength));
    const bool utf8 = LocaleIsUtf8(std::getenv("LC_ALL"), std::getenv("LC_CTYPE"), std::getenv("LANG"));
    const auto room = std::span(argument.buffer).subspan(option.size());
    room[EscapeDialogText(plain, utf8, room)] = '\0';
    argument.text = argument.buffer.data() + option.size();
}

// True when zenity's standard error, kept in `output`, says it could not open
// the display: it then exits 1, as for No. GTK says so while it starts, after
// at most a few warnings, so the first lines are enough.
bool ZenityCouldNotOpenDisplay(int output) {
    std::array<char, 4096> buffer;
    const ssize_t got = pread(output, buffer.data(), buffer.size(), 0);
    std::string_view lines(buffer.data(), got > 0 ? static_cast<std::size_t>(got) : 0);
    while (!lines.empty()) {
        const std::size_t length = std::min(lines.find('\n'), lines.size());
        if (IsCannotOpenDisplayLine(std::string_view(lines.data(), length)))
            return true;
        lines.remove_prefix(std::min(length + 1, lines.size()));
    }
    return false;
}

// What one way of showing a box made of it.
enum class Presented {
    NotShown,  // this way could not show it: the next one tries
    Yes,       // the question was answered Yes
    Closed,    // answered No, closed, or a failure box was shown and closed
};

Presented RunZenity(const ProgramPath& zenity, BoxKind kind, const char* text) {
    const char* dialog = IsQuestion(kind)              ? "--question"
                         : kind == BoxKind::LoadFailure ? "--error"
                                                        : "--warning";
    DialogArgument argument;
    PrepareText(argument, text);
    static_assert(std::string_view(ProductCaption) == "Yorv");
    const char* const argv[] = {"zenity", dialog, "--title=Yorv", "--no-markup", argument.buffer.data(), nullptr};
    const int output = memfd_create("zenity-stderr", MFD_CLOEXEC);
    const int status = RunProgram(zenity, argv, ChildRole::Dialog, output);
    // zenity says 1 for No, for a closed box, and when it could not open the display.
    const bool noDisplay = output >= 0 && ExitedWith(status, 1) && ZenityCouldNotOpenDisplay(output);
    if (output >= 0)
        close(output);
    if (ExitedWith(status, 0))
        return Presented::Yes;
    return ExitedWith(status, 1) && !noDisplay ? Presented::Closed : Presented::NotShown;
}

Presented RunKdialog(const ProgramPath& kdialog, BoxKind kind, const char* text) {
    const char* dialog = IsQuestion(kind)              ? "--yesno"
                         : kind == BoxKind::LoadFailure ? "--error"
                                                        : "--sorry";
    // kdialog has no --no-markup, but Qt reads a text as rich only when a tag
    // stands before its first line break, and every first line here is fixed.
    DialogArgument argument;
    PrepareText(argument, text);
    const char* const argv[] = {"kdialog", "--title", ProductCaption, dialog, argument.text, nullptr};
    const int status = RunProgram(kdialog, argv, ChildRole::Dialog);
    // 1 is No; 2 is Escape or the window's close button.
    if (ExitedWith(status, 0))
        return Presented::Yes;
    return ExitedWith(status, 1) || ExitedWith(status, 2) ? Presented::Closed : Presented::NotShown;
}

// The desktop's dialog program: the first of zenity and kdialog found is the
// only one tried. A crash or any status that is not an answer (zenity's 255,
// a display that went away) means that no box was shown.
Presented ShowOnDesktop(BoxKind kind, const char* text) {
    if (!DesktopReachable())
        return Presented::NotShown;
    ProgramPath program;
    if (FindProgramOnPath("zenity", program))
        return RunZenity(program, kind, text);
    if (FindProgramOnPath("kdialog", program))
        return RunKdialog(program, kind, text);
    return Presented::NotShown;
}

// A process outside the terminal's foreground is stopped when it reads from
// it (SIGTTIN), and under `stty tostop` when it writes to it.
bool InTerminalForeground(int fd) {
    return tcgetpgrp(fd) == getpgrp();
}

// A question, on the terminal the sender was started from.
Presented AskOnTerminal(BoxKind kind, const char* text) {
    if (!IsQuestion(kind) || !InTerminalForeground(STDIN_FILENO) || !InTerminalForeground(STDERR_FILENO))
        return Presented::NotShown;
    // Ctrl-C, a hang-up or SIGTERM while the user thinks end the run as a No.
    EndQuietlyOnEndingSignals();
    std::fprintf(stderr, "%s\n%s\n[y/N] ", ProductCaption, text);
    char answer[16];
    if (!std::fgets(answer, sizeof answer, stdin))
        return Presented::Closed;
    return answer[0] == 'y' || answer[0] == 'Y' ? Presented::Yes : Presented::Closed;
}

// A failure's text, so that the dump's path is not lost; never a question.
Presented WriteToStandardError(BoxKind kind, const char* text) {
    if (IsQuestion(kind) || (isatty(STDERR_FILENO) && !InTerminalForeground(STDERR_FILENO)))
        return Presented::NotShown;
    std::fprintf(stderr, "%s\n%s\n", ProductCaption, text);
    return Presented::Closed;
}

}  // namespace

bool ShowMessageBox(BoxKind kind, const char* text) {
    // A closed pipe on standard error must not end the run.
    std::signal(SIGPIPE, SIG_IGN);
    for (const auto present : {ShowOnDesktop, AskOnTerminal, WriteToStandardError}) {
        const Presented presented = present(kind, text);
        if (presented != Presented::NotShown)
            return presented == Presented::Yes && IsQuestion(kind);
    }
    return false;  // nowhere to ask: No
}
