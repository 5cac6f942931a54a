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

#include "common/bounded_text.h"
#include "common/texts.h"
#include "posix/program.h"
#include "posix/retry.h"
#include "posix/unique_fd.h"
#include "sender/dialog_text.h"

// Each box goes to the first of these that shows it: the desktop's dialog
// program, the terminal the sender was started from, standard error. Where
// none does, the question counts as No.

namespace {

// Connects to the socket whose path is `parts` joined; false when they do not fit.
bool CanConnect(std::initializer_list<std::string_view> parts) {
    sockaddr_un address{};
    address.sun_family = AF_UNIX;
    BoundedText path(address.sun_path);
    for (const std::string_view part : parts)
        path.Append(part);
    const UniqueFd fd(socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0));
    return !path.Overflowed() && fd &&
           connect(fd.Get(), reinterpret_cast<const sockaddr*>(&address), sizeof address) == 0;
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

// zenity's option for the text, and the box's text, escaped to what the
// dialog's locale can read: zenity refuses the whole text for one byte that
// is not valid UTF-8. kdialog takes the text alone.
constexpr std::string_view ZenityTextOption = "--text=";
struct DialogArgument {
    std::array<char, ZenityTextOption.size() + MaxDialogTextLength + 1> buffer;
    const char* WithOption() const { return buffer.data(); }
    const char* Text() const { return buffer.data() + ZenityTextOption.size(); }
};

void PrepareText(DialogArgument& argument, const char* text) {
    BoundedText(argument.buffer).Append(ZenityTextOption);
    const std::string_view plain(text, strnlen(text, MaxBoxTextLength));
    const bool utf8 = LocaleIsUtf8(std::getenv("LC_ALL"), std::getenv("LC_CTYPE"), std::getenv("LANG"));
    const auto room = std::span(argument.buffer).subspan(ZenityTextOption.size());
    room[EscapeDialogText(plain, utf8, room)] = '\0';
}

// True when zenity's standard error, kept in `output`, says it could not open
// the display: it then exits 1, as for No. GTK says so while it starts, after
// at most a few warnings, so the first lines are enough.
bool ZenityCouldNotOpenDisplay(int output) {
    std::array<char, 4096> buffer;
    const ssize_t got = RetryOnInterrupt([&] { return pread(output, buffer.data(), buffer.size(), 0); });
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

// A dialog program's status as an answer: 0 is Yes, up to `lastAnswer` No or
// closed. Any other end says that no box was shown.
Presented AsAnswer(const ProgramEnd& end, int lastAnswer) {
    if (!end.exited || end.exitStatus > lastAnswer)
        return Presented::NotShown;
    return end.exitStatus == 0 ? Presented::Yes : Presented::Closed;
}

// Each program's option for a kind of box. Chosen in code, not from a table
// of pointers, each of which a static PIE relocates at every start.
const char* DialogOption(BoxKind kind, const char* question, const char* error, const char* warning) {
    return IsQuestion(kind) ? question : kind == BoxKind::LoadFailure ? error : warning;
}
constexpr auto ZenityTitleOption = JoinLiterals("--title=", ProductCaption);

Presented RunZenity(const ProgramPath& zenity, BoxKind kind, const char* text) {
    DialogArgument argument;
    PrepareText(argument, text);
    const char* const argv[] = {"zenity", DialogOption(kind, "--question", "--error", "--warning"), ZenityTitleOption.data(),
                                "--no-markup", argument.WithOption(), nullptr};
    const UniqueFd output(memfd_create("zenity-stderr", MFD_CLOEXEC));
    const ProgramEnd end = RunProgram(zenity, argv, ChildRole::Dialog, output ? output.Get() : -1);
    // zenity says 1 for No, for a closed box, and when it could not open the display.
    if (ExitedWith(end, 1) && output && ZenityCouldNotOpenDisplay(output.Get()))
        return Presented::NotShown;
    return AsAnswer(end, 1);
}

Presented RunKdialog(const ProgramPath& kdialog, BoxKind kind, const char* text) {
    // kdialog has no --no-markup, but Qt reads a text as rich only when a tag
    // stands before its first line break, and every first line here is fixed.
    DialogArgument argument;
    PrepareText(argument, text);
    const char* const argv[] = {"kdialog", "--title", ProductCaption, DialogOption(kind, "--yesno", "--error", "--sorry"),
                                argument.Text(), nullptr};
    // 1 is No; 2 is Escape or the window's close button.
    return AsAnswer(RunProgram(kdialog, argv, ChildRole::Dialog), 2);
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
    std::fprintf(stderr, "%s\n%s\n%s", ProductCaption, text, TerminalPrompt);
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
